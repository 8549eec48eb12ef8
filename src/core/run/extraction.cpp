#include "run/extraction.h"

#include "platform/platform.h"
#include "run/image_count.h"
#include "run/module1.h"

#include <QDir>
#include <QFileInfo>

namespace kadrilo {

ExtractionResult checkExtraction(const ExiftoolRun::Ending &ending,
                                 const platform::RawImageScan &images,
                                 const platform::TagFolder &tagFolder) {
    ExtractionResult result;
    result.outcome = ending.outcome;
    result.ending = ending;
    result.imagesFound = images.images;
    result.tagFiles = int(tagFolder.names.size());
    result.unreadableFolders = images.unreadableFolders;

    // ExifTool 12's error lines: "Error: <reason> - <file>" for an image it could not read,
    // "Error opening directory <folder>", "Error creating <tag file>" when writing failed.
    int fileErrors = 0;
    for (const QString &line : ending.errorLines) {
        if (line.startsWith(QLatin1String("Error creating ")) ||
            line.startsWith(QLatin1String("Error writing "))) {
            result.writeFailed = true;
            if (result.writeError.isEmpty())
                result.writeError = line;
        } else if (line.startsWith(QLatin1String("Error opening directory "))) {
            const QString folder = line.mid(24);
            if (!result.unreadableFolders.contains(folder))
                result.unreadableFolders << folder;
        } else if (line.startsWith(QLatin1String("Error: "))) {
            ++fileErrors;
            UnreadImage image;
            if (parseImageError(line, image))
                result.unreadNamed << image;
        }
    }
    // A full disk makes ExifTool leave empty or cut files and say nothing.
    if (tagFolder.emptyFiles > 0 || tagFolder.full)
        result.writeFailed = true;

    result.unreadImages = qMax(result.imagesFound - result.tagFiles, fileErrors);
    result.imagesConsidered = qMax(result.imagesFound, result.tagFiles + result.unreadImages);
    // A path ExifTool named twice (a folder both we and ExifTool could not open) is one.
    result.unreadableFolders.removeDuplicates();
    return result;
}

ExtractionResult extraire_exif(Module1 &state, const QString &dossier, ExiftoolRun *run,
                               ImageCounter *counter) {
    if (state.type_raw == QLatin1String("Canon"))
        state.filtre_extension = extensionFilter(false);

    ExiftoolCommandInput input;
    input.exiftoolPath = state.chemin_exiftool;
    input.extensionFilter = state.filtre_extension;
    input.recursive = state.option_recursive;
    input.tempShortPath = platform::platform().shortPath(state.dossier_temp);
    input.imageFolder = dossier;
    input.separator = platform::separator();
    const ExiftoolCommand command = buildExiftoolCommand(input);
    state.ligne_commande = command.line;

    // The count walks the tree beside ExifTool, never before it.
    ImageCounter ownCounter;
    ImageCounter &images = counter ? *counter : ownCounter;
    images.start(command.arguments.last(), state.option_recursive == 1);

    ExiftoolRun ownRun;
    ExiftoolRun &exiftool = run ? *run : ownRun;
    const auto outcome = executer_commande(command, exiftool);
    state.extraction_faite = true;

    if (outcome == ExiftoolRun::Outcome::Cancelled ||
        outcome == ExiftoolRun::Outcome::FailedToStart) {
        images.stop();
        ExtractionResult result;
        result.outcome = outcome;
        result.ending = exiftool.ending();
        return result;
    }
    return checkExtraction(exiftool.ending(), images.result(),
                           platform::platform().inspectTagFolder(state.dossier_temp));
}

ExiftoolRun::Outcome executer_commande(const ExiftoolCommand &commande, ExiftoolRun &run) {
    return run.run(commande);
}

bool parseImageError(const QString &line, UnreadImage &image) {
    static const QString prefix = QStringLiteral("Error: ");
    static const QString before = QStringLiteral(" - ");
    if (!line.startsWith(prefix))
        return false;
    // ExifTool's reasons hold no " - "; a file name may.
    const qsizetype dash = line.indexOf(before, prefix.size());
    if (dash < 0)
        return false;
    image.reason = line.mid(prefix.size(), dash - prefix.size());
    image.path = line.mid(dash + before.size());
    return !image.path.isEmpty();
}

void addUnreadTagFiles(ExtractionResult &result, const QVector<UnreadImage> &unread) {
    result.unreadImages += int(unread.size());
    result.unreadNamed += unread;
    result.imagesConsidered = qMax(result.imagesConsidered, result.imagesFound);
}

RunVerdict judgeRun(const ExtractionResult &result) {
    using Outcome = ExiftoolRun::Outcome;
    switch (result.outcome) {
    case Outcome::Cancelled:
        return RunVerdict::Cancelled;
    case Outcome::FailedToStart:
        return RunVerdict::FailedToStart;
    case Outcome::Aborted:
        return RunVerdict::Aborted;
    case Outcome::Finished:
        break;
    }
    if (result.writeFailed)
        return RunVerdict::NotWritten;
    // Nothing written and nothing said: no image, or a failure nobody explained.
    if (result.imagesAnalysed <= 0 && result.tagFiles == 0 && result.unreadNamed.isEmpty() &&
        result.unreadableFolders.isEmpty())
        return result.imagesFound == 0 ? RunVerdict::NoImage : RunVerdict::NoTagFile;
    const bool somethingUnread = result.unreadImages > 0 || !result.unreadableFolders.isEmpty();
    return somethingUnread ? RunVerdict::SomeUnread : RunVerdict::Complete;
}

} // namespace kadrilo
