#pragma once

#include "analysis/statistiques.h"
#include "run/extraction.h"

#include <QString>
#include <QStringList>

// The wording of the program: the statistics window's fixed texts and those of its charts,
// and the messages that the window and the headless report both show. Plain functions
// without widgets, so that both front ends word their output alike.
namespace kadrilo::wording {

// The statistics window's tabs, in their order.
enum class Tab { Iso, Aperture, Speed, DriveAndAutofocus, Lens, Focal };
inline constexpr Tab allTabs[] = {Tab::Iso,  Tab::Aperture, Tab::Speed, Tab::DriveAndAutofocus,
                                  Tab::Lens, Tab::Focal};
QString tabName(Tab tab);

// Category labels of a chart, row 1 first: 8 ISO bands, 24 apertures, 2 drive modes,
// 4 autofocus modes; the lens chart's single row carries the empty text.
QStringList rowLabels(Chart chart);

// A chart's title, exactly as shown (two of them end with a blank).
QString title(Chart chart);

// The label of the lens chart's column for `lens`: its name followed by one blank.
QString lensColumnLabel(const QString &lens);

// Caption of ISO band `band` (1..8) beside its result: "100 :" ... "6400 :", then "H ".
QString isoBandCaption(int band);

// Aperture bucket `bucket` (1..24) as a photographer names it: "F/2.8".
QString apertureName(int bucket);
// Caption of aperture bucket `bucket` beside its result, with the blanks that line the
// colons up.
QString apertureCaption(int bucket);

// Caption of autofocus mode `mode` (1..4) beside its result.
QString autofocusCaption(int mode);

// Caption of drive mode `mode` (1 single frame, 2 continuous) beside its result.
QString driveCaption(int mode);

// The note under the drive results about self-timer shots.
QString selfTimerNote();

// The notice of the tabs whose analysis does not exist yet.
QString notAvailableNotice();

// ExifTool wrote no tag file at all.
QString noTagFileError();

// "Le fichier exiftool.exe doit se trouver dans le même dossier que <program>": where
// ExifTool must stand, as the window, the report and the report's help say it.
QString exiftoolPlaceRule(const QString &program);

// A text between French quotes: « 24-70 ».
QString quoted(const QString &text);
// A path between French quotes, in native form: « /photos/2010 ».
QString quotedPath(const QString &path);

// ExifTool's reason for an image it could not read, said in French with ExifTool's own words
// after it in brackets: "fichier vide (File is empty)". A reason not known stays as written.
QString frenchReason(const QString &exiftoolReason);
// Why an image that ExifTool identified as `type` ("JPEG", "TXT") is not counted.
QString notCanonRawReason(const QString &type);
// Why an image whose tag file of the form with sub-folders holds none of its seven tags is
// not counted.
QString noFolderFormTagReason();

// The unread images named at most in a message; the window's box lists them all in its
// details.
inline constexpr int unreadImagesShown = 10;

} // namespace kadrilo::wording

namespace kadrilo {

// The French texts that tell the person how a run went wrong, in the words both front ends
// use. Each one is a sentence of its own.

// Some images or folders could not be read: "1 des 97 images n'a pas pu être lue", the first
// unread images with ExifTool's reason, "… et N autres", then the folders that could not be
// opened, if any.
QString unreadImagesText(const ExtractionResult &result);
// Every unread image and folder, one a line: the details of the window's box.
QString unreadImagesDetails(const ExtractionResult &result);
// ExifTool stopped before its end: killed, crashed, or failed.
QString abortedText(const ExtractionResult &result);
// Tag files could not all be written into `tempFolder` (full disk, no file entry left).
QString writeFailedText(const ExtractionResult &result, const QString &tempFolder);
// `exiftoolPath` could not be started; the reason is found from the file itself.
QString failedToStartText(const ExtractionResult &result, const QString &exiftoolPath);
// The folder holds no Canon raw image of the `types` given ("CR2, CRW").
QString noImageText(const QString &folder, const QString &types);

} // namespace kadrilo
