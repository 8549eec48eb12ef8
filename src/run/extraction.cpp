#include "run/extraction.h"

#include "analysis/wording.h"

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
                               ImageCounter *counter, const QStringList &extraTags) {
    if (state.type_raw == QLatin1String("Canon"))
        state.filtre_extension = QString::fromUtf16(canonExtensionFilter);

    ExiftoolCommandInput input;
    input.exiftoolPath = state.chemin_exiftool;
    input.extensionFilter = state.filtre_extension;
    input.recursive = state.option_recursive;
    input.tempShortPath = platform::platform().shortPath(state.dossier_temp);
    input.imageFolder = dossier;
    input.separator = platform::separator();
    input.extraTags = extraTags;
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

QString unreadImagesText(const ExtractionResult &result) {
    return wording::unreadImages(result.unreadImages, result.imagesConsidered,
                                 result.unreadableFolders);
}

QString abortedText(const ExtractionResult &result) {
    const auto &ending = result.ending;
    return wording::exiftoolAborted(ending.killedBySignal ? ending.exitCode : 0, ending.exitCode,
                                    result.tagFiles, result.imagesConsidered,
                                    ending.errorLines.isEmpty() ? QString()
                                                                : ending.errorLines.last());
}

QString writeFailedText(const ExtractionResult &result, const QString &tempFolder) {
    return wording::tagFilesNotWritten(tempFolder, result.writeError);
}

QString failedToStartText(const ExtractionResult &result, const QString &exiftoolPath) {
    const QFileInfo file(exiftoolPath);
    const QString &error = result.ending.startError;
    QString reason;
    if (!file.exists())
        reason = QStringLiteral("le fichier est introuvable");
    else if (file.isDir())
        reason = QStringLiteral("c'est un dossier");
    else if (!file.isExecutable())
        reason = QStringLiteral("le fichier n'a pas le droit d'exécution");
    else if (error.contains(QLatin1String("Exec format error")) ||
             error.contains(QLatin1String("No such file")))
        reason = QStringLiteral("le fichier n'est pas un programme que le système sait lancer");
    else
        reason = error;
    return wording::exiftoolCannotStart(exiftoolPath, reason);
}

} // namespace kadrilo
