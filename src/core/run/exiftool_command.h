#pragma once

#include <QString>
#include <QStringList>

namespace kadrilo {

// The ExifTool command of one work cycle, in its two forms: the single command line kept in
// `ligne_commande`, and the program with its argument list that is actually started (never
// through a shell, so no character of a folder name is interpreted).
struct ExiftoolCommand {
    QString program;
    QStringList arguments;
    QString line;
    // Where ExifTool runs; empty: the current folder. Set when the temp folder's path could
    // not stand in the -w argument (see buildExiftoolCommand).
    QString workingDirectory;
};

struct ExiftoolCommandInput {
    QString exiftoolPath;    // chemin_exiftool, used unquoted
    QString extensionFilter; // filtre_extension: " -ext .cr2 -ext .crw" or ""
    int recursive = 0;       // option_recursive
    QString tempShortPath;   // the temp folder's short path, without a final separator
    QString imageFolder;     // the folder to analyse, as chosen
    QChar separator = QLatin1Char('/');
    // Tags asked for after the seven of the form with sub-folders (the report's own); the
    // form for this folder only writes every tag anyway.
    QStringList extraTags;
    // How ExifTool names the tag files; empty: tagFilePattern.
    QString namePattern;
};

// Each image gets a tag file of its own: the copy number keeps IMG_0001.CR2 and IMG_0001.CRW,
// or two IMG_0001 in different sub-folders, from sharing one file. The name part is cut to
// its first 200 bytes so that a copy-numbered name stays within the 255 bytes a file system
// allows: two images with 251-byte names in two sub-folders both get a tag file.
inline constexpr char16_t tagFilePattern[] = u"%200f%-c.txt";

// ExifTool's program file, looked for in the program's own folder.
inline constexpr char16_t exiftoolFileName[] = u"exiftool.exe";

// The extension filter of the raw images read: " -ext .cr2 -ext .crw" for Canon files in the
// window, and " -ext .cr3" after it for the report.
QString extensionFilter(bool withCr3);

// The seven tags that the form with sub-folders asks ExifTool for, in the command's order.
inline constexpr const char *folderFormTags[] = {"ISO",         "FNumber", "FocusMode", "DriveMode",
                                                 "FocalLength", "Lens",    "LensID"};

// The options piece: every tag for this folder only, or seven tags and -r with sub-folders.
// With sub-folders, FileType is asked too: only an image that ExifTool takes for a Canon
// raw image counts, whatever its name says.
// With sub-folders, linked folders are not followed (-i SYMLINKS): a link to a parent folder
// would make the run endless, a link to a sibling would read its photos twice. `extraTags`
// come after the seven.
QString optionsPiece(int recursive, const QStringList &extraTags = {});

// The tags the report counts beyond the window's: exposure time, camera model, the time of
// the shot and the focal length in 35 mm terms (the seven already hold FocalLength).
QStringList reportExtraTags();
// The image folder with its first character lower-cased (a drive letter C becomes c).
QString lowerFirstCharacter(const QString &folder);
// The folder between double quotes when it holds a blank (U+0020), unchanged otherwise.
QString quotedOnBlank(const QString &folder);

// ExifTool reads a "%" of the -w argument as the start of a format code ("%d", "%f", "%c"...)
// and offers no way to write a plain "%" there (12.57 leaves "%%" as is, or expands "%%f"). A
// temp folder whose path holds a "%" is therefore given as ExifTool's working directory, and
// the -w argument becomes ".", the separator and the pattern.
bool needsWorkingDirectory(const QString &tempShortPath);

ExiftoolCommand buildExiftoolCommand(const ExiftoolCommandInput &input);

} // namespace kadrilo
