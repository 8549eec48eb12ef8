#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QVarLengthArray>

#include <cstring>

// One reading of a tag file: ExifTool's "Tag: value" lines (its -s -s form), split once into
// what the window's analysis, the report, its filter and its cache look at.
namespace kadrilo {

inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of `line` when it carries exactly the tag `tag`: "LensID" takes "LensID: x",
// never "LensIDNumber: x" nor "LensID:x". Null when the line carries another tag; an empty
// value ("Model: ") is empty but not null. Inline: with a literal tag, the comparison is a
// few instructions, and a tag file has hundreds of lines.
inline QByteArrayView tagValue(QByteArrayView line, QByteArrayView tag) {
    if (line.size() < tag.size() + 2 || line[tag.size()] != ':' || line[tag.size() + 1] != ' ' ||
        std::memcmp(line.data(), tag.data(), size_t(tag.size())) != 0)
        return {};
    return line.sliced(tag.size() + 2);
}

// One tag file, scanned once. Every view points into the content read, which must outlive it.
struct ImageTags {
    // The lines a counting rule may read, in file order, without their ends: those that begin
    // like one of the window's five tags, one of the seven tags of the form with sub-folders,
    // or one of the report's own tags. Counting these lines gives what counting every line
    // gives: a rule that reads another tag must add it to the lines kept (tag_lines.cpp).
    QVarLengthArray<QByteArrayView, 32> countedLines;
    // The value of the first line of each tag, null when no line carries it. `error` is
    // ExifTool's error in place of tags, which it writes into the tag file of an image it
    // could not read (a damaged file, a file the person may not read).
    QByteArrayView error;
    QByteArrayView exiftoolVersion; // the version that wrote the file, when asked
    QByteArrayView directory;
    QByteArrayView fileName;
    QByteArrayView fileType;
    QByteArrayView lensId;
    QByteArrayView model;
    QByteArrayView dateTimeOriginal;
    // True when a line carries one of the seven tags the form with sub-folders asks for:
    // without any, that form writes no tag file for the image.
    bool folderFormTag = false;
};

// Splits `content` into lines as the window's reading does (a line ends at LF, CR LF or a CR
// alone; empty lines carry no tag) and keeps what ImageTags holds, in one pass.
ImageTags readImageTags(QByteArrayView content);

// The counted lines of `tags`, each ended by "\n": what the report keeps of a tag file.
QByteArray countedTagLines(const ImageTags &tags);

} // namespace kadrilo
