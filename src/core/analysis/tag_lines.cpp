#include "analysis/tag_lines.h"

#include "run/exiftool_command.h"

#include <cstring>

namespace kadrilo {

namespace {

// Calls `visit` with every non-empty line of `text`, without its end.
template <typename Visit> void forEachLine(QByteArrayView text, const Visit &visit) {
    // The view of an empty QByteArray has no data, which memchr may not be given.
    if (text.isEmpty())
        return;
    const char *const data = text.data();
    const qsizetype size = text.size();
    const auto find = [data](qsizetype from, qsizetype to, char c) {
        const void *hit = std::memchr(data + from, c, size_t(to - from));
        return hit ? static_cast<const char *>(hit) - data : to;
    };
    // ExifTool on Unix ends lines with LF alone: one search per line is enough then.
    const bool anyCr = find(0, size, '\r') < size;
    for (qsizetype start = 0; start < size;) {
        const qsizetype stop = find(start, size, '\n');
        while (start < stop) {
            const qsizetype cut = anyCr ? find(start, stop, '\r') : stop;
            if (cut > start)
                visit(QByteArrayView(data + start, cut - start));
            start = cut + 1;
        }
        start = stop + 1;
    }
}

// True when `line` begins with `prefix`; the length is known when compiling.
template <qsizetype N> bool begins(QByteArrayView line, const char (&prefix)[N]) {
    return line.size() >= N - 1 && std::memcmp(line.data(), prefix, size_t(N - 1)) == 0;
}

// True for a line that a counting rule may read, by the first letters of its tag. The report
// keeps only these lines of a tag file.
bool isCountedTagLine(QByteArrayView line) {
    switch (line.front()) {
    case 'I':
        return begins(line, "ISO");
    case 'F':
        return begins(line, "FocusMode") || begins(line, "FNumber") ||
               begins(line, "FocalLength") || begins(line, "FileType");
    case 'D':
        return begins(line, "DriveMode") || begins(line, "DateTimeOriginal");
    case 'L':
        return begins(line, "Lens");
    case 'E':
        return begins(line, "ExposureTime");
    case 'M':
        return begins(line, "Model");
    default:
        return false;
    }
}

// Sets `value` to the value of `line` when it is still null and the line carries `tag`.
void keepFirst(QByteArrayView &value, QByteArrayView line, QByteArrayView tag) {
    if (value.isNull())
        value = tagValue(line, tag);
}

bool isFolderFormTag(QByteArrayView line) {
    for (const char *tag : folderFormTags) {
        if (!tagValue(line, tag).isNull())
            return true;
    }
    return false;
}

} // namespace

ImageTags readImageTags(QByteArrayView content) {
    ImageTags tags;
    forEachLine(content, [&tags](QByteArrayView line) {
        // A full listing has some 300 lines, of which about twenty are kept: the first letter
        // of the tag passes most of them over at once.
        switch (line.front()) {
        case 'E':
            keepFirst(tags.error, line, "Error");
            keepFirst(tags.exiftoolVersion, line, "ExifToolVersion");
            break;
        case 'D':
            keepFirst(tags.directory, line, "Directory");
            keepFirst(tags.dateTimeOriginal, line, "DateTimeOriginal");
            break;
        case 'F':
            keepFirst(tags.fileName, line, "FileName");
            keepFirst(tags.fileType, line, "FileType");
            break;
        case 'L':
            keepFirst(tags.lensId, line, "LensID");
            break;
        case 'M':
            keepFirst(tags.model, line, "Model");
            break;
        default:
            break;
        }
        if (isCountedTagLine(line)) {
            tags.countedLines.append(line);
            tags.folderFormTag = tags.folderFormTag || isFolderFormTag(line);
        }
    });
    return tags;
}

QByteArray countedTagLines(const ImageTags &tags) {
    QByteArray kept;
    for (const QByteArrayView line : tags.countedLines) {
        kept += line;
        kept += '\n';
    }
    return kept;
}

} // namespace kadrilo
