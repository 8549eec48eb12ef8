#include "report/parallel_extraction.h"

#include "platform/platform.h"
#include "run/module1.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>

namespace kadrilo::report {

namespace {

// What ExifTool's -@ would change or skip at the start of a line, or cut within it.
bool needsCommandLine(const QByteArray &path) {
    if (path.isEmpty() || path.contains('\n') || path.contains('\r'))
        return true;
    const char first = path.front();
    return first == '#' || first == ' ' || first == '\t' || first == '\f' || first == '\v' ||
           path.startsWith("\xef\xbb\xbf");
}

} // namespace

ExtractionResult combineParts(const QVector<ExtractionResult> &parts, int imagesFound,
                              const QStringList &unreadableFolders, bool cancelled) {
    using Outcome = ExiftoolRun::Outcome;
    ExtractionResult combined;
    combined.imagesFound = imagesFound;
    combined.unreadableFolders = unreadableFolders;
    for (const ExtractionResult &part : parts) {
        combined.tagFiles += part.tagFiles;
        combined.unreadImages += part.unreadImages;
        combined.imagesConsidered += part.imagesConsidered;
        combined.unreadableFolders += part.unreadableFolders;
        if (part.writeFailed && !combined.writeFailed) {
            combined.writeFailed = true;
            combined.writeError = part.writeError;
        }
    }
    combined.imagesConsidered = qMax(combined.imagesConsidered, imagesFound);
    combined.unreadableFolders.removeDuplicates();
    if (!parts.isEmpty())
        combined.ending = parts.front().ending;
    // The ending that tells the person what went wrong: a failed start before an abort.
    for (const Outcome outcome : {Outcome::FailedToStart, Outcome::Aborted}) {
        const auto failed = std::find_if(parts.begin(), parts.end(), [outcome](const auto &part) {
            return part.outcome == outcome;
        });
        if (failed != parts.end()) {
            combined.outcome = outcome;
            combined.ending = failed->ending;
            break;
        }
    }
    if (cancelled) {
        combined.outcome = Outcome::Cancelled;
        combined.ending.outcome = Outcome::Cancelled;
    }
    return combined;
}

QVector<QList<QByteArray>> splitImages(const QList<QByteArray> &images, int parts) {
    const qsizetype count = images.size();
    parts = int(std::clamp<qsizetype>(parts, 0, count));
    QVector<QList<QByteArray>> split;
    qsizetype start = 0;
    for (int part = 0; part < parts; ++part) {
        // The first `count % parts` parts take one image more.
        const qsizetype size = count / parts + (part < count % parts ? 1 : 0);
        split.append(images.mid(start, size));
        start += size;
    }
    return split;
}

PartImages partImages(const QList<QByteArray> &images) {
    PartImages part;
    for (QByteArray path : images) {
        // A relative path (a folder beyond the system's path limit) must not pass for an
        // option.
        if (path.startsWith('-'))
            path.prepend("./");
        if (needsCommandLine(path)) {
            part.direct << QFile::decodeName(path);
        } else {
            part.argumentFile += path;
            part.argumentFile += '\n';
        }
    }
    return part;
}

ExiftoolCommand partCommand(ExiftoolCommandInput input, const QString &tagFolder,
                            const QString &argumentFile, const QStringList &direct) {
    input.tempShortPath = tagFolder;
    input.imageFolder.clear();
    ExiftoolCommand command = buildExiftoolCommand(input);
    // The image folder closes the single command: the part's own list stands there instead.
    command.arguments.removeLast();
    command.arguments << QStringLiteral("-@") << argumentFile << direct;
    command.line.chop(1);
    command.line += QStringLiteral("-@ ") + quotedOnBlank(argumentFile);
    for (const QString &path : direct)
        command.line += QLatin1Char(' ') + quotedOnBlank(path);
    return command;
}

QStringList tagFilesByName(const QStringList &folders) {
    struct TagFile {
        QString key;
        QString name;
        int folder;
    };
    std::vector<TagFile> files;
    for (int f = 0; f < folders.size(); ++f) {
        const QStringList names = platform::platform().listTagFiles(folders.at(f));
        for (const QString &name : names)
            files.push_back({name.toLower(), name, f});
    }
    std::stable_sort(files.begin(), files.end(), [](const TagFile &a, const TagFile &b) {
        return a.key != b.key ? a.key < b.key : a.name < b.name;
    });
    QStringList paths;
    paths.reserve(qsizetype(files.size()));
    for (const TagFile &file : files)
        paths << platform::withTrailingSeparator(folders.at(file.folder)) + file.name;
    return paths;
}

ParallelExtraction::ParallelExtraction(QObject *parent)
    : QObject(parent)
    , m_ticker(std::make_unique<QTimer>()) {
    m_ticker->setInterval(ExiftoolRun::tickMilliseconds);
    connect(m_ticker.get(), &QTimer::timeout, this, &ParallelExtraction::tick);
}

ParallelExtraction::~ParallelExtraction() {
    cancel();
}

void ParallelExtraction::cancel() {
    m_cancelRequested = true;
    stopParts();
}

void ParallelExtraction::stopParts() {
    for (const auto &run : m_runs)
        run->cancel();
}

int ParallelExtraction::tagFilesWritten() const {
    int written = 0;
    for (const QString &folder : m_tagFolders)
        written += platform::platform().countTagFiles(folder);
    return written;
}

ExtractionResult ParallelExtraction::run(Module1 &state, const QString &folder, int processes,
                                         const QStringList &extraTags) {
    using Outcome = ExiftoolRun::Outcome;
    auto &system = platform::platform();
    if (state.type_raw == QLatin1String("Canon"))
        state.filtre_extension = QString::fromUtf16(canonExtensionFilter);

    const platform::RawImageScan images = system.listRawImages(folder, state.option_recursive == 1);
    m_images = images.images;
    Q_EMIT listed();

    ExiftoolCommandInput input;
    input.exiftoolPath = state.chemin_exiftool;
    input.extensionFilter = state.filtre_extension;
    input.recursive = state.option_recursive;
    input.separator = platform::separator();
    input.extraTags = extraTags;

    // Every part is ready before the first starts, so that a part that cannot be set up
    // leaves no ExifTool running.
    const QString privateFolder = platform::withTrailingSeparator(state.dossier_temp);
    std::vector<ExiftoolCommand> commands;
    const QVector<QList<QByteArray>> parts = splitImages(images.paths, processes);
    bool setUp = !m_cancelRequested;
    for (int p = 0; setUp && p < parts.size(); ++p) {
        const QString tagFolder = privateFolder + QStringLiteral("part-%1").arg(p + 1);
        const QString argumentFile = privateFolder + QStringLiteral("part-%1.args").arg(p + 1);
        const PartImages list = partImages(parts.at(p));
        QFile file(argumentFile);
        setUp = system.createFolder(tagFolder) && file.open(QIODevice::WriteOnly) &&
                file.write(list.argumentFile) == list.argumentFile.size() && file.flush();
        m_tagFolders << tagFolder;
        commands.push_back(
            partCommand(input, system.shortPath(tagFolder), argumentFile, list.direct));
    }
    if (!commands.empty())
        state.ligne_commande = commands.front().line;

    QEventLoop loop;
    int running = 0;
    for (size_t p = 0; setUp && p < commands.size(); ++p) {
        m_runs.push_back(std::make_unique<ExiftoolRun>());
        ExiftoolRun &part = *m_runs.back();
        // A part that fails stops the others: the report will not be printed.
        connect(&part, &ExiftoolRun::finished, &loop, [this, &running, &loop, &part] {
            if (part.ending().outcome == Outcome::Aborted)
                stopParts();
            if (--running == 0)
                loop.quit();
        });
        if (m_cancelRequested || !part.start(commands[p]))
            break;
        ++running;
    }
    if (running == int(commands.size()) && running > 0) {
        m_ticker->start();
        loop.exec();
        m_ticker->stop();
    }
    const bool cancelled = m_cancelRequested;
    stopParts();
    state.extraction_faite = true;

    QVector<ExtractionResult> results;
    for (int p = 0; p < int(m_runs.size()); ++p) {
        platform::RawImageScan partScan;
        partScan.images = int(parts.at(p).size());
        results << checkExtraction(m_runs[size_t(p)]->ending(), partScan,
                                   system.inspectTagFolder(m_tagFolders.at(p)));
    }
    // A part's folder or list that could not be written: its tag files could not be either.
    if (!setUp && !cancelled) {
        ExtractionResult failed;
        failed.writeFailed = true;
        results << failed;
    }
    return combineParts(results, images.images, images.unreadableFolders, cancelled);
}

} // namespace kadrilo::report
