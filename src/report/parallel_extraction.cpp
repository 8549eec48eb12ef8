#include "report/parallel_extraction.h"

#include "platform/platform.h"
#include "run/module1.h"

#include <QDir>
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
    return first == '#' || first == '-' || first == ' ' || first == '\t' || first == '\f' ||
           first == '\v' || path.startsWith("\xef\xbb\xbf");
}

// Every *.txt of a tag folder, hidden ones included: an image ".x.CR2" gets the tag file
// ".x.txt".
QStringList tagFileNames(const QString &folder) {
    return QDir(folder).entryList({QStringLiteral("*.txt")},
                                  QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
}

} // namespace

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
    for (const QByteArray &path : images) {
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
        const QStringList names = tagFileNames(folders.at(f));
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
    for (const auto &run : m_runs)
        run->cancel();
}

int ParallelExtraction::tagFilesWritten() const {
    int written = 0;
    for (const QString &folder : m_tagFolders)
        written += int(tagFileNames(folder).size());
    return written;
}

ExiftoolRun::Outcome ParallelExtraction::run(Module1 &state, const QString &folder, int processes,
                                             const QStringList &extraTags) {
    using Outcome = ExiftoolRun::Outcome;
    auto &system = platform::platform();
    if (state.type_raw == QLatin1String("Canon"))
        state.filtre_extension = QString::fromUtf16(canonExtensionFilter);

    const platform::RawImageList images = system.listRawImages(folder, state.option_recursive == 1);
    m_images = int(images.paths.size());
    Q_EMIT listed();
    if (m_cancelRequested)
        return Outcome::Cancelled;

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
    for (int p = 0; p < parts.size(); ++p) {
        const QString tagFolder = privateFolder + QStringLiteral("part-%1").arg(p + 1);
        const QString argumentFile = privateFolder + QStringLiteral("part-%1.args").arg(p + 1);
        const PartImages list = partImages(parts.at(p));
        QFile file(argumentFile);
        if (!system.createFolder(tagFolder) || !file.open(QIODevice::WriteOnly) ||
            file.write(list.argumentFile) != list.argumentFile.size() || !file.flush())
            return Outcome::FailedToStart;
        m_tagFolders << tagFolder;
        commands.push_back(
            partCommand(input, system.shortPath(tagFolder), argumentFile, list.direct));
    }
    if (!commands.empty())
        state.ligne_commande = commands.front().line;

    QEventLoop loop;
    int running = 0;
    Outcome outcome = Outcome::Finished;
    for (const ExiftoolCommand &command : commands) {
        auto run = std::make_unique<ExiftoolRun>();
        connect(run.get(), &ExiftoolRun::finished, &loop, [&running, &loop] {
            if (--running == 0)
                loop.quit();
        });
        ExiftoolRun &started = *run;
        m_runs.push_back(std::move(run));
        if (m_cancelRequested || !started.start(command)) {
            outcome = m_cancelRequested ? Outcome::Cancelled : started.outcome();
            break;
        }
        ++running;
    }
    if (outcome == Outcome::Finished && running > 0) {
        m_ticker->start();
        loop.exec();
        m_ticker->stop();
    }
    const bool cancelled = m_cancelRequested;
    // A part that could not start stops the others: their results would be incomplete.
    cancel();
    state.extraction_faite = true;
    return cancelled ? Outcome::Cancelled : outcome;
}

} // namespace kadrilo::report
