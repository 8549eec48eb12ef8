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
// stopped, the temporary folder removed, and the report ends with ExitInterrupted.
class ReportInterruption : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    void interrupt();
    bool isInterrupted() const { return m_interrupted; }

Q_SIGNALS:
    void interrupted();

private:
    bool m_interrupted = false;
};

struct ReportSettings {
    // Where exiftool.exe must stand, as for Kadrilo: the program's own folder.
    QString programFolder;
    // The program's arguments as the system gave them, in its encoding: the folder is taken
    // from there, so that a name that is not valid UTF-8 (a Latin-1 "é" of an old disk)
    // still reaches the disk as it is.
    QList<QByteArray> rawArguments;
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

// The images in the order in which the window reads their tag files: by the tag file's name
// (the image's name without its extension, cut to 200 bytes, then ".txt"), letter case
// ignored, so that lenses and bodies first occur where the window has them first. Equal names
// follow their paths.
QVector<const platform::ListedImage *> countingOrder(const QVector<platform::ListedImage> &images);

} // namespace kadrilo::report
