// Minimal Canon CR3 fixture writer for Kadrilo's tests.
//
// Produces a tiny ISO base media file (no image, no preview, no track) that the real ExifTool
// (Debian's libimage-exiftool-perl 12.57) identifies as FileType "CR3", from the same
// Cr2Fixture and with the same tag values as the CR2 writer.  CR3 is the raw format of Canon
// bodies since 2018; ExifTool reads it through its QuickTime module, also with `-ext cr3` over
// a folder and from a `-@` list.
//
// File layout (boxes: 32-bit big-endian size, header included, then a four-letter type):
//   ftyp  "crx " (major brand), minor version 1, compatible "crx " "isom"
//   moov
//     uuid  85c0b687-820f-11e0-8111-f4ce462b6a48 (Canon's metadata box), holding in turn:
//       CNCV  "CanonCR3_001/00.09.00/00.00.00": ExifTool takes the file type from its first
//             letters; the "crx " brand alone gives FileType "CRX" (as for Canon's CRM movies)
//       CMT1  TIFF block ("II", 42, IFD at 8, offsets from the block's start): IFD0 with Make
//             and Model
//       CMT2  TIFF block: the Exif IFD, the same entries as the CR2's minus the MakerNote
//       CMT3  TIFF block: the Canon maker note IFD, CameraSettings as in the CR2 except
//             RecordMode (12, "CR3")
// A real CR3 (the EOS M50 sample) also has CCTP, CTBO, CMT4 (GPS) and THMB in that box, a
// movie header, tracks and the image data; ExifTool needs none of them for these tags.
//
// `exiftool -s -s` prints the same texts as for the CR2 of the same fixture for ISO, FNumber,
// FocusMode, DriveMode, LensID, Lens, FocalLength, FocalLength35efl, ScaleFactor35efl,
// ExposureTime, Model and DateTimeOriginal (see cr2_writer.h for the texts), and
// `exiftool -validate` reports OK.  The whole output differs from the CR2's only here:
//   - FileType "CR3", FileTypeExtension "cr3", MIMEType "image/x-canon-cr3";
//   - four tags first: MajorBrand "Canon Raw (.CRX)", MinorVersion "0.0.1",
//     CompatibleBrands "crx , isom", CompressorVersion "CanonCR3_001/00.09.00/00.00.00";
//   - ExifByteOrder comes after Make and Model instead of before them;
//   - RecordMode "CR3" instead of "CR2";
//   - FocalLengthIn35mmFormat comes right after FocalLength, before the maker-note tags
//     (the CR2 reads its maker note first, as it lies inside the Exif IFD);
//   - the maker note is read whatever the make: Make "Nikon" still gives FocusMode, DriveMode,
//     Lens and LensID, where the CR2 gives none of them.
// Unlike the real sample, a fixture has no QuickTime dates (CreateDate, ModifyDate,
// TrackCreateDate...): DateTimeOriginal is its only date.
#pragma once

#include "support/cr2_writer.h"

#include <QByteArray>
#include <QString>

namespace kadrilo::test {

QByteArray cr3Bytes(const Cr2Fixture &f);
bool writeCr3(const QString &path, const Cr2Fixture &f); // false on I/O failure

} // namespace kadrilo::test
