#include "cr2_writer.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace kadrilo::test {

namespace {

enum TiffType : quint16 { Ascii = 2, Short = 3, Long = 4, Rational = 5, Undefined = 7 };

struct Entry {
    quint16 tag;
    quint16 type;
    quint32 count;
    QByteArray data; // raw little-endian value bytes
};

void put16(QByteArray &b, quint16 v) {
    b.append(char(v & 0xff));
    b.append(char(v >> 8));
}

void put32(QByteArray &b, quint32 v) {
    put16(b, quint16(v & 0xffff));
    put16(b, quint16(v >> 16));
}

QByteArray le16(quint16 v) {
    QByteArray b;
    put16(b, v);
    return b;
}

QByteArray le32(quint32 v) {
    QByteArray b;
    put32(b, v);
    return b;
}

QByteArray asciiValue(const QString &s) {
    QByteArray b = s.toUtf8();
    b.append('\0');
    return b;
}

quint32 padded(quint32 n) {
    return n + (n & 1);
}

// Size of an IFD (count, entries, next pointer) plus its out-of-line data.
quint32 ifdSize(const std::vector<Entry> &entries) {
    quint32 size = 2 + 12 * quint32(entries.size()) + 4;
    for (const Entry &e : entries) {
        if (e.data.size() > 4)
            size += padded(quint32(e.data.size()));
    }
    return size;
}

// Serialises an IFD located at absolute offset `start`; value offsets are absolute.
QByteArray ifdBytes(quint32 start, std::vector<Entry> entries) {
    std::sort(entries.begin(), entries.end(),
              [](const Entry &a, const Entry &b) { return a.tag < b.tag; });
    QByteArray dir;
    QByteArray data;
    quint32 dataPos = start + 2 + 12 * quint32(entries.size()) + 4;
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

quint16 clampU16(int v) {
    return quint16(std::clamp(v, 0, 65535));
}

QByteArray cameraSettings(const Cr2Fixture &f) {
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
    v[9] = 6;       // RecordMode: CR2
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
    constexpr quint32 kIfd0 = 16;

    // Canon maker note: one IFD entry pointing at the CameraSettings array.
    std::vector<Entry> maker;
    const QByteArray settings = cameraSettings(f);
    maker.push_back({0x0001, Short, quint32(settings.size() / 2), settings});

    std::vector<Entry> exif;
    if (f.exposureNumerator > 0 && f.exposureDenominator > 0)
        exif.push_back({0x829a, Rational, 1,
                        le32(quint32(f.exposureNumerator)) + le32(quint32(f.exposureDenominator))});
    if (f.focalLength > 0)
        exif.push_back(
            {0x920a, Rational, 1, le32(quint32(std::lround(f.focalLength * 10))) + le32(10)});
    if (f.fNumber > 0) {
        QByteArray r = le32(quint32(std::lround(f.fNumber * 100)));
        r += le32(100);
        exif.push_back({0x829d, Rational, 1, r});
    }
    if (f.iso >= 0) {
        QByteArray iso = le16(clampU16(f.iso));
        quint32 count = 1;
        if (f.isoSecond >= 0) {
            iso += le16(clampU16(f.isoSecond));
            count = 2;
        }
        exif.push_back({0x8827, Short, count, iso});
    }
    if (!f.dateTimeOriginal.isEmpty()) {
        const QByteArray text = asciiValue(f.dateTimeOriginal);
        exif.push_back({0x9003, Ascii, quint32(text.size()), text});
    }
    if (f.focalLengthIn35mm > 0)
        exif.push_back({0xa405, Short, 1, le16(clampU16(f.focalLengthIn35mm))});
    // Last: its offset is worked out below from the end of the Exif IFD.
    exif.push_back(
        {0x927c, Undefined, quint32(ifdSize(maker)), QByteArray(int(ifdSize(maker)), '\0')});

    std::vector<Entry> ifd0;
    ifd0.push_back({0x010f, Ascii, 0, asciiValue(f.make)});
    ifd0.push_back({0x0110, Ascii, 0, asciiValue(f.model)});
    ifd0.push_back({0x8769, Long, 1, le32(0)});
    for (Entry &e : ifd0) {
        if (e.type == Ascii)
            e.count = quint32(e.data.size());
    }

    const quint32 exifStart = kIfd0 + ifdSize(ifd0);
    ifd0.back().data = le32(exifStart);

    // The maker note is the last out-of-line value of the Exif IFD, so it starts at the end
    // of the Exif IFD block minus its own (even) size.
    const quint32 makerSize = ifdSize(maker);
    const quint32 makerStart = exifStart + ifdSize(exif) - padded(makerSize);
    exif.back().data = ifdBytes(makerStart, maker);

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
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = cr2Bytes(f);
    if (file.write(bytes) != bytes.size())
        return false;
    return file.flush();
}

} // namespace kadrilo::test
