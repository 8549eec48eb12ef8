#include "analysis/tag_rules.h"

#include "analysis/wording.h"

#include <cstring>

namespace kadrilo {

namespace {

bool startsWith(QByteArrayView line, const char *prefix, qsizetype length) {
    return line.size() >= length && std::memcmp(line.data(), prefix, size_t(length)) == 0;
}

// The value from character `position` (counted from 1) to the end of the line.
QByteArrayView valueFrom(QByteArrayView line, qsizetype position) {
    return position - 1 < line.size() ? line.sliced(position - 1) : QByteArrayView();
}

} // namespace

TagLine classifyLine(QByteArrayView line) {
    if (line.isEmpty())
        return {};
    // The first byte tells the candidate tag apart, so most lines cost one comparison.
    switch (line.front()) {
    case 'I':
        if (startsWith(line, "ISO", 3))
            return {TagKind::Iso, valueFrom(line, 6)};
        break;
    case 'F':
        if (startsWith(line, "FocusMode", 9))
            return {TagKind::FocusMode, valueFrom(line, 12)};
        if (startsWith(line, "FNumber", 7))
            return {TagKind::FNumber, valueFrom(line, 10)};
        break;
    case 'D':
        if (startsWith(line, "DriveMode", 9))
            return {TagKind::DriveMode, valueFrom(line, 12)};
        break;
    case 'L':
        if (startsWith(line, "LensID", 6))
            return {TagKind::LensId, valueFrom(line, 9)};
        break;
    default:
        break;
    }
    return {};
}

int isoNumber(QByteArrayView value) {
    // Far above any sensitivity; keeps huge digit runs from overflowing.
    constexpr qint64 ceiling = 1'000'000'000;

    qsizetype i = 0;
    const qsizetype size = value.size();
    while (i < size && (value[i] == ' ' || value[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < size && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }

    bool anyDigit = false;
    qint64 whole = 0;
    for (; i < size && isDigit(value[i]); ++i) {
        anyDigit = true;
        whole = std::min(ceiling, whole * 10 + (value[i] - '0'));
    }

    // Round on the decimal text itself: the first decimal decides, the rest only matters
    // to tell an exact half (to the even neighbour) from a little more than a half.
    int firstDecimal = 0;
    bool moreAfterFirst = false;
    if (i < size && value[i] == '.') {
        ++i;
        if (i < size && isDigit(value[i])) {
            anyDigit = true;
            firstDecimal = value[i] - '0';
            for (++i; i < size && isDigit(value[i]); ++i)
                moreAfterFirst = moreAfterFirst || value[i] != '0';
        }
    }
    if (!anyDigit)
        return 0;

    const bool roundUp = firstDecimal > 5 || (firstDecimal == 5 && (moreAfterFirst || whole % 2));
    if (roundUp)
        whole = std::min(ceiling, whole + 1);
    return int(negative ? -whole : whole);
}

int isoBand(QByteArrayView value) {
    const int v = isoNumber(value);
    if (v >= 50 && v <= 126)
        return 1;
    if (v >= 127 && v <= 251)
        return 2;
    if (v >= 319 && v <= 501)
        return 3;
    if (v >= 639 && v <= 1001)
        return 4;
    if (v >= 1230 && v <= 2400)
        return 5;
    if (v >= 2480 && v <= 4100)
        return 6;
    if (v >= 4101 && v <= 6401)
        return 7;
    if (v >= 6402)
        return 8;
    return 0;
}

int autofocusMode(QByteArrayView value) {
    static const char *const modes[] = {"One-shot AF", "AI Servo AF", "Manual Focu", "AI Focus AF"};
    for (int m = 0; m < 4; ++m) {
        if (startsWith(value, modes[m], 11))
            return m + 1;
    }
    return 0;
}

int driveMode(QByteArrayView value) {
    if (startsWith(value, "Single", 6))
        return 1;
    if (startsWith(value, "Contin", 6))
        return 2;
    return 0;
}

int apertureBucket(QByteArrayView value) {
    if (value.isEmpty() || value.size() > 4)
        return 0;
    const auto matches = [value](const char *number) {
        const QByteArrayView text(number);
        if (value == text)
            return true;
        return !std::strchr(number, '.') && value.size() == text.size() + 2 &&
               value.startsWith(text) && value.endsWith(".0");
    };
    for (int bucket = 1; bucket <= 24; ++bucket) {
        if (matches(apertureValues[bucket - 1]))
            return bucket;
    }
    return matches("18") || matches("20") ? 24 : 0;
}

int lensSlot(statistiques_exif &stats, QByteArrayView name) {
    // An empty value names no lens: it would hold a slot with no label.
    if (name.isEmpty() || name.size() > maxLensNameBytes)
        return 0;
    // ExifTool writes UTF-8. Invalid bytes decode to replacement characters, the same way
    // every time, so equal byte strings always give equal names.
    const QString text = QString::fromUtf8(name.data(), name.size());
    for (int slot = 0; slot < statistiques_exif::lens_slots; ++slot) {
        QString &held = stats.objectifs[size_t(slot)];
        if (held == text)
            return slot + 1;
        if (held.isEmpty()) {
            held = text;
            ++stats.nb_objectifs;
            return slot + 1;
        }
    }
    return 0;
}

void countLine(QByteArrayView line, statistiques_exif &stats) {
    const TagLine tag = classifyLine(line);
    int k = 0;
    switch (tag.kind) {
    case TagKind::None:
        break;
    case TagKind::Iso:
        if ((k = isoBand(tag.value)))
            ++stats.compte_iso[size_t(k - 1)];
        break;
    case TagKind::FocusMode:
        if ((k = autofocusMode(tag.value)))
            ++stats.compte_af[size_t(k - 1)];
        break;
    case TagKind::DriveMode:
        if ((k = driveMode(tag.value)))
            ++stats.compte_drive[size_t(k - 1)];
        break;
    case TagKind::FNumber:
        if ((k = apertureBucket(tag.value)))
            ++stats.compte_diaph[size_t(k - 1)];
        break;
    case TagKind::LensId:
        if ((k = lensSlot(stats, tag.value)))
            ++stats.compte_objectifs[size_t(k - 1)];
        break;
    }
}

void countImage(const ImageTags &tags, statistiques_exif &stats) {
    for (const QByteArrayView line : tags.countedLines)
        countLine(line, stats);
}

void countImage(const ImageTags &tags, statistiques_exif &stats, ShotCounts &shots) {
    countImage(tags, stats);
    shots.countImage(tags);
}

QString taggedImagePath(const ImageTags &tags) {
    if (tags.fileName.isEmpty())
        return {};
    const QString file = QString::fromUtf8(tags.fileName);
    return tags.directory.isEmpty() ? file : QString::fromUtf8(tags.directory) + u'/' + file;
}

bool isCanonRawType(const QString &type) {
    return type == QLatin1String("CR2") || type == QLatin1String("CRW") ||
           type == QLatin1String("CR3");
}

QString uncountedReason(const ImageTags &tags, bool recursive) {
    const QString type = QString::fromUtf8(tags.fileType);
    if (!type.isEmpty() && !isCanonRawType(type))
        return wording::notCanonRawReason(type);
    if (recursive && !tags.folderFormTag)
        return wording::noFolderFormTagReason();
    return {};
}

} // namespace kadrilo
