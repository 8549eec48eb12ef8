#pragma once

#include "analysis/statistiques.h"

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

// Some images gave no tag file: "N des M images n'ont pas pu être lues", then the folders
// that could not be opened, if any.
QString unreadImages(int unread, int considered, const QStringList &unreadableFolders);
// ExifTool stopped before its end: killed or crashed (`signal`), or failed with `exitCode`;
// `read` of `considered` images were read. `exiftoolLine` is its last error line, if any.
QString exiftoolAborted(int signal, int exitCode, int read, int considered,
                        const QString &exiftoolLine);
// Tag files could not all be written into `tempFolder` (full disk, no file entry left).
QString tagFilesNotWritten(const QString &tempFolder, const QString &exiftoolLine);
// `exiftoolPath` exists but could not be started, for `reason`.
QString exiftoolCannotStart(const QString &exiftoolPath, const QString &reason);

} // namespace kadrilo::wording
