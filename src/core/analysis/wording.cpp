#include "analysis/wording.h"

#include "analysis/tag_rules.h"
#include "run/exiftool_command.h"

#include <QDir>
#include <QFileInfo>

namespace kadrilo::wording {

namespace {

QString entry(const QStringList &list, int number) {
    return number >= 1 && number <= list.size() ? list.at(number - 1) : QString();
}

// The blanks that follow each aperture in its caption, so that the colons of a column line
// up as they were drawn.
constexpr int apertureBlanks[24] = {2, 2, 2, 2, 4, 1, 1, 1, 2, 2, 5, 2,
                                    4, 1, 1, 1, 4, 4, 2, 3, 2, 2, 2, 2};
constexpr int slashlessBucket = 8;

} // namespace

QString tabName(Tab tab) {
    switch (tab) {
    case Tab::Iso:
        return QStringLiteral("ISO");
    case Tab::Aperture:
        return QStringLiteral("Diaphragme");
    case Tab::Speed:
        return QStringLiteral("Vitesse");
    case Tab::DriveAndAutofocus:
        return QStringLiteral("motorisation / AF");
    case Tab::Lens:
        return QStringLiteral("Objectifs");
    case Tab::Focal:
        return QStringLiteral("Focales");
    }
    return {};
}

QStringList rowLabels(Chart chart) {
    switch (chart) {
    case Chart::Iso:
        return {QStringLiteral("100 (50 à 125)"),     QStringLiteral("200 (160 à 250)"),
                QStringLiteral("400 (320 à 500)"),    QStringLiteral("800 (640 à 1000)"),
                QStringLiteral("1600 (1250 à 2000)"), QStringLiteral("3200 (2500 à 4000)"),
                QStringLiteral("6400 (5000 à 6400)"), QStringLiteral("H (au dela de 6400)")};
    case Chart::Aperture: {
        // Row 8 has never had the slash of the others; row 24 also counts f/18 and f/20.
        QStringList labels;
        for (int bucket = 1; bucket <= 24; ++bucket)
            labels << (bucket == slashlessBucket ? QStringLiteral("F2.8") : apertureName(bucket));
        return labels;
    }
    case Chart::Drive:
        return {QStringLiteral("Mode vue par vue"), QStringLiteral("Mode rafale")};
    case Chart::Autofocus:
        return {QStringLiteral("One-Shot"), QStringLiteral("AI Servo"),
                QStringLiteral("MAP Manuelle"), QStringLiteral("AI Focus")};
    case Chart::Lens:
        return {QStringLiteral("")};
    }
    return {};
}

QString title(Chart chart) {
    switch (chart) {
    case Chart::Iso:
        return QStringLiteral("Répartition des photos selon l'usage de la sensibilité ISO ");
    case Chart::Aperture:
        return QStringLiteral("Répartition des photos selon le Diaphragme utilisé ");
    case Chart::Drive:
        return QStringLiteral("Motorisation");
    case Chart::Autofocus:
        return QStringLiteral("Mode AF");
    case Chart::Lens:
        return QStringLiteral("Objectifs utilisés");
    }
    return {};
}

QString lensColumnLabel(const QString &lens) {
    return lens + QLatin1Char(' ');
}

QString isoBandCaption(int band) {
    if (band < 1 || band > 8)
        return {};
    // The last band holds everything above 6400 and carries no value of its own.
    if (band == 8)
        return QStringLiteral("H ");
    return QString::number(100 << (band - 1)) + QStringLiteral(" :");
}

QString apertureName(int bucket) {
    if (bucket < 1 || bucket > 24)
        return {};
    return QStringLiteral("F/") + QLatin1String(apertureValues[bucket - 1]);
}

QString apertureCaption(int bucket) {
    if (bucket < 1 || bucket > 24)
        return {};
    return apertureName(bucket) + QString(apertureBlanks[bucket - 1], QLatin1Char(' ')) +
           QLatin1Char(':');
}

QString autofocusCaption(int mode) {
    static const QStringList captions = {
        QStringLiteral("AF One-shot    :"), QStringLiteral("AF Ai Servo     :"),
        QStringLiteral("MAP Manuelle :"), QStringLiteral("AF Ai Focus    :")};
    return entry(captions, mode);
}

QString driveCaption(int mode) {
    static const QStringList captions = {QStringLiteral("Mode vue par vue :"),
                                         QStringLiteral("Mode rafale          :")};
    return entry(captions, mode);
}

QString selfTimerNote() {
    return QStringLiteral("Nota : Le resultat peut ne pas être égal à 100% car les prises de "
                          "vue avec le retardateur ne sont pas prises en compte.");
}

QString notAvailableNotice() {
    return QStringLiteral("Non fonctionnel pour le moment !");
}

QString noTagFileError() {
    return QStringLiteral("Une erreur inconnue s'est produite; les fichier .txt n'ont pas été "
                          "créés");
}

QString exiftoolPlaceRule(const QString &program) {
    return QStringLiteral("Le fichier ") + QString::fromUtf16(exiftoolFileName) +
           QStringLiteral(" doit se trouver dans le même dossier que ") + program;
}

QString quoted(const QString &text) {
    return QStringLiteral("« ") + text + QStringLiteral(" »");
}

QString quotedPath(const QString &path) {
    return quoted(QDir::toNativeSeparators(path));
}

QString frenchReason(const QString &exiftoolReason) {
    // ExifTool's reasons, whole or by their beginning (the others end with a size or bytes).
    struct Said {
        const char *english;
        bool whole;
        const char *french;
    };
    static constexpr Said known[] = {
        {"File format error", true, "format de fichier non reconnu"},
        {"Unknown file type", true, "type de fichier inconnu"},
        {"File is empty", true, "fichier vide"},
        {"Error opening file", true, "fichier illisible (droits d'accès ?)"},
        {"File not found", true, "fichier introuvable"},
        {"Error seeking in file", true, "fichier illisible jusqu'au bout"},
        {"Unsupported RAW file type", true, "type de fichier RAW non pris en charge"},
        {"Entire file is ", false, "fichier sans données (un même octet répété)"},
        {"First ", false, "fichier abîmé (un même octet répété au début)"},
        {"Truncated", false, "fichier tronqué"},
    };
    const QString reason = exiftoolReason.trimmed();
    for (const Said &said : known) {
        const QLatin1String english(said.english);
        const bool matches = said.whole ? reason == english
                                        : reason.startsWith(english) &&
                                              (english != QLatin1String("First ") ||
                                               reason.contains(QLatin1String(" of file is ")));
        if (matches)
            return QString::fromUtf8(said.french) + QStringLiteral(" (") + reason +
                   QLatin1Char(')');
    }
    return exiftoolReason;
}

QString notCanonRawReason(const QString &type) {
    return QStringLiteral("ce n'est pas une image RAW Canon : ") + type;
}

QString noFolderFormTagReason() {
    QStringList tags;
    for (const char *tag : folderFormTags)
        tags << QLatin1String(tag);
    const QString last = tags.takeLast();
    return QStringLiteral("ExifTool n'y a trouvé aucune des balises ") +
           tags.join(QStringLiteral(", ")) + QStringLiteral(" et ") + last;
}

} // namespace kadrilo::wording

namespace kadrilo {

namespace {

using wording::quotedPath;

QString exiftoolSaid(const QString &line) {
    return line.isEmpty() ? QString() : QStringLiteral("\nExifTool : ") + line;
}

// One unread image a line, its path first and quoted as every message quotes paths, then
// the reason: a message box keeps such a line whole.
QString unreadLine(const UnreadImage &image) {
    const QString reason = wording::frenchReason(image.reason);
    if (image.path.isEmpty()) // a tag file of the form with sub-folders does not name its image
        return reason;
    const QString path = quotedPath(image.path);
    return reason.isEmpty() ? path : QStringLiteral("%1 : %2").arg(path, reason);
}

QString unreadSummary(const ExtractionResult &result) {
    const int unread = result.unreadImages;
    const int considered = qMax(result.imagesConsidered, unread);
    return unread > 1
               ? QStringLiteral("%1 des %2 images n'ont pas pu être lues")
                     .arg(unread)
                     .arg(considered)
               : QStringLiteral("%1 des %2 images n'a pas pu être lue").arg(unread).arg(considered);
}

// The folders that could not be opened, one a line after their heading.
QString foldersLines(const QStringList &folders, qsizetype shown) {
    QStringList lines{folders.size() > 1 ? QStringLiteral("Dossiers impossibles à ouvrir :")
                                         : QStringLiteral("Dossier impossible à ouvrir :")};
    for (const QString &folder : folders.mid(0, shown))
        lines << QDir::toNativeSeparators(folder);
    if (folders.size() > shown)
        lines << QStringLiteral("…");
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QString unreadImagesText(const ExtractionResult &result) {
    QStringList lines;
    if (result.unreadImages > 0) {
        const int named = int(result.unreadNamed.size());
        const int shown = qMin(named, wording::unreadImagesShown);
        lines << unreadSummary(result) + (shown > 0 ? QStringLiteral(" :") : QString());
        for (int i = 0; i < shown; ++i)
            lines << unreadLine(result.unreadNamed.at(i));
        const int others = result.unreadImages - shown;
        if (shown > 0 && others > 0)
            lines << (others > 1 ? QStringLiteral("… et %1 autres").arg(others)
                                 : QStringLiteral("… et 1 autre"));
    }
    if (!result.unreadableFolders.isEmpty())
        lines << foldersLines(result.unreadableFolders, 3);
    return lines.join(QLatin1Char('\n'));
}

QString unreadImagesDetails(const ExtractionResult &result) {
    QStringList lines;
    for (const UnreadImage &image : result.unreadNamed)
        lines << unreadLine(image);
    const int unnamed = result.unreadImages - int(result.unreadNamed.size());
    if (unnamed > 0)
        lines << (unnamed > 1 ? QStringLiteral("%1 autres images sans fichier de tags").arg(unnamed)
                              : QStringLiteral("1 autre image sans fichier de tags"));
    if (!result.unreadableFolders.isEmpty())
        lines << foldersLines(result.unreadableFolders, result.unreadableFolders.size());
    return lines.join(QLatin1Char('\n'));
}

QString abortedText(const ExtractionResult &result) {
    const auto &ending = result.ending;
    const QString how = ending.killedBySignal
                            ? QStringLiteral("arrêté par le signal %1").arg(ending.exitCode)
                            : QStringLiteral("code de sortie %1").arg(ending.exitCode);
    const int read = result.tagFiles;
    const int considered = qMax(read, result.imagesConsidered);
    const QString said =
        exiftoolSaid(ending.errorLines.isEmpty() ? QString() : ending.errorLines.last());
    // Every tag file may be there and still not be trusted: the end of the run is unknown.
    if (considered > 0 && read >= considered)
        return QStringLiteral("ExifTool s'est arrêté en erreur (%1) après avoir écrit %2 : les "
                              "statistiques peuvent être incomplètes.")
                   .arg(how, read > 1
                                 ? QStringLiteral("les fichiers de tags des %1 images").arg(read)
                                 : QStringLiteral("le fichier de tags de l'image")) +
               said;
    QString part;
    if (read > 1)
        part = QStringLiteral("seules %1 des %2 images ont été lues").arg(read).arg(considered);
    else if (read == 1)
        part = QStringLiteral("seule 1 des %1 images a été lue").arg(considered);
    else if (considered > 1)
        part = QStringLiteral("aucune des %1 images n'a été lue").arg(considered);
    else
        part = QStringLiteral("l'image n'a pas été lue");
    return QStringLiteral("ExifTool s'est arrêté avant la fin (%1) : %2, les statistiques sont "
                          "incomplètes.")
               .arg(how, part) +
           said;
}

QString writeFailedText(const ExtractionResult &result, const QString &tempFolder) {
    return QStringLiteral("Les fichiers de tags n'ont pas pu tous être écrits dans le dossier %1 "
                          ": le disque est plein ou n'accepte plus de nouveau fichier. Les "
                          "statistiques sont incomplètes.")
               .arg(quotedPath(tempFolder)) +
           exiftoolSaid(result.writeError);
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
    return QStringLiteral("ExifTool n'a pas pu être lancé (%1) : %2.")
        .arg(quotedPath(exiftoolPath), reason);
}

QString noImageText(const QString &folder, const QString &types) {
    return QStringLiteral("Aucune image RAW Canon (%1) n'a été trouvée dans le dossier %2.")
        .arg(types, quotedPath(folder));
}

} // namespace kadrilo
