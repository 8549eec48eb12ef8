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
        state.filtre_extension = QString::fromUtf16(canonExtensionFilter);

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

namespace extraction_text {

namespace {

QString quoted(const QString &path) {
    return QStringLiteral("« %1 »").arg(QDir::toNativeSeparators(path));
}

QString lastExiftoolLine(const ExtractionResult &result) {
    if (result.ending.errorLines.isEmpty())
        return {};
    return QStringLiteral("\nExifTool : ") + result.ending.errorLines.last();
}

} // namespace

QString unreadImages(const ExtractionResult &result) {
    QStringList parts;
    if (result.unreadImages > 0)
        parts << QStringLiteral("%1 des %2 images n'ont pas pu être lues")
                     .arg(result.unreadImages)
                     .arg(result.imagesConsidered);
    if (!result.unreadableFolders.isEmpty()) {
        constexpr int shown = 3;
        QStringList folders;
        for (const QString &folder : result.unreadableFolders.mid(0, shown))
            folders << quoted(folder);
        if (result.unreadableFolders.size() > shown)
            folders << QStringLiteral("…");
        parts << QStringLiteral("Dossiers impossibles à ouvrir : %1").arg(folders.join(u", "));
    }
    return parts.join(QLatin1Char('\n'));
}

QString aborted(const ExtractionResult &result) {
    const QString how = result.ending.killedBySignal
                            ? QStringLiteral("arrêté par le signal %1").arg(result.ending.exitCode)
                            : QStringLiteral("code de sortie %1").arg(result.ending.exitCode);
    return QStringLiteral("ExifTool s'est arrêté avant la fin (%1) : seules %2 des %3 images ont "
                          "été lues, les statistiques sont incomplètes.")
               .arg(how)
               .arg(result.tagFiles)
               .arg(qMax(result.imagesConsidered, result.tagFiles)) +
           lastExiftoolLine(result);
}

QString writeFailed(const ExtractionResult &result, const QString &tempFolder) {
    QString text = QStringLiteral("Les fichiers de tags n'ont pas pu tous être écrits dans le "
                                  "dossier %1 : le disque est plein ou n'accepte plus de nouveau "
                                  "fichier. Les statistiques sont incomplètes.")
                       .arg(quoted(tempFolder));
    if (!result.writeError.isEmpty())
        text += QStringLiteral("\nExifTool : ") + result.writeError;
    return text;
}

QString failedToStart(const ExtractionResult &result, const QString &exiftoolPath) {
    const QFileInfo file(exiftoolPath);
    QString reason;
    if (!file.exists())
        reason = QStringLiteral("le fichier est introuvable");
    else if (file.isDir())
        reason = QStringLiteral("c'est un dossier");
    else if (!file.isExecutable())
        reason = QStringLiteral("le fichier n'a pas le droit d'exécution");
    else if (result.ending.startError.contains(QLatin1String("Exec format error")) ||
             result.ending.startError.contains(QLatin1String("No such file")))
        reason = QStringLiteral("le fichier n'est pas un programme que le système sait lancer");
    else
        reason = result.ending.startError;
    return QStringLiteral("ExifTool n'a pas pu être lancé (%1) : %2.")
        .arg(quoted(exiftoolPath), reason);
}

} // namespace extraction_text

} // namespace kadrilo
