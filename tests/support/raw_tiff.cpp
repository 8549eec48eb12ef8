#include "support/raw_tiff.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace kadrilo::test::tiff {

namespace {

QByteArray le16(quint16 v) {
    QByteArray b;
    put16(b, v);
    return b;
}

quint32 padded(quint32 n) {
    return n + (n & 1);
}

quint16 clampU16(int v) {
    return quint16(std::clamp(v, 0, 65535));
}

Entry asciiEntry(quint16 tag, const QString &text) {
    QByteArray b = text.toUtf8();
    b.append('\0');
    return {tag, Ascii, quint32(b.size()), b};
}

Entry rationalEntry(quint16 tag, quint32 numerator, quint32 denominator) {
    return {tag, Rational, 1, le32(numerator) + le32(denominator)};
}

std::vector<Entry> sortedByTag(std::vector<Entry> entries) {
    std::sort(entries.begin(), entries.end(),
              [](const Entry &a, const Entry &b) { return a.tag < b.tag; });
    return entries;
}

QByteArray cameraSettings(const Cr2Fixture &f, int recordMode) {
    // Based on the values a Canon EOS 350D writes; 0x7fff / -1 mean "not set" and make
    // ExifTool drop the tag.
    constexpr int kCount = 46;
    // Without a lens the array stops before LensType (index 22), so that ExifTool reports
    // neither LensType nor the focal lengths nor the Lens / LensID composites.
    const int count = f.lensType == 0 ? 22 : kCount;
    qint16 v[kCount] = {};
    v[0] = qint16(count * 2);   // size in bytes (validated by ExifTool)
    v[1] = 2;                   // MacroMode: Normal
    v[2] = qint16(f.selfTimer); // SelfTimer
    v[3] = 4;                   // Quality: RAW
    v[4] = 0;                   // CanonFlashMode: Off
    v[5] = qint16(f.continuousDrive);
    v[7] = qint16(f.focusMode);
    v[9] = qint16(recordMode);
    v[10] = -1;     // CanonImageSize: n/a
    v[11] = 1;      // EasyMode: Manual
    v[16] = 0x7fff; // CameraISO: not set
    v[17] = 5;      // MeteringMode
    v[18] = 2;      // FocusRange: Not Known
    v[20] = 3;      // CanonExposureMode: Aperture-priority AE
    v[21] = -1;
    v[22] = qint16(clampU16(f.lensType));
    v[23] = qint16(clampU16(f.maxFocalLength));
    v[24] = qint16(clampU16(f.minFocalLength));
    v[25] = qint16(f.focalUnits);
    v[28] = -1; // FlashActivity: not set
    v[32] = -1; // FocusContinuous: not set
    v[33] = -1;
    v[34] = -1;
    QByteArray b;
    for (int i = 0; i < count; ++i)
        put16(b, quint16(v[i]));
    return b;
}

} // namespace

void put16(QByteArray &b, quint16 v) {
    b.append(char(v & 0xff));
    b.append(char(v >> 8));
}

void put32(QByteArray &b, quint32 v) {
    put16(b, quint16(v & 0xffff));
    put16(b, quint16(v >> 16));
}

QByteArray le32(quint32 v) {
    QByteArray b;
    put32(b, v);
    return b;
}

quint32 ifdSize(const std::vector<Entry> &entries) {
    quint32 size = 2 + 12 * quint32(entries.size()) + 4;
    for (const Entry &e : entries) {
        if (e.data.size() > 4)
            size += padded(quint32(e.data.size()));
    }
    return size;
}

quint32 valueOffset(quint32 start, const std::vector<Entry> &entries, quint16 tag) {
    quint32 pos = start + 2 + 12 * quint32(entries.size()) + 4;
    for (const Entry &e : sortedByTag(entries)) {
        if (e.tag == tag)
            break;
        if (e.data.size() > 4)
            pos += padded(quint32(e.data.size()));
    }
    return pos;
}

QByteArray ifdBytes(quint32 start, std::vector<Entry> entries) {
    entries = sortedByTag(std::move(entries));
    QByteArray dir;
    QByteArray data;
    const quint32 dataPos = start + 2 + 12 * quint32(entries.size()) + 4;
    put16(dir, quint16(entries.size()));
    for (const Entry &e : entries) {
        put16(dir, e.tag);
        put16(dir, e.type);
        put32(dir, e.count);
        if (e.data.size() <= 4) {
            dir.append(e.data);
            dir.append(QByteArray(4 - e.data.size(), '\0'));
        } else {
            put32(dir, dataPos + quint32(data.size()));
            data.append(e.data);
            if (e.data.size() & 1)
                data.append('\0');
        }
    }
    put32(dir, 0); // no next IFD
    return dir + data;
}

QByteArray tiffBytes(const std::vector<Entry> &entries) {
    constexpr quint32 kIfd = 8;
    QByteArray out("II", 2);
    put16(out, 42);
    put32(out, kIfd);
    return out + ifdBytes(kIfd, entries);
}

std::vector<Entry> ifd0Entries(const Cr2Fixture &f) {
    return {asciiEntry(0x010f, f.make), asciiEntry(0x0110, f.model)};
}

std::vector<Entry> exifEntries(const Cr2Fixture &f) {
    std::vector<Entry> exif;
    if (f.exposureNumerator > 0 && f.exposureDenominator > 0)
        exif.push_back(
            rationalEntry(0x829a, quint32(f.exposureNumerator), quint32(f.exposureDenominator)));
    if (f.fNumber > 0)
        exif.push_back(rationalEntry(0x829d, quint32(std::lround(f.fNumber * 100)), 100));
    if (f.iso >= 0) {
        QByteArray iso = le16(clampU16(f.iso));
        quint32 count = 1;
        if (f.isoSecond >= 0) {
            iso += le16(clampU16(f.isoSecond));
            count = 2;
        }
        exif.push_back({0x8827, Short, count, iso});
    }
    if (!f.dateTimeOriginal.isEmpty())
        exif.push_back(asciiEntry(0x9003, f.dateTimeOriginal));
    if (f.focalLength > 0)
        exif.push_back(rationalEntry(0x920a, quint32(std::lround(f.focalLength * 10)), 10));
    if (f.focalLengthIn35mm > 0)
        exif.push_back({0xa405, Short, 1, le16(clampU16(f.focalLengthIn35mm))});
    return exif;
}

std::vector<Entry> makerNoteEntries(const Cr2Fixture &f, int recordMode) {
    const QByteArray settings = cameraSettings(f, recordMode);
    return {{0x0001, Short, quint32(settings.size() / 2), settings}};
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

} // namespace kadrilo::test::tiff
