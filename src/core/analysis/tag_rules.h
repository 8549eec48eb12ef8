#pragma once

#include "analysis/shot_classes.h"
#include "analysis/statistiques.h"
#include "analysis/tag_lines.h"

#include <QByteArrayView>
#include <QString>

namespace kadrilo {

// The five tags the analysis counts, recognised by the first characters of a line.
enum class TagKind { None, Iso, FocusMode, DriveMode, FNumber, LensId };

// A tag line split into its kind and the value text the rules look at. `value` points into
// the line handed to classifyLine().
struct TagLine {
    TagKind kind = TagKind::None;
    QByteArrayView value;
};

// Recognises a line of a tag file (without its end-of-line characters) by its first bytes,
// exactly and case-sensitively, and cuts the value at the tag's fixed position: ISO from
// character 6, FocusMode and DriveMode from 12, FNumber from 10, LensID from 9 (counted from
// 1). A line too short to reach that position has an empty value.
TagLine classifyLine(QByteArrayView line);

// The value of an ISO line as a whole number: the leading number of the text (blanks,
// optional sign, digits, optional "." and decimals), rounded half to even; 0 when the text
// does not start with a number. Saturates far beyond any sensitivity instead of wrapping.
int isoNumber(QByteArrayView value);
// ISO band 1..8 of a value text, 0 when it falls in no band.
int isoBand(QByteArrayView value);
// Autofocus mode 1..4 from the first 11 characters of the value, 0 for none.
int autofocusMode(QByteArrayView value);
// Drive mode 1 (single frame) or 2 (continuous) from the first 6 characters, 0 for none.
int driveMode(QByteArrayView value);
// The f-numbers of the 24 aperture buckets, as the captions write them.
inline constexpr const char *apertureValues[24] = {
    "1.2", "1.4", "1.6", "1.8", "2", "2.2", "2.5", "2.8", "3.2", "3.5", "4",  "4.5",
    "5",   "5.6", "6.3", "7.1", "8", "9",   "10",  "11",  "13",  "14",  "16", "22"};

// Aperture bucket 1..24 for a value that is one of the bucket's f-numbers, a whole one also
// with ".0" ("8.0"); f/18 and f/20 fall in bucket 24 with f/22. 0 otherwise.
int apertureBucket(QByteArrayView value);

// Longest lens name taken, in bytes. No camera lens name comes near it; a longer value is
// junk and is kept out of the lens list and the chart labels.
inline constexpr qsizetype maxLensNameBytes = 64 * 1024;

// Finds the slot (1..30) of a lens name in the lens list of `stats`, storing the name in the
// first free slot when it is new. Returns 0 when the name is dropped: empty, too long, or new
// while all slots are taken. Names are decoded as UTF-8 and compared exactly.
int lensSlot(statistiques_exif &stats, QByteArrayView name);

// Applies the five rules to one line and counts its class in `stats`.
void countLine(QByteArrayView line, statistiques_exif &stats);

// Counts every counted line of one tag file read by readImageTags().
void countImage(const ImageTags &tags, statistiques_exif &stats);
// The same, also counting the report's own classes of that image into `shots`. The window's
// analysis uses the form above, which never looks at those lines.
void countImage(const ImageTags &tags, statistiques_exif &stats, ShotCounts &shots);

// The image a tag file of the full form speaks of, from its "Directory" and "FileName" lines;
// empty when they are missing.
QString taggedImagePath(const ImageTags &tags);

// True for the types of Canon raw images: CR2, CRW and CR3.
bool isCanonRawType(const QString &type);
// Why the image of the tag file read into `tags` stands for no photo, although ExifTool read
// it: a file that ExifTool does not take for a Canon raw image (its "FileType"), or, in the
// form with sub-folders (`recursive`), none of the seven tags asked. Empty when the image
// counts. A tag file that does not say its type is judged by its tags alone.
QString uncountedReason(const ImageTags &tags, bool recursive);

} // namespace kadrilo
