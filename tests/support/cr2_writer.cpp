#include "cr2_writer.h"

#include "support/raw_tiff.h"

#include <cmath>
#include <cstdio>

namespace kadrilo::test {

void applyLens(Cr2Fixture &f, const Cr2Lens &lens) {
    f.lensType = lens.lensType;
    f.minFocalLength = lens.minFocalLength;
    f.maxFocalLength = lens.maxFocalLength;
    f.focalUnits = 1;
}

QString focusModeText(int focusMode) {
    switch (focusMode) {
    case 0:
        return QStringLiteral("One-shot AF");
    case 1:
        return QStringLiteral("AI Servo AF");
    case 2:
        return QStringLiteral("AI Focus AF");
    case 3:
        return QStringLiteral("Manual Focus (3)");
    case 4:
        return QStringLiteral("Single");
    case 5:
        return QStringLiteral("Continuous");
    case 6:
        return QStringLiteral("Manual Focus (6)");
    case 16:
        return QStringLiteral("Pan Focus");
    case 256:
        return QStringLiteral("AF + MF");
    case 257:
        return QStringLiteral("Live View");
    case 512:
        return QStringLiteral("Movie Snap Focus");
    case 519:
        return QStringLiteral("Movie Servo AF");
    default:
        return QStringLiteral("Unknown (%1)").arg(focusMode);
    }
}

QString driveModeText(int continuousDrive, int selfTimer) {
    if (continuousDrive != 0)
        return QStringLiteral("Continuous Shooting");
    if (selfTimer != 0)
        return QStringLiteral("Self-timer Operation");
    return QStringLiteral("Single-frame Shooting");
}

QString fNumberText(double fNumber) {
    const double stored = double(std::lround(fNumber * 100)) / 100.0;
    char buf[32];
    std::snprintf(buf, sizeof buf, stored < 1 ? "%.2f" : "%.1f", stored);
    return QString::fromLatin1(buf);
}

QByteArray cr2Bytes(const Cr2Fixture &f) {
    using namespace tiff;
    constexpr quint32 kIfd0 = 16;
    constexpr int kRecordModeCr2 = 6;

    std::vector<Entry> ifd0 = ifd0Entries(f);
    ifd0.push_back({0x8769, Long, 1, le32(0)}); // ExifOffset, set below
    const quint32 exifStart = kIfd0 + ifdSize(ifd0);
    ifd0.back().data = le32(exifStart);

    // The maker note is an IFD inside the Exif IFD's data; its own offsets count from the
    // TIFF header, as every other offset of the file.
    const std::vector<Entry> maker = makerNoteEntries(f, kRecordModeCr2);
    const quint32 makerSize = ifdSize(maker);
    std::vector<Entry> exif = exifEntries(f);
    exif.push_back({0x927c, Undefined, makerSize, QByteArray(int(makerSize), '\0')});
    exif.back().data = ifdBytes(valueOffset(exifStart, exif, 0x927c), maker);

    QByteArray out;
    out.append("II", 2);
    put16(out, 42);
    put32(out, kIfd0);
    out.append("CR", 2);
    out.append(char(2));
    out.append(char(0));
    put32(out, 0); // RAW IFD offset (no image data in fixtures)
    out += ifdBytes(kIfd0, ifd0);
    out += ifdBytes(exifStart, exif);
    return out;
}

bool writeCr2(const QString &path, const Cr2Fixture &f) {
    return tiff::writeFile(path, cr2Bytes(f));
}

bool writeDamagedImage(const QString &path) {
    // Binary and without any file signature: neither text nor an image ExifTool knows.
    QByteArray bytes(3000, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 37 + 11) % 256);
    return tiff::writeFile(path, bytes);
}

} // namespace kadrilo::test
