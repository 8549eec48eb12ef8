#pragma once

#include "report/report_options.h"

#include <QByteArray>
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
    // Called with the tag files written so far and the raw images to process, while ExifTool
    // runs. Left empty, no progress is followed and the images are not counted.
    std::function<void(int done, int total)> progress;
    // Optional: stops the report when it fires.
    const ReportInterruption *interruption = nullptr;
};

// The end of a report: on success `output` holds the formatted results; otherwise `error`
// holds the French message for standard error and `output` is empty.
struct ReportOutcome {
    int status = ExitOk;
    QByteArray output;
    QString error;
};

// Runs ExifTool over the folder into a temporary folder of its own, which is removed before
// returning, whatever happens, analyses the tag files as the statistics window's analysis
// does and formats the result. Needs a running QCoreApplication (the wait for ExifTool runs
// an event loop).
ReportOutcome executerRapport(const ReportOptions &options, const ReportSettings &settings);

// The folder's absolute path, cleaned and in native form: the form ExifTool is given and
// the report shows.
QString analysedFolderPath(const QString &folder);

} // namespace kadrilo::report
