#pragma once

#include <QString>
#include <QStringList>

namespace kadrilo::report {

enum class ReportFormat { Texte, Csv, Json };

// What the command line asks of kadrilo-rapport.
struct ReportOptions {
    bool recursive = false;
    ReportFormat format = ReportFormat::Texte;
    QString folder;
    // ExifTool processes sharing the images; 0: one per core (QThread::idealThreadCount()).
    int processes = 0;
    // false (--sans-cache): every image is read by ExifTool, the cache is neither read nor
    // written.
    bool useCache = true;
};

// The most ExifTool processes a report starts.
inline constexpr int maxProcesses = 64;

struct ParsedArguments {
    enum class Action {
        Run,   // `options` holds a complete request
        Help,  // --help: print the usage text and stop
        Error, // bad usage: `error` says why, in French
    };
    Action action = Action::Error;
    ReportOptions options;
    QString error;
};

// Exit statuses of kadrilo-rapport, listed in the usage text.
enum ExitStatus : int {
    ExitOk = 0,
    ExitBadUsage = 2,
    ExitFolderUnreadable = 3,
    ExitExiftoolMissing = 4, // missing, or cannot be started
    ExitNoTagFile = 5,
    ExitTempFolderFailed = 6,
    ExitExiftoolAborted = 7,    // killed, crashed, or failed: the results are not printed
    ExitTagFilesNotWritten = 8, // full disk: the results are not printed
    ExitImagesUnread = 9,       // the results of the images read are printed all the same
    ExitOutputFailed = 10,      // standard output could not be written
    ExitInterrupted = 130,
};

// Reads the arguments that follow the program name:
// [--recursif] [--format texte|csv|json] [--processus N] DOSSIER, options in any order,
// "--format=csv" and "--processus=2" accepted too, "--" ending the options so that a folder
// may begin with "-".
ParsedArguments parseReportArguments(const QStringList &arguments);

// The French usage text, exit statuses included.
QString usageText();

} // namespace kadrilo::report
