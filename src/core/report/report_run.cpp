#include "report/report_run.h"

#include "analysis/analyse.h"
#include "analysis/tag_rules.h"
#include "analysis/wording.h"
#include "platform/folder_lock.h"
#include "platform/platform.h"
#include "report/image_filter.h"
#include "report/parallel_extraction.h"
#include "report/report_format.h"
#include "report/tag_cache.h"
#include "run/extraction.h"
#include "run/module1.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <memory>
#include <optional>

namespace kadrilo::report {

namespace {

ReportOutcome failure(int status, const QString &error) {
    return {status, {}, error};
}

ReportOutcome interrupted() {
    return failure(ExitInterrupted, QStringLiteral("interrompu."));
}

// The folder as the system gave it: the raw argument that reads as `folder`, or `folder`
// itself in the system's encoding.
QByteArray folderBytes(const QString &folder, const QList<QByteArray> &rawArguments) {
    for (const QByteArray &argument : rawArguments) {
        if (QFile::decodeName(argument) == folder)
            return argument;
    }
    return QFile::encodeName(folder);
}

// `path` made absolute from the current folder and cleaned of "." and ".." steps, byte by
// byte, so that a name in another encoding keeps its bytes.
QByteArray absoluteFolder(const QByteArray &path) {
    QByteArray joined = path;
    if (!QDir::isAbsolutePath(QFile::decodeName(path)))
        joined = QFile::encodeName(platform::platform().currentFolder()) + '/' + path;
    QList<QByteArray> steps;
    for (const QByteArray &step : joined.split('/')) {
        if (step.isEmpty() || step == ".")
            continue;
        if (step == "..") {
            if (!steps.isEmpty())
                steps.removeLast();
            continue;
        }
        steps << step;
    }
    return '/' + steps.join('/');
}

FileIdentity identityOf(const platform::ListedImage &image) {
    return {image.size, image.modified, image.changed};
}

// The ExifTool program file behind `exiftool`, and what tells whether it changed: the cache
// remembers the version it printed, so that an unchanged library is read without starting
// ExifTool at all.
struct ExiftoolProgram {
    QByteArray path;
    FileIdentity identity;
};

ExiftoolProgram exiftoolProgram(const QString &exiftool) {
    const QFileInfo program(QFileInfo(exiftool).canonicalFilePath());
    return {QFile::encodeName(program.filePath()),
            {program.size(), program.lastModified().toMSecsSinceEpoch() * 1'000'000,
             program.metadataChangeTime().toMSecsSinceEpoch() * 1'000'000}};
}

QString noFolderFormTagReason() {
    QStringList tags;
    for (const char *tag : folderFormTags)
        tags << QLatin1String(tag);
    const QString last = tags.takeLast();
    return QStringLiteral("ExifTool n'y a trouvé aucune des balises ") +
           tags.join(QStringLiteral(", ")) + QStringLiteral(" et ") + last;
}

// Joins the texts for standard error, one a line.
QString joined(const QStringList &texts) {
    QStringList present;
    for (const QString &text : texts) {
        if (!text.isEmpty())
            present << text;
    }
    return present.join(QLatin1Char('\n'));
}

} // namespace

QVector<const platform::ListedImage *> countingOrder(const QVector<platform::ListedImage> &images) {
    struct Keyed {
        QString key;
        QString name;
        const platform::ListedImage *image;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(images.size()));
    for (const platform::ListedImage &image : images) {
        QByteArray base = image.path.mid(image.path.lastIndexOf('/') + 1);
        const qsizetype dot = base.lastIndexOf('.');
        if (dot > 0)
            base.truncate(dot);
        const QString name = QFile::decodeName(base.left(200) + ".txt");
        keyed.push_back({name.toLower(), name, &image});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        if (a.key != b.key)
            return a.key < b.key;
        if (a.name != b.name)
            return a.name < b.name;
        return a.image->path < b.image->path;
    });
    QVector<const platform::ListedImage *> order;
    order.reserve(qsizetype(keyed.size()));
    for (const Keyed &entry : keyed)
        order << entry.image;
    return order;
}

void ReportInterruption::interrupt() {
    m_interrupted = true;
    Q_EMIT interrupted();
}

ReportOutcome executerRapport(const ReportOptions &options, const ReportSettings &settings) {
    auto &system = platform::platform();

    const QByteArray given = folderBytes(options.folder, settings.rawArguments);
    const QByteArray absolute = absoluteFolder(given);
    // ExifTool cannot open a path beyond the system's limit; it inherits our current folder,
    // so the folder as given, relative to it, still reaches it.
    constexpr int pathLimit = 4096;
    const bool relative = absolute.size() >= pathLimit && !given.startsWith('/');
    const QByteArray folder = relative ? given : absolute;
    const QString shownFolder = platform::readablePath(absolute);
    const QString named = platform::readablePath(given);
    switch (platform::folderAccess(folder)) {
    case platform::FolderAccess::Readable:
        break;
    case platform::FolderAccess::Missing:
        return failure(
            ExitFolderUnreadable,
            QStringLiteral("le dossier %1 est introuvable.").arg(wording::quotedPath(named)));
    case platform::FolderAccess::NotAFolder:
        return failure(
            ExitFolderUnreadable,
            QStringLiteral("%1 est un fichier, pas un dossier.").arg(wording::quotedPath(named)));
    case platform::FolderAccess::Unreadable:
        return failure(
            ExitFolderUnreadable,
            QStringLiteral("le dossier %1 est illisible.").arg(wording::quotedPath(named)));
    }

    Module1 state;
    state.type_raw = QStringLiteral("Canon");
    state.option_recursive = options.recursive ? 1 : 0;
    state.chemin_exiftool = platform::withTrailingSeparator(settings.programFolder) +
                            QString::fromUtf16(exiftoolFileName);
    if (!system.isNormalFile(state.chemin_exiftool))
        return failure(
            ExitExiftoolMissing,
            QStringLiteral("le programme Exiftool est introuvable : %1 (%2).")
                .arg(lowerFirstCharacter(wording::exiftoolPlaceRule(reportProgramName())),
                     settings.programFolder));
    if (settings.interruption && settings.interruption->isInterrupted())
        return interrupted();

    const platform::ImageListing listing = system.listImages(folder, options.recursive, true);
    const QVector<const platform::ListedImage *> order = countingOrder(listing.images);

    ExiftoolCommandInput input;
    input.exiftoolPath = state.chemin_exiftool;
    input.extensionFilter = extensionFilter(true);
    input.recursive = state.option_recursive;
    input.separator = platform::separator();
    input.extraTags = reportExtraTags();

    // Every tag file names the version that wrote it, which keys the cache, and holds
    // ExifTool's error for an image it could not read, as the full form's does.
    input.extraTags << QStringLiteral("ExifToolVersion") << QStringLiteral("Error");
    const auto cacheKey = [&input](const QString &version) {
        return version + QLatin1Char('|') + input.extensionFilter +
               optionsPiece(input.recursive, input.extraTags);
    };

    // The images the cache gives; a relative listing (a folder beyond the path limit) has
    // no path to key them by. Until the ExifTool program is known, no row is trusted: its
    // version is learnt from the tag files of this run.
    std::unique_ptr<TagCache> cache;
    QHash<QByteArray, CachedImage> cached;
    const ExiftoolProgram program = exiftoolProgram(state.chemin_exiftool);
    std::optional<QString> knownVersion;
    if (options.useCache && !relative) {
        cache = std::make_unique<TagCache>(settings.cachePath.isEmpty() ? TagCache::defaultPath()
                                                                        : settings.cachePath);
        knownVersion = cache->exiftoolVersion(program.path, program.identity);
        QHash<QByteArray, FileIdentity> present;
        present.reserve(listing.images.size());
        for (const platform::ListedImage &image : listing.images)
            present.insert(image.path, identityOf(image));
        cached = cache->load(folder, options.recursive,
                             knownVersion ? cacheKey(*knownVersion) : QString(), present);
    }

    QList<QByteArray> toRead;
    for (const platform::ListedImage *image : order) {
        if (!cached.contains(image->path))
            toRead << image->path;
    }
    if (settings.cacheUse && cache)
        settings.cacheUse(int(cached.size()), int(toRead.size()));

    // ExifTool writes into a folder of our own, never the windows' temp folder: a report may
    // run while Kadrilo holds tag files of its own there. QTemporaryDir removes it on every
    // way out; the lock inside lets a later report remove it when this one was killed.
    ParallelExtraction extraction;
    ExtractionResult extracted;
    std::unique_ptr<QTemporaryDir> privateFolder;
    if (!toRead.isEmpty()) {
        platform::removeAbandonedFolders(QDir::tempPath(), QStringLiteral("kadrilo-rapport-*"));
        privateFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                        QStringLiteral("/kadrilo-rapport-XXXXXX"));
        if (!privateFolder->isValid())
            return failure(
                ExitTempFolderFailed,
                QStringLiteral("impossible de créer un dossier temporaire dans %1 : %2")
                    .arg(wording::quotedPath(QDir::tempPath()), privateFolder->errorString()));
        platform::FolderLock ownership(privateFolder->path());
        ownership.tryLock();

        if (settings.interruption)
            QObject::connect(settings.interruption, &ReportInterruption::interrupted, &extraction,
                             &ParallelExtraction::cancel);
        if (settings.progress) {
            const auto progress = settings.progress;
            const int total = int(toRead.size());
            QObject::connect(
                &extraction, &ParallelExtraction::tick, &extraction,
                [&extraction, progress, total] { progress(extraction.tagFilesWritten(), total); });
            progress(0, total);
        }
        if (settings.interruption && settings.interruption->isInterrupted())
            return interrupted();
        const int processes =
            options.processes > 0 ? options.processes : QThread::idealThreadCount();
        extracted = extraction.run(input, QDir::toNativeSeparators(privateFolder->path()), toRead,
                                   processes);
        if (settings.progress)
            settings.progress(extraction.tagFilesWritten(), int(toRead.size()));
    }

    using Outcome = ExiftoolRun::Outcome;
    if (extracted.outcome == Outcome::Cancelled)
        return interrupted();
    if (extracted.outcome == Outcome::FailedToStart)
        return failure(ExitExiftoolMissing, failedToStartText(extracted, state.chemin_exiftool));
    if (extracted.outcome == Outcome::Aborted)
        return failure(ExitExiftoolAborted, abortedText(extracted));
    if (extracted.writeFailed)
        return failure(
            ExitTagFilesNotWritten,
            writeFailedText(extracted, privateFolder ? privateFolder->path() : QString()));

    // Every image in the window's order: from the cache, or as ExifTool just read it.
    QHash<QByteArray, ImageReading> fresh;
    fresh.reserve(toRead.size());
    const QVector<ImageReading> &readings = extraction.readings();
    for (qsizetype i = 0; i < readings.size(); ++i)
        fresh.insert(toRead.at(i), readings.at(i));

    statistiques_exif stats;
    ShotCounts shots;
    ExtractionResult run;
    run.imagesFound = int(listing.images.size() + listing.skipped.size());
    run.imagesConsidered = run.imagesFound;
    run.unreadableFolders = listing.unreadableFolders;
    QHash<QByteArray, CachedImage> newlyRead;
    const ImageFilter filter(options);
    const QString noFolderFormTag = noFolderFormTagReason();
    int imagesBeforeFilter = 0;
    for (const platform::ListedImage *image : order) {
        QByteArray tagLines;
        if (const auto kept = cached.constFind(image->path); kept != cached.constEnd()) {
            tagLines = kept->tagLines;
        } else {
            const ImageReading &reading = fresh[image->path];
            if (!reading.read) {
                run.unreadNamed.append({platform::readablePath(image->path), reading.reason});
                continue;
            }
            tagLines = reading.tagLines;
            newlyRead.insert(image->path, {identityOf(*image), tagLines});
        }
        ++run.tagFiles;
        // The window's form with sub-folders has ExifTool write no tag file for an image
        // without any of its seven tags: the window does not count it, nor does the report.
        if (options.recursive && !hasFolderFormTag(tagLines)) {
            run.unreadNamed.append({platform::readablePath(image->path), noFolderFormTag});
            continue;
        }
        ++imagesBeforeFilter;
        if (filter.isActive() && !filter.keeps(tagLines))
            continue;
        ++stats.nb_fichiers;
        countContent(tagLines, stats, shots);
    }
    for (const platform::SkippedImage &skipped : listing.skipped)
        run.unreadNamed.append({platform::readablePath(skipped.path), skipped.reason});
    run.unreadImages = int(run.unreadNamed.size());
    run.imagesAnalysed = imagesBeforeFilter;

    if (cache) {
        const QString version = extraction.exiftoolVersion().isEmpty()
                                    ? knownVersion.value_or(QString())
                                    : extraction.exiftoolVersion();
        if (!version.isEmpty()) {
            if (version != knownVersion)
                cache->rememberExiftoolVersion(program.path, program.identity, version);
            cache->store(newlyRead, cacheKey(version));
        }
    }
    const QString notices = cache ? joined(cache->notices()) : QString();

    switch (judgeRun(run)) {
    case RunVerdict::NoImage:
        return failure(ExitNoTagFile,
                       joined({notices, noImageText(shownFolder, platform::rawTypesText(true))}));
    case RunVerdict::NoTagFile:
        return failure(
            ExitNoTagFile,
            joined({notices, wording::noTagFileError() +
                                 QStringLiteral(" (aucune image RAW Canon traitée dans %1).")
                                     .arg(wording::quotedPath(shownFolder))}));
    case RunVerdict::SomeUnread:
        // The statistics of the images read still stand; the images left out are told apart.
        if (imagesBeforeFilter == 0)
            return failure(ExitNoTagFile, joined({notices, unreadImagesText(run)}));
        break;
    default:
        break;
    }
    StatisticsResults results = computeResults(stats, state.type_raw, shownFolder, &shots);
    describeFilters(results, filter, imagesBeforeFilter);
    ReportOutcome outcome{ExitOk, formatReport(results, options.format), notices};
    if (!run.isComplete()) {
        outcome.status = ExitImagesUnread;
        outcome.error = joined({notices, unreadImagesText(run)});
    }
    return outcome;
}

} // namespace kadrilo::report
