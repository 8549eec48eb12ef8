#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace kadrilo::report {

enum class ReportFormat { Texte, Csv, Json, Html };

// How --par splits the images kept into groups shown side by side: not at all, by body
// (Model), by lens (LensID) or by year of the shot (DateTimeOriginal).
enum class GroupBy { None, Body, Lens, Year };

// What the command line asks of kadrilo-rapport.
struct ReportOptions {
    bool recursive = false;
    ReportFormat format = ReportFormat::Texte;
    QString folder;
    // The folder as the system gave it, in its encoding, so that a name that is not valid
    // UTF-8 (a Latin-1 "é" of an old disk) reaches the disk as it is. Set by
    // parseReportRequest(); empty: `folder` in the system's encoding.
    QByteArray folderArgument;
    // ExifTool processes sharing the images; 0: one per core (QThread::idealThreadCount()).
    int processes = 0;
    // Each image's tag lines are kept between reports; --sans-cache reads every image with
    // ExifTool and neither reads nor writes them.
    bool useCache = true;

    // Filters, all of which an image must pass; an empty text or a null date filters nothing.
    QString lens;  // --objectif: LensID holds it, ignoring case
    QString model; // --boitier: Model holds it, ignoring case
    QDate since;   // --depuis: DateTimeOriginal on that day or later
    QDate until;   // --jusqu-au: DateTimeOriginal on that day or earlier

    GroupBy groupBy = GroupBy::None; // --par boitier|objectif|annee
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

// Reads the arguments that follow the program name: [--recursif] [--format texte|csv|json|html]
// [--processus N] [--objectif TEXTE] [--boitier TEXTE] [--depuis AAAA-MM-JJ]
// [--jusqu-au AAAA-MM-JJ] [--par boitier|objectif|annee] [--sans-cache] DOSSIER, options in any
// order, each at most once, the "--format=csv" form accepted for every option with a value, "--"
// ending the options so that a folder may begin with "-". Refused: an empty TEXTE, a date that is
// malformed or does not exist, --depuis after --jusqu-au.
ParsedArguments parseReportArguments(const QStringList &arguments);
// The same, from the arguments as the system gave them (argv past the program's name): every
// one is read as text in the system's encoding, and the folder also keeps its own bytes.
ParsedArguments parseReportRequest(const QList<QByteArray> &arguments);

// The French usage text, exit statuses included.
QString usageText();

// The program's name, as its messages give it.
inline QString reportProgramName() {
    return QStringLiteral("kadrilo-rapport");
}

} // namespace kadrilo::report
