#include "report/report_run.h"

#include "analysis/analyse.h"
#include "analysis/wording.h"
#include "platform/platform.h"
#include "report/parallel_extraction.h"
#include "report/report_format.h"
#include "run/extraction.h"
#include "run/image_count.h"
#include "run/module1.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

namespace kadrilo::report {

namespace {

ReportOutcome failure(int status, const QString &error) {
    return {status, {}, error};
}

int tagFilesWritten(const QString &tempFolder) {
    return platform::platform().listFiles(tempFolder, {QStringLiteral("*.txt")}).size();
}

ReportOutcome interrupted() {
    return failure(ExitInterrupted, QStringLiteral("interrompu."));
}

// One ExifTool over the whole folder, writing into the private folder itself.
ExiftoolRun::Outcome extractAtOnce(Module1 &state, const QString &folder,
                                   const ReportSettings &settings) {
    ExiftoolRun run;
    if (settings.interruption)
        QObject::connect(settings.interruption, &ReportInterruption::interrupted, &run,
                         &ExiftoolRun::cancel);
    if (!settings.progress)
        return extraire_exif(state, folder, &run, reportExtraTags());
    const int total = countRawImages(folder, state.option_recursive == 1);
    const QString temp = state.dossier_temp;
    const auto progress = settings.progress;
    QObject::connect(&run, &ExiftoolRun::tick, &run,
                     [temp, total, progress] { progress(tagFilesWritten(temp), total); });
    progress(0, total);
    const auto outcome = extraire_exif(state, folder, &run, reportExtraTags());
    progress(tagFilesWritten(temp), total);
    return outcome;
}

// The images shared among `processes` ExifTool processes, each writing into a tag folder of
// its own inside the private folder; `tagFolders` receives those folders.
ExiftoolRun::Outcome extractInParts(Module1 &state, const QString &folder, int processes,
                                    const ReportSettings &settings, QStringList &tagFolders) {
    ParallelExtraction extraction;
    if (settings.interruption)
        QObject::connect(settings.interruption, &ReportInterruption::interrupted, &extraction,
                         &ParallelExtraction::cancel);
    if (settings.progress) {
        const auto progress = settings.progress;
        const auto show = [&extraction, progress] {
            progress(extraction.tagFilesWritten(), extraction.images());
        };
        QObject::connect(&extraction, &ParallelExtraction::listed, &extraction, show);
        QObject::connect(&extraction, &ParallelExtraction::tick, &extraction, show);
    }
    const auto outcome = extraction.run(state, folder, processes, reportExtraTags());
    if (settings.progress)
        settings.progress(extraction.tagFilesWritten(), extraction.images());
    tagFolders = extraction.tagFolders();
    return outcome;
}

} // namespace

void ReportInterruption::interrupt() {
    m_interrupted = true;
    Q_EMIT interrupted();
}

QString analysedFolderPath(const QString &folder) {
    // ExifTool receives the folder with its first character lower-cased, harmless only for
    // an absolute path, and the summary shows the folder as the folder window would.
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
}

ReportOutcome executerRapport(const ReportOptions &options, const ReportSettings &settings) {
    auto &system = platform::platform();

    const QString folder = analysedFolderPath(options.folder);
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir())
        return failure(ExitFolderUnreadable,
                       QStringLiteral("le dossier « %1 » est introuvable.").arg(options.folder));
    if (!folderInfo.isReadable() || !folderInfo.isExecutable())
        return failure(ExitFolderUnreadable,
                       QStringLiteral("le dossier « %1 » est illisible.").arg(options.folder));

    Module1 state;
    state.type_raw = QStringLiteral("Canon");
    state.option_recursive = options.recursive ? 1 : 0;
    state.chemin_exiftool =
        platform::withTrailingSeparator(settings.programFolder) + QStringLiteral("exiftool.exe");
    if (!system.isNormalFile(state.chemin_exiftool))
        return failure(ExitExiftoolMissing,
                       QStringLiteral("le programme Exiftool est introuvable : le fichier "
                                      "exiftool.exe doit se trouver dans le même dossier que "
                                      "kadrilo-rapport (%1).")
                           .arg(settings.programFolder));

    // A folder of our own, never the windows' temp folder: a report may run while Kadrilo
    // holds tag files of its own there. QTemporaryDir removes it on every way out.
    const QTemporaryDir tempFolder(QDir::tempPath() + QStringLiteral("/kadrilo-rapport-XXXXXX"));
    if (!tempFolder.isValid())
        return failure(
            ExitTempFolderFailed,
            QStringLiteral("impossible de créer un dossier temporaire dans « %1 » : %2")
                .arg(QDir::toNativeSeparators(QDir::tempPath()), tempFolder.errorString()));
    state.dossier_temp =
        platform::withTrailingSeparator(QDir::toNativeSeparators(tempFolder.path()));

    if (settings.interruption && settings.interruption->isInterrupted())
        return interrupted();
    const int processes = options.processes > 0 ? options.processes : QThread::idealThreadCount();
    QStringList tagFolders{state.dossier_temp};
    const ExiftoolRun::Outcome outcome =
        processes > 1 ? extractInParts(state, folder, processes, settings, tagFolders)
                      : extractAtOnce(state, folder, settings);
    if (outcome == ExiftoolRun::Outcome::Cancelled)
        return interrupted();

    const QStringList tagFiles = tagFilesByName(tagFolders);
    if (tagFiles.isEmpty())
        return failure(ExitNoTagFile,
                       wording::noTagFileError() +
                           QStringLiteral(" (aucune image RAW Canon traitée dans « %1 »).")
                               .arg(options.folder));

    ShotCounts shots;
    const statistiques_exif stats = countTagFiles(tagFiles, state, shots);
    const StatisticsResults results = computeResults(stats, state, folder, &shots);
    return {ExitOk, formatReport(results, options.format), {}};
}

} // namespace kadrilo::report
