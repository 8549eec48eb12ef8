#include "report/parallel_extraction.h"

#include "analysis/tag_file_reader.h"
#include "analysis/tag_lines.h"
#include "platform/platform.h"
#include "run/termination.h"

#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QTimer>

#include <algorithm>

namespace kadrilo::report {

namespace {

// What ExifTool's -@ would change or skip at the start of a line, or cut within it.
bool needsCString(const QByteArray &path) {
    if (path.isEmpty() || path.contains('\n') || path.contains('\r'))
        return true;
    const char first = path.front();
    return first == '#' || first == ' ' || first == '\t' || first == '\f' || first == '\v' ||
           path.startsWith("\xef\xbb\xbf");
}

QByteArray cString(const QByteArray &path) {
    QByteArray escaped;
    escaped.reserve(path.size() + 16);
    for (const char c : path) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\f':
            escaped += "\\f";
            break;
        case '\v':
            escaped += "\\v";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

QString notReadByExiftool() {
    return QStringLiteral("ExifTool n'a écrit aucun fichier de tags pour cette image");
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
        combined.unreadNamed += part.unreadNamed;
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

QByteArray argumentFile(const QList<QByteArray> &images) {
    QByteArray file;
    for (QByteArray path : images) {
        if (!path.startsWith('/') && !path.startsWith("./"))
            path.prepend("./");
        if (needsCString(path))
            file += "#[CSTR]" + cString(path);
        else
            file += path;
        file += '\n';
    }
    return file;
}

ExiftoolCommand partCommand(ExiftoolCommandInput input, const QString &tagFolder,
                            const QString &argumentFile) {
    input.tempShortPath = tagFolder;
    input.imageFolder.clear();
    input.namePattern = QStringLiteral("%C.txt");
    ExiftoolCommand command = buildExiftoolCommand(input);
    // The image folder closes the single command: the part's own list stands there instead.
    command.arguments.removeLast();
    command.arguments << QStringLiteral("-@") << argumentFile;
    command.line.chop(1);
    command.line += QStringLiteral("-@ ") + quotedOnBlank(argumentFile);
    return command;
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

void ParallelExtraction::readPart(int index, const QList<QByteArray> &images, qsizetype first,
                                  const QVector<UnreadImage> &named) {
    // ExifTool names on its standard error the images it could not read, and writes no tag
    // file for them (in the full form, the error stands in the tag file instead).
    QHash<QString, QString> errors;
    for (const UnreadImage &image : named)
        errors.insert(image.path, image.reason);
    const QString folder = platform::withTrailingSeparator(m_tagFolders.at(index));
    TagFileReader reader;
    for (qsizetype k = 0; k < images.size(); ++k) {
        // Thousands of tag files take a while: a person's Ctrl+C ends the report at once.
        if (platform::TerminationWatch::received() != 0)
            return;
        ImageReading &reading = m_readings[first + k];
        const auto error = errors.constFind(QFile::decodeName(images.at(k)));
        if (error != errors.constEnd()) {
            reading.reason = error.value();
            continue;
        }
        if (!reader.read(folder + QString::number(k) + QStringLiteral(".txt"))) {
            reading.reason =
                reader.failure().isEmpty()
                    ? notReadByExiftool()
                    : QStringLiteral("son fichier de tags n'a pas été lu : ") + reader.failure();
            continue;
        }
        const ImageTags tags = readImageTags(reader.content());
        if (m_exiftoolVersion.isEmpty())
            m_exiftoolVersion = QString::fromUtf8(tags.exiftoolVersion).trimmed();
        if (!tags.error.isNull()) {
            reading.reason = QString::fromUtf8(tags.error);
            continue;
        }
        reading.read = true;
        reading.tagLines = countedTagLines(tags);
    }
}

ExtractionResult ParallelExtraction::run(const ExiftoolCommandInput &input,
                                         const QString &privateFolder,
                                         const QList<QByteArray> &images, int processes) {
    using Outcome = ExiftoolRun::Outcome;
    auto &system = platform::platform();
    m_readings = QVector<ImageReading>(images.size());

    // Every part is ready before the first starts, so that a part that cannot be set up
    // leaves no ExifTool running.
    const QString folder = platform::withTrailingSeparator(privateFolder);
    std::vector<ExiftoolCommand> commands;
    const QVector<QList<QByteArray>> parts = splitImages(images, processes);
    bool setUp = !m_cancelRequested;
    for (int p = 0; setUp && p < parts.size(); ++p) {
        const QString tagFolder = folder + QStringLiteral("part-%1").arg(p + 1);
        const QString listPath = folder + QStringLiteral("part-%1.args").arg(p + 1);
        const QByteArray list = argumentFile(parts.at(p));
        QFile file(listPath);
        setUp = system.createFolder(tagFolder) && file.open(QIODevice::WriteOnly) &&
                file.write(list) == list.size() && file.flush();
        m_tagFolders << tagFolder;
        commands.push_back(partCommand(input, system.shortPath(tagFolder), listPath));
    }

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

    QVector<ExtractionResult> results;
    qsizetype first = 0;
    for (int p = 0; p < int(m_runs.size()); ++p) {
        platform::RawImageScan partScan;
        partScan.images = int(parts.at(p).size());
        results << checkExtraction(m_runs[size_t(p)]->ending(), partScan,
                                   system.inspectTagFolder(m_tagFolders.at(p)));
        readPart(p, parts.at(p), first, results.last().unreadNamed);
        first += parts.at(p).size();
    }
    // A part's folder or list that could not be written: its tag files could not be either.
    if (!setUp && !cancelled) {
        ExtractionResult failed;
        failed.writeFailed = true;
        results << failed;
    }
    return combineParts(results, int(images.size()), {}, cancelled);
}

} // namespace kadrilo::report
