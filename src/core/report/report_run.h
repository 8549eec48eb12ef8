#pragma once

#include "platform/platform.h"
#include "report/report_options.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

namespace kadrilo::report {

// Lets the program stop a report from outside, when the person presses Ctrl+C: ExifTool is
// stopped, the private folder removed, and the report ends with ExitInterrupted.
class ReportInterruption : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    void interrupt();
    // Also true as soon as a termination signal came, before the event loop delivers it.
    bool isInterrupted() const;

Q_SIGNALS:
    void interrupted();

private:
    bool m_interrupted = false;
};

struct ReportSettings {
    // Where exiftool.exe must stand, as for Kadrilo: the program's own folder.
    QString programFolder;
    // The cache file; empty: TagCache::defaultPath().
    QString cachePath;
    // Called once before ExifTool starts: the images the cache gives, those ExifTool reads.
    std::function<void(int fromCache, int toRead)> cacheUse;
    // Called with the tag files written so far and the images ExifTool reads, while it runs.
    // Left empty, no progress is followed.
    std::function<void(int done, int total)> progress;
    // Optional: stops the report when it fires.
    const ReportInterruption *interruption = nullptr;
};

// The end of a report: on success `output` holds the formatted results; otherwise `output`
// is empty. `error` holds what standard error must tell, in French: why the report failed,
// which images could not be read, or what went wrong with the cache.
struct ReportOutcome {
    int status = ExitOk;
    QByteArray output;
    QString error;
};

// Lists the raw images of the folder, takes from the cache those that have not changed, has
// ExifTool read the others into a temporary folder of its own, which is removed before
// returning, whatever happens, counts every image as the statistics window's analysis does
// and formats the result. Needs a running QCoreApplication (the wait for ExifTool runs an
// event loop).
ReportOutcome executerRapport(const ReportOptions &options, const ReportSettings &settings);

// The names ExifTool gives the tag files of the window's command ("%200f%-c.txt"), one per
// image of `paths`, in the order ExifTool reads them: the file name without its extension,
// cut to 200 bytes, then ".txt"; a name already taken gets the first free copy number,
// "-1", "-2"... An empty path stands for an image left without a tag file: its name is
// empty and takes nothing.
QList<QByteArray> tagFileNames(const QList<QByteArray> &paths);

// The positions of `names` in the order in which the window reads those tag files: by name,
// letter case ignored, as its folder listing sorts them. Names equal but for their case, which
// the window takes in its temp folder's own order, follow their names. Empty names come last.
QVector<qsizetype> windowReadingOrder(const QList<QByteArray> &names);

} // namespace kadrilo::report
