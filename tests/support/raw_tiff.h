// Little-endian TIFF directories of a raw fixture, shared by the CR2 and CR3 writers.
//
// A CR2 file is one TIFF whose Exif IFD holds the maker note; a CR3 file carries the same three
// directories as three separate TIFF blocks. Both writers build their directories here, so the
// two formats give ExifTool the very same tag values.
#pragma once

#include "support/cr2_writer.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace kadrilo::test::tiff {

enum Type : quint16 { Ascii = 2, Short = 3, Long = 4, Rational = 5, Undefined = 7 };

struct Entry {
    quint16 tag;
    quint16 type;
    quint32 count;
    QByteArray data; // raw little-endian value bytes
};

void put16(QByteArray &b, quint16 v);
void put32(QByteArray &b, quint32 v);
QByteArray le32(quint32 v);

// Size of an IFD (count, entries, next pointer) plus its out-of-line data.
quint32 ifdSize(const std::vector<Entry> &entries);
// Offset at which ifdBytes(start, entries) places the out-of-line value of `tag`.
quint32 valueOffset(quint32 start, const std::vector<Entry> &entries, quint16 tag);
// Serialises an IFD at offset `start` from the TIFF header, entries in ascending tag order and
// each out-of-line value after the directory in that same order.
QByteArray ifdBytes(quint32 start, std::vector<Entry> entries);
// A whole TIFF block: "II", 42, and one IFD at offset 8.
QByteArray tiffBytes(const std::vector<Entry> &entries);

// The fixture's values as IFD entries. IFD0: Make, Model.
std::vector<Entry> ifd0Entries(const Cr2Fixture &f);
// Exif IFD: ExposureTime, FNumber, ISO, DateTimeOriginal, FocalLength, FocalLengthIn35mmFormat
// (the maker note pointer is the CR2 writer's own).
std::vector<Entry> exifEntries(const Cr2Fixture &f);
// Canon maker note: CanonCameraSettings, with RecordMode (index 9) as given (6 CR2, 12 CR3).
std::vector<Entry> makerNoteEntries(const Cr2Fixture &f, int recordMode);

// Writes `bytes` as the whole file `path`; false on I/O failure.
bool writeFile(const QString &path, const QByteArray &bytes);

} // namespace kadrilo::test::tiff
