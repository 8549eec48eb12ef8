#include "report/report_run.h"

#include "analysis/analyse.h"
#include "analysis/tag_rules.h"
#include "analysis/wording.h"
#include "platform/platform.h"
#include "platform/safe_files.h"
#include "run/termination.h"
#include "report/image_filter.h"
#include "report/parallel_extraction.h"
#include "report/report_format.h"
#include "report/report_groups.h"
#include "report/tag_cache.h"
#include "run/extraction.h"
#include "run/module1.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <cstdlib>
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

// `path` made absolute against the current folder's own bytes and resolved by the system, as
// ls and ExifTool reach it: links followed before a "..", never cleaned as text. A path the
// system cannot resolve (missing, or beyond its length limit) stays as joined, for the checks
// that follow to tell.
QByteArray absoluteFolder(const QByteArray &path) {
    QByteArray joined = path;
    if (!QDir::isAbsolutePath(QFile::decodeName(path)))
        joined = platform::platform().currentFolder() + '/' + path;
#ifdef Q_OS_UNIX
    if (char *resolved = ::realpath(joined.constData(), nullptr)) {
        joined = resolved;
        std::free(resolved);
    }
#else
    const QString resolved = QFileInfo(QFile::decodeName(joined)).canonicalFilePath();
    if (!resolved.isEmpty())
        joined = QFile::encodeName(resolved);
#endif
    return joined;
}

FileIdentity identityOf(const platform::ListedImage &image) {
    return {image.size, image.modified, image.changed, image.device, image.inode};
}

// The ExifTool program file behind `exiftool`, and what tells whether it changed: the cache
// remembers the version it printed, so that an unchanged library is read without starting
// ExifTool at all.
struct ExiftoolProgram {
    QByteArray path;
    FileIdentity identity;
};

ExiftoolProgram exiftoolProgram(const QString &exiftool) {
    const QByteArray path = QFile::encodeName(QFileInfo(exiftool).canonicalFilePath());
    return {path, fileIdentity(path).value_or(FileIdentity())};
}

// The configuration files ExifTool would read, each with its identity or "-" when absent: a
// configuration changes what ExifTool prints, so it belongs to every row's key. ExifTool reads
// .ExifTool_config in $EXIFTOOL_HOME, else $HOME, else beside the exiftool script; both the
// program as named and the file its links lead to count.
QString exiftoolConfigKey(const QString &exiftool) {
    QByteArray home = qgetenv("EXIFTOOL_HOME");
    if (home.isEmpty())
        home = qgetenv("HOME");
    if (home.isEmpty())
        home = ".";
    QList<QByteArray> candidates{home + "/.ExifTool_config"};
    for (const QString &program : {exiftool, QFileInfo(exiftool).canonicalFilePath()}) {
        const QByteArray config =
            QFile::encodeName(QFileInfo(program).absolutePath()) + "/.ExifTool_config";
        if (!program.isEmpty() && !candidates.contains(config))
            candidates << config;
    }
    QStringList key;
    for (const QByteArray &candidate : std::as_const(candidates)) {
        const std::optional<FileIdentity> identity = fileIdentity(candidate);
        key << QString::fromLocal8Bit(candidate) + QLatin1Char('=') +
                   (identity ? QStringLiteral("%1:%2:%3:%4:%5")
                                   .arg(identity->size)
                                   .arg(identity->modified)
                                   .arg(identity->changed)
                                   .arg(identity->device)
                                   .arg(identity->inode)
                             : QStringLiteral("-"));
    }
    return key.join(QLatin1Char(';'));
}

QString privateFolderError(const platform::PrivateParent &parent) {
    using Problem = platform::PrivateParent::Problem;
    const QString folder = wording::quotedPath(parent.path);
    switch (parent.problem) {
    case Problem::NotAFolder:
        return QStringLiteral("le dossier privé %1 est un lien ou un fichier : le rapport ne "
                              "l'utilise pas.")
            .arg(folder);
    case Problem::OtherOwner:
        return QStringLiteral("le dossier privé %1 appartient à un autre utilisateur : le "
                              "rapport ne l'utilise pas.")
            .arg(folder);
    case Problem::ModeKept:
        return QStringLiteral("impossible de fermer le dossier privé %1 aux autres "
                              "utilisateurs : %2.")
            .arg(folder, parent.systemError);
    default:
        return QStringLiteral("impossible de créer le dossier privé %1 : %2.")
            .arg(folder, parent.systemError);
    }
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

QList<QByteArray> tagFileNames(const QList<QByteArray> &paths) {
    QList<QByteArray> names;
    names.reserve(paths.size());
    QSet<QByteArray> taken;
    for (const QByteArray &path : paths) {
        if (path.isEmpty()) {
            names << QByteArray();
            continue;
        }
        QByteArray base = path.mid(path.lastIndexOf('/') + 1);
        const qsizetype dot = base.lastIndexOf('.');
        if (dot >= 0)
            base.truncate(dot);
        base.truncate(200);
        QByteArray name = base + ".txt";
        for (int copy = 1; taken.contains(name); ++copy)
            name = base + '-' + QByteArray::number(copy) + ".txt";
        taken.insert(name);
        names << name;
    }
    return names;
}

QVector<qsizetype> windowReadingOrder(const QList<QByteArray> &names) {
    struct Keyed {
        QString key;
        QString name;
        qsizetype index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString name = QFile::decodeName(names.at(i));
        keyed.push_back({name.toLower(), name, i});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        if (a.name.isEmpty() || b.name.isEmpty())
            return !a.name.isEmpty() && b.name.isEmpty();
        if (a.key != b.key)
            return a.key < b.key;
        return a.name < b.name;
    });
    QVector<qsizetype> order;
    order.reserve(qsizetype(keyed.size()));
    for (const Keyed &entry : keyed)
        order << entry.index;
    return order;
}

bool ReportInterruption::isInterrupted() const {
    return m_interrupted || platform::TerminationWatch::received() != 0;
}

void ReportInterruption::interrupt() {
    m_interrupted = true;
    Q_EMIT interrupted();
}

ReportOutcome executerRapport(const ReportOptions &options, const ReportSettings &settings) {
    auto &system = platform::platform();

    const QByteArray given = settings.folderArgument.isEmpty() ? QFile::encodeName(options.folder)
                                                               : settings.folderArgument;
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

    const auto stopped = [&settings] {
        return settings.interruption && settings.interruption->isInterrupted();
    };
    // Taken before the listing: a row is trusted later only for a file that had changed
    // clearly before this moment.
    const qint64 listedAt = QDateTime::currentMSecsSinceEpoch() * 1'000'000;
    const platform::ImageListing listing = system.listImages(folder, options.recursive, true);
    if (stopped())
        return interrupted();

    ExiftoolCommandInput input;
    input.exiftoolPath = state.chemin_exiftool;
    input.extensionFilter = extensionFilter(true);
    input.recursive = state.option_recursive;
    input.separator = platform::separator();
    input.extraTags = reportExtraTags();

    // Every tag file names the version that wrote it, which keys the cache, and holds
    // ExifTool's error for an image it could not read, as the full form's does.
    input.extraTags << QStringLiteral("ExifToolVersion") << QStringLiteral("Error");
    // The lines kept of a tag file belong to the key too: rows kept before the file type was
    // are not trusted, since it decides whether an image counts.
    // The key starts with what ExifTool is (version, configuration), then what it is asked.
    const QString config = exiftoolConfigKey(state.chemin_exiftool);
    const auto keyStart = [&config](const QString &version) {
        return version + QLatin1Char('|') + config + QLatin1Char('|');
    };
    const auto cacheKey = [&input, &keyStart](const QString &version) {
        return keyStart(version) + input.extensionFilter +
               optionsPiece(input.recursive, input.extraTags);
    };

    // The images the cache gives; a relative listing (a folder beyond the path limit) has
    // no path to key them by. Until the ExifTool program is known, no row is trusted: its
    // version is learnt from the tag files of this run.
    std::unique_ptr<TagCache> cache;
    QHash<QByteArray, CachedImage> cached;
    QHash<QByteArray, CachedImage> newlyRead;
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

    // An image the cache gives that is then set apart as unread (no tag of the form with
    // sub-folders) is not among those said to be already read.
    QList<QByteArray> toRead;
    int fromCache = 0;
    for (const platform::ListedImage &image : listing.images) {
        const auto kept = cached.constFind(image.path);
        if (kept == cached.constEnd())
            toRead << image.path;
        else if (uncountedReason(readImageTags(kept->tagLines), options.recursive).isEmpty())
            ++fromCache;
    }
    if (settings.cacheUse && cache)
        settings.cacheUse(fromCache, int(toRead.size()));

    // ExifTool writes into a folder of our own, never the windows' temp folder: a report may
    // run while Kadrilo holds tag files of its own there. The folder is removed on every way
    // out; its lock, held until then, lets a later report remove it when this one was killed.
    // Declared before the extraction, so that it goes after ExifTool has ended.
    std::unique_ptr<platform::PrivateRunFolder> privateFolder;
    ParallelExtraction extraction;
    ExtractionResult extracted;
    if (!toRead.isEmpty()) {
        privateFolder = std::make_unique<platform::PrivateRunFolder>();
        if (!privateFolder->isValid())
            return failure(ExitTempFolderFailed, privateFolderError(privateFolder->problem()));

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
    if (extracted.outcome == Outcome::Cancelled || stopped())
        return interrupted();
    if (extracted.outcome == Outcome::FailedToStart)
        return failure(ExitExiftoolMissing, failedToStartText(extracted, state.chemin_exiftool));
    if (extracted.outcome == Outcome::Aborted)
        return failure(ExitExiftoolAborted, abortedText(extracted));
    if (extracted.writeFailed)
        return failure(
            ExitTagFilesNotWritten,
            writeFailedText(extracted, privateFolder ? privateFolder->path() : QString()));

    // Every image, from the cache or as ExifTool just read it, in the order the window reads
    // their tag files: lenses and bodies first occur where the window has them first.
    QHash<QByteArray, ImageReading> fresh;
    fresh.reserve(toRead.size());
    const QVector<ImageReading> &readings = extraction.readings();
    for (qsizetype i = 0; i < readings.size(); ++i)
        fresh.insert(toRead.at(i), readings.at(i));
    QVector<ImageReading> images;
    images.reserve(listing.images.size());
    QList<QByteArray> writers; // the images the window's command leaves a tag file for
    for (const platform::ListedImage &image : listing.images) {
        ImageReading reading;
        if (const auto kept = cached.constFind(image.path); kept != cached.constEnd()) {
            reading = {true, kept->tagLines, {}};
        } else {
            reading = fresh.value(image.path);
            if (reading.read)
                newlyRead.insert(image.path, {identityOf(image), reading.tagLines});
        }
        // The form for this folder only writes a tag file also for an image ExifTool could
        // not read; the form with sub-folders only for one it read.
        writers << (reading.read || !options.recursive ? image.path : QByteArray());
        images << reading;
    }

    statistiques_exif stats;
    ShotCounts shots;
    ExtractionResult run;
    run.imagesFound = int(listing.images.size() + listing.skipped.size());
    run.imagesConsidered = run.imagesFound;
    run.unreadableFolders = listing.unreadableFolders;
    const ImageFilter filter(options);
    ImageGroups groups(options.groupBy);
    int imagesBeforeFilter = 0;
    for (const qsizetype i : windowReadingOrder(tagFileNames(writers))) {
        if (stopped())
            return interrupted();
        const ImageReading &reading = images.at(i);
        const QString path = platform::readablePath(listing.images.at(i).path);
        if (!reading.read) {
            run.unreadNamed.append({path, reading.reason});
            continue;
        }
        ++run.tagFiles;
        const ImageTags tags = readImageTags(reading.tagLines);
        // Only Canon raw images count, and the window's form with sub-folders writes no tag
        // file for an image without any of its seven tags.
        if (const QString reason = uncountedReason(tags, options.recursive); !reason.isEmpty()) {
            run.unreadNamed.append({path, reason});
            continue;
        }
        ++imagesBeforeFilter;
        if (filter.isActive() && !filter.keeps(tags))
            continue;
        ++stats.nb_fichiers;
        countImage(tags, stats, shots);
        groups.add(reading.tagLines, tags);
    }
    for (const platform::SkippedImage &skipped : listing.skipped)
        run.unreadNamed.append({platform::readablePath(skipped.path), skipped.reason});
    run.unreadImages = int(run.unreadNamed.size());
    run.imagesAnalysed = imagesBeforeFilter;

    if (stopped())
        return interrupted();
    if (cache) {
        const QString version = extraction.exiftoolVersion().isEmpty()
                                    ? knownVersion.value_or(QString())
                                    : extraction.exiftoolVersion();
        if (!version.isEmpty()) {
            if (version != knownVersion)
                cache->rememberExiftoolVersion(program.path, program.identity, version);
            cache->store(newlyRead, cacheKey(version), listedAt, keyStart(version),
                         std::max(pruneBatch, 2 * int(listing.images.size())));
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
    // Status 5 says no image was counted, also when the filters left none.
    if (filter.isActive() && stats.nb_fichiers == 0)
        return failure(ExitNoTagFile,
                       joined({notices,
                               QStringLiteral("Aucune image ne répond aux filtres : ") +
                                   appliedFiltersText(results),
                               unreadImagesText(run)}));
    results.unreadImages = run.unreadNamed;
    const QByteArray output =
        formatReport(results, options.format, groups.count(state.type_raw, shownFolder));
    ReportOutcome outcome{ExitOk, output, notices};
    if (!run.isComplete()) {
        outcome.status = ExitImagesUnread;
        outcome.error = joined({notices, unreadImagesText(run)});
    }
    return outcome;
}

} // namespace kadrilo::report
