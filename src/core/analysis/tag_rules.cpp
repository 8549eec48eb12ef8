#include "analysis/tag_rules.h"

#include "analysis/wording.h"
#include "run/exiftool_command.h"

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

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A full listing has some 300 lines, of which five are counted: a line that does not begin
// with the first two letters of ISO, FocusMode, FNumber, DriveMode or LensID is passed over
// without classifying it.
bool mayStartCountedTag(QByteArrayView line) {
    if (line.size() < 2)
        return false;
    switch (line[0]) {
    case 'I':
        return line[1] == 'S';
    case 'F':
        return line[1] == 'o' || line[1] == 'N';
    case 'D':
        return line[1] == 'r';
    case 'L':
        return line[1] == 'e';
    default:
        return false;
    }
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

namespace {

// Calls `count` with every line of `content`, without its end-of-line characters.
template <typename Count> void forEachLine(QByteArrayView content, const Count &count) {
    const char *const data = content.data();
    const qsizetype size = content.size();
    const auto find = [data, size](qsizetype from, qsizetype to, char c) {
        const void *hit = std::memchr(data + from, c, size_t(to - from));
        return hit ? static_cast<const char *>(hit) - data : to;
    };

    // ExifTool on Unix ends lines with LF alone: one search per line is enough then.
    if (find(0, size, '\r') == size) {
        for (qsizetype start = 0; start < size;) {
            const qsizetype stop = find(start, size, '\n');
            count(QByteArrayView(data + start, stop - start));
            start = stop + 1;
        }
        return;
    }

    qsizetype start = 0;
    qsizetype nextLf = -1; // offset of the next LF at or after `start`, `size` when none
    while (start < size) {
        if (nextLf < start)
            nextLf = find(start, size, '\n');
        // A CR before the LF ends the line there (CR alone or CR LF).
        const qsizetype cr = find(start, nextLf, '\r');
        count(QByteArrayView(data + start, cr - start));
        start = cr + 1;
        if (cr < nextLf && start == nextLf)
            ++start;
    }
}

} // namespace

void countContent(QByteArrayView content, statistiques_exif &stats) {
    forEachLine(content, [&stats](QByteArrayView line) {
        if (mayStartCountedTag(line))
            countLine(line, stats);
    });
}

void countContent(QByteArrayView content, statistiques_exif &stats, ShotCounts &shots) {
    countContent(content, stats);
    shots.countImage(content);
}

} // namespace kadrilo

namespace kadrilo {

namespace {

// The value of `line` when it is the tag `tag` ("Tag: value"), compared exactly.
bool tagValue(QByteArrayView line, QByteArrayView tag, QByteArrayView &value) {
    if (line.size() < tag.size() + 2 || !line.startsWith(tag) || line[tag.size()] != ':' ||
        line[tag.size() + 1] != ' ')
        return false;
    value = line.sliced(tag.size() + 2);
    return true;
}

} // namespace

bool tagFileError(QByteArrayView content, QString *reason) {
    bool found = false;
    forEachLine(content, [&](QByteArrayView line) {
        QByteArrayView value;
        if (!found && tagValue(line, "Error", value)) {
            found = true;
            if (reason)
                *reason = QString::fromUtf8(value.data(), value.size());
        }
    });
    return found;
}

QString taggedImagePath(QByteArrayView content) {
    QByteArrayView folder;
    QByteArrayView name;
    forEachLine(content, [&](QByteArrayView line) {
        QByteArrayView value;
        if (folder.isNull() && tagValue(line, "Directory", value))
            folder = value;
        else if (name.isNull() && tagValue(line, "FileName", value))
            name = value;
    });
    if (name.isEmpty())
        return {};
    const QString file = QString::fromUtf8(name.data(), name.size());
    return folder.isEmpty() ? file : QString::fromUtf8(folder.data(), folder.size()) + u'/' + file;
}

bool isCountedTagLine(QByteArrayView line) {
    static constexpr QByteArrayView prefixes[] = {
        "ISO",         "FocusMode",    "FNumber", "DriveMode",        "Lens",
        "FocalLength", "ExposureTime", "Model",   "DateTimeOriginal", "FileType"};
    for (const QByteArrayView prefix : prefixes) {
        if (line.startsWith(prefix))
            return true;
    }
    return false;
}

QByteArray countedTagLines(QByteArrayView content) {
    QByteArray kept;
    forEachLine(content, [&kept](QByteArrayView line) {
        if (isCountedTagLine(line)) {
            kept += line;
            kept += '\n';
        }
    });
    return kept;
}

bool hasFolderFormTag(QByteArrayView content) {
    bool found = false;
    forEachLine(content, [&found](QByteArrayView line) {
        QByteArrayView value;
        for (const char *tag : folderFormTags)
            found = found || tagValue(line, tag, value);
    });
    return found;
}

QString fileTypeOf(QByteArrayView content) {
    QString type;
    forEachLine(content, [&type](QByteArrayView line) {
        QByteArrayView value;
        if (type.isEmpty() && tagValue(line, "FileType", value))
            type = QString::fromUtf8(value.data(), value.size());
    });
    return type;
}

bool isCanonRawType(const QString &type) {
    return type == QLatin1String("CR2") || type == QLatin1String("CRW") ||
           type == QLatin1String("CR3");
}

QString uncountedReason(QByteArrayView content, bool recursive) {
    const QString type = fileTypeOf(content);
    if (!type.isEmpty() && !isCanonRawType(type))
        return wording::notCanonRawReason(type);
    if (recursive && !hasFolderFormTag(content))
        return wording::noFolderFormTagReason();
    return {};
}

} // namespace kadrilo
