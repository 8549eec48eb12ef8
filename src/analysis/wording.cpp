#include "analysis/wording.h"

#include <QDir>

namespace kadrilo::wording {

namespace {

QString entry(const QStringList &list, int number) {
    return number >= 1 && number <= list.size() ? list.at(number - 1) : QString();
}

// The apertures, with the blanks that follow each in its caption so that the colons of a
// column line up as they were drawn.
struct Aperture {
    const char *value;
    int blanks;
};
constexpr Aperture apertures[24] = {
    {"1.2", 2}, {"1.4", 2}, {"1.6", 2}, {"1.8", 2}, {"2", 4},  {"2.2", 1}, {"2.5", 1}, {"2.8", 1},
    {"3.2", 2}, {"3.5", 2}, {"4", 5},   {"4.5", 2}, {"5", 4},  {"5.6", 1}, {"6.3", 1}, {"7.1", 1},
    {"8", 4},   {"9", 4},   {"10", 2},  {"11", 3},  {"13", 2}, {"14", 2},  {"16", 2},  {"22", 2}};
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
    return QStringLiteral("F/") + QLatin1String(apertures[bucket - 1].value);
}

QString apertureCaption(int bucket) {
    if (bucket < 1 || bucket > 24)
        return {};
    return apertureName(bucket) + QString(apertures[bucket - 1].blanks, QLatin1Char(' ')) +
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

namespace {

QString quotedPath(const QString &path) {
    return QStringLiteral("« %1 »").arg(QDir::toNativeSeparators(path));
}

QString exiftoolSaid(const QString &line) {
    return line.isEmpty() ? QString() : QStringLiteral("\nExifTool : ") + line;
}

} // namespace

QString unreadImages(int unread, int considered, const QStringList &unreadableFolders) {
    QStringList parts;
    if (unread > 0)
        parts << QStringLiteral("%1 des %2 images n'ont pas pu être lues")
                     .arg(unread)
                     .arg(considered);
    if (!unreadableFolders.isEmpty()) {
        constexpr int shown = 3;
        QStringList folders;
        for (const QString &folder : unreadableFolders.mid(0, shown))
            folders << quotedPath(folder);
        if (unreadableFolders.size() > shown)
            folders << QStringLiteral("…");
        parts << QStringLiteral("Dossiers impossibles à ouvrir : %1").arg(folders.join(u", "));
    }
    return parts.join(QLatin1Char('\n'));
}

QString exiftoolAborted(int signal, int exitCode, int read, int considered,
                        const QString &exiftoolLine) {
    const QString how = signal > 0 ? QStringLiteral("arrêté par le signal %1").arg(signal)
                                   : QStringLiteral("code de sortie %1").arg(exitCode);
    return QStringLiteral("ExifTool s'est arrêté avant la fin (%1) : seules %2 des %3 images ont "
                          "été lues, les statistiques sont incomplètes.")
               .arg(how)
               .arg(read)
               .arg(qMax(read, considered)) +
           exiftoolSaid(exiftoolLine);
}

QString tagFilesNotWritten(const QString &tempFolder, const QString &exiftoolLine) {
    return QStringLiteral("Les fichiers de tags n'ont pas pu tous être écrits dans le dossier %1 "
                          ": le disque est plein ou n'accepte plus de nouveau fichier. Les "
                          "statistiques sont incomplètes.")
               .arg(quotedPath(tempFolder)) +
           exiftoolSaid(exiftoolLine);
}

QString exiftoolCannotStart(const QString &exiftoolPath, const QString &reason) {
    return QStringLiteral("ExifTool n'a pas pu être lancé (%1) : %2.")
        .arg(quotedPath(exiftoolPath), reason);
}

} // namespace kadrilo::wording
