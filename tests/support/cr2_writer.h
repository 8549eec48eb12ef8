// Minimal Canon CR2 fixture writer for Kadrilo's tests.
//
// Produces a tiny but valid little-endian CR2 file (no image data) that the real ExifTool
// (verified with Debian's libimage-exiftool-perl 12.57) identifies as FileType "CR2" and from
// which it reads exactly the values chosen by the test.
//
// File layout (all offsets absolute from byte 0, little-endian):
//   0   "II" 0x002A, IFD0 offset = 16
//   8   "CR" 0x02 0x00 (CR2 v2.0), RAW IFD offset = 0
//   16  IFD0:      Make (0x010f), Model (0x0110), ExifOffset (0x8769)
//   ..  Exif IFD:  ExposureTime (0x829a), FNumber (0x829d), ISO (0x8827), DateTimeOriginal
//              (0x9003), FocalLength (0x920a), MakerNote (0x927c), FocalLengthIn35mmFormat
//              (0xa405)
//   ..  MakerNote: Canon IFD with CanonCameraSettings (0x0001, 46 x int16 with [0] = 92 bytes;
//              22 x int16 with [0] = 44 when lensType == 0)
//
// What ExifTool 12.57 prints with `exiftool -s -s` (checked by a throwaway program):
//
//   FNumber  printed with "%.1f" (or "%.2f" below 1.0): 1.4 -> "1.4", 2.0 -> "2.0",
//            5.6 -> "5.6", 8 -> "8.0", 11 -> "11.0", 22 -> "22.0", 0.95 -> "0.95".
//            Stored as the rational round(f * 100) / 100.  fNumberText() reproduces it,
//            including binary rounding of halves (2.25 -> "2.2", 2.35 -> "2.4"): avoid those.
//   ISO      EXIF 0x8827 is int16u: plain decimal, e.g. "100", "6400", "65535".  There is no
//            EXIF way to make the ISO tag print "Auto".  With isoSecond >= 0 the tag gets two
//            values and ExifTool prints them comma-separated: "100, 200".
//   FocusMode        focusModeText(): 0 "One-shot AF", 1 "AI Servo AF", 2 "AI Focus AF",
//                    3 "Manual Focus (3)", 4 "Single", 5 "Continuous", 6 "Manual Focus (6)",
//                    16 "Pan Focus"; unknown values print as "Unknown (N)".
//   DriveMode        composite: continuousDrive != 0 -> "Continuous Shooting"; else
//                    selfTimer != 0 -> "Self-timer Operation"; else "Single-frame Shooting".
//   ContinuousDrive  (own tag, also printed) 0 "Single", 1 "Continuous", ...
//   SelfTimer        (own tag) 0 "Off", 100 -> "10 s", 20 -> "2 s".
//   LensID           composite from LensType + Min/MaxFocalLength; see kCr2Lenses.  With
//                    lensType == 0 the CameraSettings array is cut before index 22, so there is
//                    no LensType, Min/MaxFocalLength, FocalUnits, Lens, Lens35efl or LensID.
//   DateTimeOriginal the text as written, e.g. "2021:06:05 14:03:09" (no conversion without
//                    -d; no SubSecDateTimeOriginal, as there is no SubSecTime or OffsetTime).
//   FocalLength      "%.1f mm" of the value stored in tenths: 55 -> "55.0 mm", 17.5 -> "17.5 mm".
//   FocalLength35efl composite, printed whenever FocalLength is:
//                    - without focalLengthIn35mm: "55.0 mm", and no ScaleFactor35efl (the
//                      fixture has no focal-plane resolution or sensor size to work one out);
//                    - with it: ScaleFactor35efl = in35mm / focal, printed "%.1f" ("1.6"), and
//                      "55.0 mm (35 mm equivalent: 88.0 mm)".  The equivalent is computed with
//                      the unrounded factor, so it is always focalLengthIn35mm itself plus
//                      ".0": 17.5 mm with 28 gives "17.5 mm (35 mm equivalent: 28.0 mm)",
//                      17 mm with 27 gives "...: 27.0 mm)" although the factor prints "1.6"
//                      (1.588); 40 mm with 50 prints the factor "1.2" (an exact 1.25 rounds
//                      to even) and 20 mm with 27 prints "1.4" (1.35 is stored a bit above).
//                    focalLengthIn35mm without FocalLength: only "FocalLengthIn35mmFormat:
//                    50 mm", no composite.
//
// Other tags in the full output of a fixture: ContinuousDrive, SelfTimer, LensType (the
// PrintConv name), MinFocalLength / MaxFocalLength ("55 mm"), FocalUnits ("1/mm"), about 15
// fixed CameraSettings tags, and the composites DriveMode, Lens ("18.0 - 55.0 mm"),
// Lens35efl, ShootingMode and Aperture (only with FNumber); with a 35 mm focal length also
// FocalLengthIn35mmFormat ("88 mm", after the maker-note tags since its tag number is higher),
// ScaleFactor35efl, CircleOfConfusion, FOV, HyperfocalDistance (with FNumber), and Lens35efl
// gets its equivalent ("18.0 - 55.0 mm (35 mm equivalent: 28.8 - 88.0 mm)").  The only tag
// whose name starts with "ISO" is ISO itself (real files also have BaseISO, AutoISO, CameraISO). No
// warnings; `exiftool -validate` reports OK.
#pragma once

#include <QByteArray>
#include <QString>

namespace kadrilo::test {

struct Cr2Fixture {
    QString make = QStringLiteral("Canon"); // a CR2 needs "Canon..." to read its maker note
    QString model = QStringLiteral("Canon EOS 5D Mark II");
    int iso = 100;           // EXIF ISO (0x8827), int16u: clamped to 0..65535; -1 = omit the tag
    int isoSecond = -1;      // >= 0: second ISO value, ExifTool prints "iso, isoSecond"
    double fNumber = 5.6;    // EXIF FNumber (0x829d), rational (x100); <= 0 = omit the tag
    int continuousDrive = 0; // CameraSettings[5]: 0 Single, 1 Continuous, ...
    int selfTimer = 0;       // CameraSettings[2]: 0 off, otherwise tenths of a second
    int focusMode = 0;       // CameraSettings[7], see focusModeText()
    int lensType = 0;        // CameraSettings[22] (int16u); 0 = no lens info at all (the
                             // focal lengths below are then ignored)
    int minFocalLength = 0;  // CameraSettings[24], in focal units (mm when focalUnits == 1)
    int maxFocalLength = 0;  // CameraSettings[23]
    int focalUnits = 1;      // CameraSettings[25]
    // EXIF ExposureTime (0x829a), rational: 1/8000 prints "1/8000", 30/1 "30", 1/2 "0.5";
    // a numerator <= 0 omits the tag.
    int exposureNumerator = 0;
    int exposureDenominator = 1;
    double focalLength = 0;    // EXIF FocalLength (0x920a), in tenths: 17.5 prints "17.5 mm";
                               // <= 0 omits the tag
    int focalLengthIn35mm = 0; // EXIF FocalLengthIn35mmFormat (0xa405), int16u; <= 0 omits it
    QString dateTimeOriginal;  // EXIF DateTimeOriginal (0x9003), "YYYY:MM:DD HH:MM:SS";
                               // empty omits the tag
};

// A lens type together with the exact Composite:LensID text ExifTool 12.57 prints for it when
// the focal lengths are the given ones (use applyLens()).
struct Cr2Lens {
    int lensType;
    int minFocalLength;
    int maxFocalLength;
    const char *lensId; // UTF-8 (all ASCII: ExifTool's Canon lens names contain no comma or
                        // non-ASCII character, but note "|", "*", "[]" and "+" below)
};

inline constexpr Cr2Lens kCr2Lenses[] = {
    {1, 50, 50, "Canon EF 50mm f/1.8"},
    {45, 18, 55, "Canon EF-S 18-55mm f/3.5-5.6 [II]"},
    {124, 65, 65, "Canon MP-E 65mm f/2.8 1-5x Macro Photo"},
    {166, 98, 280, "Canon EF 70-200mm f/2.8L USM + 1.4x"},
    {229, 16, 35, "Canon EF 16-35mm f/2.8L USM"},
    {237, 24, 105, "Canon EF 24-105mm f/4L IS USM"},
    // shared lens types, resolved by ExifTool through the focal range:
    {150, 18, 35, "Sigma 18-35mm f/1.8 DC HSM | A"},
    {137, 17, 70, "Sigma 17-70mm f/2.8-4 DC Macro OS HSM | C"},
    {33, 15, 15, "Carl Zeiss Distagon T* 15mm f/2.8 ZE"},
    // ambiguous: ExifTool joins the candidates with " or "
    {33, 35, 35, "Carl Zeiss Distagon T* 35mm f/2 ZE or Carl Zeiss Distagon T* 35mm f/1.4 ZE"},
    // unknown lenses
    {65535, 18, 55, "Unknown 18-55mm"},
    {9999, 50, 50, "Unknown (9999) 50mm"},
};

// Sets lensType, min/max focal length and focalUnits = 1 from a table entry.
void applyLens(Cr2Fixture &f, const Cr2Lens &lens);

// Exact texts of `exiftool -s -s` for the given raw values.
QString focusModeText(int focusMode);
QString driveModeText(int continuousDrive, int selfTimer);
QString fNumberText(double fNumber); // as stored by cr2Bytes (rounded to 1/100)

QByteArray cr2Bytes(const Cr2Fixture &f);
bool writeCr2(const QString &path, const Cr2Fixture &f); // false on I/O failure

// Bytes of no known format under a raw image's name: ExifTool answers "File format error".
bool writeDamagedImage(const QString &path);

} // namespace kadrilo::test
