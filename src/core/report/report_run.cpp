#include "report/report_run.h"

#include "analysis/analyse.h"
#include "analysis/tag_rules.h"
#include "analysis/wording.h"
#include "platform/platform.h"
#include "platform/safe_files.h"
#include "report/image_filter.h"
#include "report/parallel_extraction.h"
#include "report/report_format.h"
#include "report/report_groups.h"
#include "report/tag_cache.h"
#include "run/extraction.h"
#include "run/termination.h"

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

namespace {

// The raw type the report counts, as the window names it.
QString rawType() {
    return QStringLiteral("Canon");
}

bool stopped(const ReportSettings &settings) {
    return settings.interruption && settings.interruption->isInterrupted();
}

// Where the report reads: the folder as ExifTool reaches it and as messages name it, and the
// ExifTool program beside ours.
struct ReportPlace {
    std::optional<ReportOutcome> end; // set: the report ends here
    QByteArray folder;
    // The folder as given, relative to the current folder: its absolute path is beyond the
    // system's limit.
    bool relative = false;
    QString shownFolder;
    QString exiftool;
};

ReportPlace findPlace(const ReportOptions &options, const ReportSettings &settings) {
    ReportPlace place;
    const QByteArray given = options.folderArgument.isEmpty() ? QFile::encodeName(options.folder)
                                                              : options.folderArgument;
    const QByteArray absolute = absoluteFolder(given);
    // ExifTool cannot open a path beyond the system's limit; it inherits our current folder,
    // so the folder as given, relative to it, still reaches it.
    constexpr int pathLimit = 4096;
    place.relative = absolute.size() >= pathLimit && !given.startsWith('/');
    place.folder = place.relative ? given : absolute;
    place.shownFolder = platform::readablePath(absolute);
    const QString named = wording::quotedPath(platform::readablePath(given));
    switch (platform::folderAccess(place.folder)) {
    case platform::FolderAccess::Readable:
        break;
    case platform::FolderAccess::Missing:
        place.end = failure(ExitFolderUnreadable,
                            QStringLiteral("le dossier %1 est introuvable.").arg(named));
        return place;
    case platform::FolderAccess::NotAFolder:
        place.end = failure(ExitFolderUnreadable,
                            QStringLiteral("%1 est un fichier, pas un dossier.").arg(named));
        return place;
    case platform::FolderAccess::Unreadable:
        place.end = failure(ExitFolderUnreadable,
                            QStringLiteral("le dossier %1 est illisible.").arg(named));
        return place;
    }
    place.exiftool = platform::withTrailingSeparator(settings.programFolder) +
                     QString::fromUtf16(exiftoolFileName);
    if (!platform::platform().isNormalFile(place.exiftool))
        place.end =
            failure(ExitExiftoolMissing,
                    QStringLiteral("le programme Exiftool est introuvable : %1 (%2).")
                        .arg(lowerFirstCharacter(wording::exiftoolPlaceRule(reportProgramName())),
                             settings.programFolder));
    else if (stopped(settings))
        place.end = interrupted();
    return place;
}

// The images of the folder, listed at `listedAt` (nanoseconds since the epoch).
struct Listing {
    qint64 listedAt = 0;
    platform::ImageListing images;
};

Listing listFolder(const ReportPlace &place, bool recursive) {
    // Taken before the listing: a row is trusted later only for a file that had changed
    // clearly before this moment.
    const qint64 listedAt = QDateTime::currentMSecsSinceEpoch() * 1'000'000;
    return {listedAt, platform::platform().listImages(place.folder, recursive, true)};
}

// What ExifTool is asked, and the cache's key of a row read so: what ExifTool is (version,
// configuration), then what it is asked.
struct ReadingKey {
    ExiftoolCommandInput input;
    QString config;

    QString start(const QString &version) const {
        return version + QLatin1Char('|') + config + QLatin1Char('|');
    }
    QString of(const QString &version) const {
        return start(version) + input.extensionFilter +
               optionsPiece(input.recursive, input.extraTags);
    }
};

ReadingKey readingKey(const QString &exiftool, bool recursive) {
    ReadingKey key;
    key.input.exiftoolPath = exiftool;
    key.input.extensionFilter = extensionFilter(true);
    key.input.recursive = recursive ? 1 : 0;
    key.input.separator = platform::separator();
    key.input.extraTags = reportExtraTags();
    // Every tag file names the version that wrote it, which keys the cache, and holds
    // ExifTool's error for an image it could not read, as the full form's does. The lines
    // kept of a tag file belong to the key too: rows kept before the file type was are not
    // trusted, since it decides whether an image counts.
    key.input.extraTags << QStringLiteral("ExifToolVersion") << QStringLiteral("Error");
    key.config = exiftoolConfigKey(exiftool);
    return key;
}

// The cache of this run, and what it gave. Until the ExifTool program is known, no row is
// trusted: its version is learnt from the tag files of this run.
struct CacheLookup {
    std::unique_ptr<TagCache> cache; // none with --sans-cache
    ExiftoolProgram program;
    std::optional<QString> knownVersion;
    CachedFolder kept;
};

CacheLookup lookUpCache(const ReportPlace &place, const Listing &listing, const ReadingKey &key,
                        const ReportOptions &options, const ReportSettings &settings) {
    CacheLookup lookup;
    // A relative listing (a folder beyond the path limit) has no path to key the images by.
    if (!options.useCache || place.relative)
        return lookup;
    lookup.cache = std::make_unique<TagCache>(settings.cachePath.isEmpty() ? TagCache::defaultPath()
                                                                           : settings.cachePath);
    lookup.program = exiftoolProgram(place.exiftool);
    lookup.knownVersion =
        lookup.cache->exiftoolVersion(lookup.program.path, lookup.program.identity);
    QHash<QByteArray, FileIdentity> present;
    present.reserve(listing.images.images.size());
    for (const platform::ListedImage &image : listing.images.images)
        present.insert(image.path, identityOf(image));
    lookup.kept =
        lookup.cache->load(place.folder, options.recursive,
                           lookup.knownVersion ? key.of(*lookup.knownVersion) : QString(), present);
    return lookup;
}

// What ExifTool read of the images the cache did not give, one reading per image.
struct ExiftoolReadings {
    std::optional<ReportOutcome> end;
    QVector<ImageReading> readings;
    QString version; // from the tag files; empty when none said it
};

ExiftoolReadings readWithExiftool(const ReportPlace &place, const ReadingKey &key,
                                  const QList<QByteArray> &toRead, const ReportOptions &options,
                                  const ReportSettings &settings) {
    ExiftoolReadings read;
    // ExifTool writes into a folder of our own, never the windows' temp folder: a report may
    // run while Kadrilo holds tag files of its own there. The folder is removed on every way
    // out; its lock, held until then, lets a later report remove it when this one was killed.
    // Declared before the extraction, so that it goes after ExifTool has ended.
    platform::PrivateRunFolder privateFolder;
    if (!privateFolder.isValid()) {
        read.end = failure(ExitTempFolderFailed, privateFolderError(privateFolder.problem()));
        return read;
    }
    ParallelExtraction extraction;
    if (settings.interruption)
        QObject::connect(settings.interruption, &ReportInterruption::interrupted, &extraction,
                         &ParallelExtraction::cancel);
    const int total = int(toRead.size());
    if (settings.progress) {
        const auto progress = settings.progress;
        QObject::connect(
            &extraction, &ParallelExtraction::tick, &extraction,
            [&extraction, progress, total] { progress(extraction.tagFilesWritten(), total); });
        progress(0, total);
    }
    if (stopped(settings)) {
        read.end = interrupted();
        return read;
    }
    const int processes = options.processes > 0 ? options.processes : QThread::idealThreadCount();
    const ExtractionResult extracted = extraction.run(
        key.input, QDir::toNativeSeparators(privateFolder.path()), toRead, processes);
    if (settings.progress)
        settings.progress(extraction.tagFilesWritten(), total);

    using Outcome = ExiftoolRun::Outcome;
    if (extracted.outcome == Outcome::Cancelled || stopped(settings))
        read.end = interrupted();
    else if (extracted.outcome == Outcome::FailedToStart)
        read.end = failure(ExitExiftoolMissing, failedToStartText(extracted, place.exiftool));
    else if (extracted.outcome == Outcome::Aborted)
        read.end = failure(ExitExiftoolAborted, abortedText(extracted));
    else if (extracted.writeFailed)
        read.end =
            failure(ExitTagFilesNotWritten, writeFailedText(extracted, privateFolder.path()));
    read.readings = extraction.readings();
    read.version = extraction.exiftoolVersion();
    return read;
}

// Every listed image's reading, from the cache or from ExifTool, in the listing's order.
struct ReportReadings {
    std::optional<ReportOutcome> end;
    QVector<ImageReading> images;
    QHash<QByteArray, CachedImage> newlyRead; // what ExifTool read, for the cache
    QString exiftoolVersion;
};

ReportReadings readImages(const ReportPlace &place, const Listing &listing, const ReadingKey &key,
                          const CacheLookup &lookup, const ReportOptions &options,
                          const ReportSettings &settings) {
    // An image the cache gives that is then set apart as unread (no tag of the form with
    // sub-folders) is not among those said to be already read.
    const QHash<QByteArray, CachedImage> &cached = lookup.kept.images;
    QList<QByteArray> toRead;
    int fromCache = 0;
    for (const platform::ListedImage &image : listing.images.images) {
        const auto kept = cached.constFind(image.path);
        if (kept == cached.constEnd())
            toRead << image.path;
        else if (uncountedReason(readImageTags(kept->tagLines), options.recursive).isEmpty())
            ++fromCache;
    }
    if (settings.cacheUse && lookup.cache)
        settings.cacheUse(fromCache, int(toRead.size()));

    ReportReadings readings;
    ExiftoolReadings read;
    if (!toRead.isEmpty())
        read = readWithExiftool(place, key, toRead, options, settings);
    else if (stopped(settings))
        read.end = interrupted();
    readings.end = read.end;
    readings.exiftoolVersion = read.version;
    if (readings.end)
        return readings;

    QHash<QByteArray, ImageReading> fresh;
    fresh.reserve(toRead.size());
    for (qsizetype i = 0; i < read.readings.size(); ++i)
        fresh.insert(toRead.at(i), read.readings.at(i));
    readings.images.reserve(listing.images.images.size());
    for (const platform::ListedImage &image : listing.images.images) {
        ImageReading reading;
        if (const auto kept = cached.constFind(image.path); kept != cached.constEnd()) {
            reading = {true, kept->tagLines, {}};
        } else {
            reading = fresh.value(image.path);
            if (reading.read)
                readings.newlyRead.insert(image.path, {identityOf(image), reading.tagLines});
        }
        readings.images << reading;
    }
    return readings;
}

// Keeps in the cache what ExifTool read and the version that read it; the cache's notices.
QString keepReadings(const CacheLookup &lookup, const ReportReadings &readings,
                     const ReadingKey &key, const Listing &listing) {
    TagCache *cache = lookup.cache.get();
    if (!cache)
        return {};
    const QString version = readings.exiftoolVersion.isEmpty()
                                ? lookup.knownVersion.value_or(QString())
                                : readings.exiftoolVersion;
    if (!version.isEmpty()) {
        if (version != lookup.knownVersion)
            cache->rememberExiftoolVersion(lookup.program.path, lookup.program.identity, version);
        cache->store(readings.newlyRead, lookup.kept.gone, key.of(version), listing.listedAt,
                     key.start(version),
                     std::max(pruneBatch, 2 * int(listing.images.images.size())));
    }
    return joined(cache->notices());
}

// The images counted, as the window counts them, after the filters, and the run as the
// window's checks tell it.
struct ReportTally {
    statistiques_exif stats;
    ShotCounts shots;
    ExtractionResult run;
    ImageGroups groups{GroupBy::None};
    int imagesBeforeFilter = 0;
};

// Counts the images in the order the window reads their tag files: lenses and bodies first
// occur where the window has them first. Stops early when the report is interrupted.
ReportTally tallyImages(const Listing &listing, const QVector<ImageReading> &images,
                        const ReportOptions &options, const ReportSettings &settings) {
    ReportTally tally;
    tally.groups = ImageGroups(options.groupBy);
    ExtractionResult &run = tally.run;
    run.imagesFound = int(listing.images.images.size() + listing.images.skipped.size());
    run.imagesConsidered = run.imagesFound;
    run.unreadableFolders = listing.images.unreadableFolders;
    // The form for this folder only writes a tag file also for an image ExifTool could not
    // read; the form with sub-folders only for one it read.
    QList<QByteArray> writers;
    for (qsizetype i = 0; i < images.size(); ++i)
        writers << (images.at(i).read || !options.recursive ? listing.images.images.at(i).path
                                                            : QByteArray());
    const ImageFilter filter(options);
    for (const qsizetype i : windowReadingOrder(tagFileNames(writers))) {
        if (stopped(settings))
            return tally;
        const ImageReading &reading = images.at(i);
        const QString path = platform::readablePath(listing.images.images.at(i).path);
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
        ++tally.imagesBeforeFilter;
        if (filter.isActive() && !filter.keeps(tags))
            continue;
        ++tally.stats.nb_fichiers;
        countImage(tags, tally.stats, tally.shots);
        tally.groups.add(reading.tagLines, tags);
    }
    for (const platform::SkippedImage &skipped : listing.images.skipped)
        run.unreadNamed.append({platform::readablePath(skipped.path), skipped.reason});
    run.unreadImages = int(run.unreadNamed.size());
    run.imagesAnalysed = tally.imagesBeforeFilter;
    return tally;
}

// The report's end when it has nothing to print: no image, none read, or none counted.
std::optional<ReportOutcome> judgeReport(const ReportTally &tally, const ReportSummary &summary,
                                         const QString &notices, const QString &shownFolder) {
    const ExtractionResult &run = tally.run;
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
        if (tally.imagesBeforeFilter == 0)
            return failure(ExitNoTagFile, joined({notices, unreadImagesText(run)}));
        break;
    default:
        break;
    }
    // Status 5 says no image was counted, also when the filters left none.
    if (summary.filtered() && tally.stats.nb_fichiers == 0)
        return failure(ExitNoTagFile,
                       joined({notices,
                               QStringLiteral("Aucune image ne répond aux filtres : ") +
                                   appliedFiltersText(summary),
                               unreadImagesText(run)}));
    return std::nullopt;
}

// The statistics in the format asked, and the images left out on standard error.
ReportOutcome formatted(const ReportTally &tally, const ReportSummary &summary,
                        const QString &notices, const ReportOptions &options,
                        const QString &shownFolder) {
    const StatisticsResults results =
        computeResults(tally.stats, rawType(), shownFolder, &tally.shots);
    ReportOutcome outcome{
        ExitOk,
        formatReport(results, summary, options.format, tally.groups.count(rawType(), shownFolder)),
        notices};
    if (!tally.run.isComplete()) {
        outcome.status = ExitImagesUnread;
        outcome.error = joined({notices, unreadImagesText(tally.run)});
    }
    return outcome;
}

} // namespace

ReportOutcome executerRapport(const ReportOptions &options, const ReportSettings &settings) {
    const ReportPlace place = findPlace(options, settings);
    if (place.end)
        return *place.end;
    const Listing listing = listFolder(place, options.recursive);
    if (stopped(settings))
        return interrupted();

    const ReadingKey key = readingKey(place.exiftool, options.recursive);
    const CacheLookup lookup = lookUpCache(place, listing, key, options, settings);
    const ReportReadings readings = readImages(place, listing, key, lookup, options, settings);
    if (readings.end)
        return *readings.end;

    const ReportTally tally = tallyImages(listing, readings.images, options, settings);
    if (stopped(settings))
        return interrupted();
    const QString notices = keepReadings(lookup, readings, key, listing);

    ReportSummary summary = describeFilters(ImageFilter(options), tally.imagesBeforeFilter);
    summary.unreadImages = tally.run.unreadNamed;
    if (const std::optional<ReportOutcome> refused =
            judgeReport(tally, summary, notices, place.shownFolder))
        return *refused;
    return formatted(tally, summary, notices, options, place.shownFolder);
}

} // namespace kadrilo::report
