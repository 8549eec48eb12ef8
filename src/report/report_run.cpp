#include "report/report_run.h"

#include "analysis/analyse.h"
#include "analysis/wording.h"
#include "platform/folder_lock.h"
#include "platform/platform.h"
#include "report/image_filter.h"
#include "report/parallel_extraction.h"
#include "report/report_format.h"
#include "run/extraction.h"
#include "run/image_count.h"
#include "run/module1.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

namespace kadrilo::report {

namespace {

ReportOutcome failure(int status, const QString &error) {
    return {status, {}, error};
}

int tagFilesWritten(const QString &tempFolder) {
    return platform::platform().countTagFiles(tempFolder);
}

ReportOutcome interrupted() {
    return failure(ExitInterrupted, QStringLiteral("interrompu."));
}

// One ExifTool over the whole folder, writing into the private folder itself.
ExtractionResult extractAtOnce(Module1 &state, const QString &folder,
                               const ReportSettings &settings) {
    ExiftoolRun run;
    if (settings.interruption)
        QObject::connect(settings.interruption, &ReportInterruption::interrupted, &run,
                         &ExiftoolRun::cancel);
    ImageCounter counter;
    if (!settings.progress)
        return extraire_exif(state, folder, &run, &counter, reportExtraTags());
    // The total shows once the count beside ExifTool has ended: -1 until then.
    const QString temp = state.dossier_temp;
    const auto progress = settings.progress;
    auto total = std::make_shared<int>(-1);
    QObject::connect(&run, &ExiftoolRun::tick, &run,
                     [temp, total, progress] { progress(tagFilesWritten(temp), *total); });
    QObject::connect(&counter, &ImageCounter::counted, &run, [temp, total, progress](int n) {
        *total = n;
        progress(tagFilesWritten(temp), n);
    });
    const ExtractionResult extraction =
        extraire_exif(state, folder, &run, &counter, reportExtraTags());
    progress(tagFilesWritten(temp), *total);
    return extraction;
}

// The images shared among `processes` ExifTool processes, each writing into a tag folder of
// its own inside the private folder; `tagFolders` receives those folders.
ExtractionResult extractInParts(Module1 &state, const QString &folder, int processes,
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
    const ExtractionResult result = extraction.run(state, folder, processes, reportExtraTags());
    if (settings.progress)
        settings.progress(extraction.tagFilesWritten(), extraction.images());
    tagFolders = extraction.tagFolders();
    return result;
}

} // namespace

void ReportInterruption::interrupt() {
    m_interrupted = true;
    Q_EMIT interrupted();
}

QString analysedFolderPath(const QString &folder) {
    // ExifTool receives the folder with its first character lower-cased, harmless only for
    // an absolute path, and the summary shows the folder as the folder window would.
    QString absolute = QFileInfo(folder).absoluteFilePath();
    // Qt knows no current folder whose path is longer than the system's limit.
    if (absolute.isEmpty() || QDir::isRelativePath(absolute))
        absolute = platform::platform().currentFolder() + QLatin1Char('/') + folder;
    return QDir::toNativeSeparators(QDir::cleanPath(absolute));
}

QString exiftoolFolderPath(const QString &folder) {
    const QString absolute = analysedFolderPath(folder);
    // ExifTool cannot open a path that long; it inherits our current folder, so the folder
    // as given, relative to it, still reaches it.
    constexpr int pathLimit = 4096;
    if (QFile::encodeName(absolute).size() >= pathLimit && QDir::isRelativePath(folder))
        return folder;
    return absolute;
}

ReportOutcome executerRapport(const ReportOptions &options, const ReportSettings &settings) {
    auto &system = platform::platform();

    const QString folder = exiftoolFolderPath(options.folder);
    const QString shownFolder = analysedFolderPath(options.folder);
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
    // holds tag files of its own there. QTemporaryDir removes it on every way out; the lock
    // inside lets a later report remove it when this one was killed.
    const QString privatePattern = QStringLiteral("kadrilo-rapport-*");
    platform::removeAbandonedFolders(QDir::tempPath(), privatePattern);
    const QTemporaryDir tempFolder(QDir::tempPath() + QStringLiteral("/kadrilo-rapport-XXXXXX"));
    if (!tempFolder.isValid())
        return failure(
            ExitTempFolderFailed,
            QStringLiteral("impossible de créer un dossier temporaire dans « %1 » : %2")
                .arg(QDir::toNativeSeparators(QDir::tempPath()), tempFolder.errorString()));
    platform::FolderLock ownership(tempFolder.path());
    ownership.tryLock();
    state.dossier_temp =
        platform::withTrailingSeparator(QDir::toNativeSeparators(tempFolder.path()));

    if (settings.interruption && settings.interruption->isInterrupted())
        return interrupted();
    const int processes = options.processes > 0 ? options.processes : QThread::idealThreadCount();
    QStringList tagFolders{state.dossier_temp};
    const ExtractionResult extraction =
        processes > 1 ? extractInParts(state, folder, processes, settings, tagFolders)
                      : extractAtOnce(state, folder, settings);
    using Outcome = ExiftoolRun::Outcome;
    if (extraction.outcome == Outcome::Cancelled)
        return interrupted();
    if (extraction.outcome == Outcome::FailedToStart)
        return failure(ExitExiftoolMissing, failedToStartText(extraction, state.chemin_exiftool));
    if (extraction.outcome == Outcome::Aborted)
        return failure(ExitExiftoolAborted, abortedText(extraction));
    if (extraction.writeFailed)
        return failure(ExitTagFilesNotWritten,
                       writeFailedText(extraction, QDir::toNativeSeparators(QDir::tempPath())));
    if (extraction.tagFiles == 0) {
        QString error =
            wording::noTagFileError() +
            QStringLiteral(" (aucune image RAW Canon traitée dans « %1 »).").arg(options.folder);
        if (!extraction.isComplete())
            error += QLatin1Char('\n') + unreadImagesText(extraction) + QLatin1Char('.');
        return failure(ExitNoTagFile, error);
    }

    const QStringList tagFiles = tagFilesByName(tagFolders);
    const ImageFilter filter(options);
    ShotCounts shots;
    const statistiques_exif stats =
        filter.isActive()
            ? countTagFiles(tagFiles, state, shots,
                            [&filter](QByteArrayView lines) { return filter.keeps(lines); })
            : countTagFiles(tagFiles, state, shots);
    StatisticsResults results = computeResults(stats, state, shownFolder, &shots);
    describeFilters(results, filter, int(tagFiles.size()));
    ReportOutcome outcome{ExitOk, formatReport(results, options.format), {}};
    // The statistics of the images read still stand; the images left out are told apart.
    if (!extraction.isComplete()) {
        outcome.status = ExitImagesUnread;
        outcome.error = unreadImagesText(extraction) + QLatin1Char('.');
    }
    return outcome;
}

} // namespace kadrilo::report
