#include "run/startup.h"

#include "analysis/wording.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "run/module1.h"

#include <QRegularExpression>
#include <QWidget>

namespace kadrilo {

QString versionText(const Version &version) {
    return QStringLiteral("%1.%2.%3").arg(version.major).arg(version.minor).arg(version.revision);
}

QString mainWindowTitle(const QString &programName, const Version &version) {
    return programName + QStringLiteral("  ") + versionText(version);
}

QString missingExiftoolText() {
    return QStringLiteral("Le programme Exiftool est introuvable.\r\n") +
           wording::exiftoolPlaceRule(QStringLiteral("Kadrilo")) +
           QStringLiteral(" !\r\n\r\nKadrilo va s'arrêter.");
}

QString missingExiftoolTitle() {
    return QStringLiteral("Exiftool.exe manquant !");
}

TempFolderChoice
chooseTempFolder(const QString &programTemp, const QString &cacheTemp,
                 const std::function<platform::FolderProblem(const QString &)> &prepare) {
    TempFolderChoice choice;
    for (const QString &folder : {programTemp, cacheTemp}) {
        if (folder.isEmpty())
            continue;
        const platform::FolderProblem problem = prepare(folder);
        if (problem == platform::FolderProblem::None) {
            choice.folder = folder;
            break;
        }
        choice.refused.push_back({folder, problem});
    }
    return choice;
}

namespace {

QString problemText(platform::FolderProblem problem) {
    switch (problem) {
    case platform::FolderProblem::NotCreated:
        return QStringLiteral("impossible de créer ce dossier.");
    case platform::FolderProblem::NotAFolder:
        return QStringLiteral("un fichier porte déjà ce nom.");
    case platform::FolderProblem::NotWritable:
        return QStringLiteral("impossible d'écrire dans ce dossier.");
    case platform::FolderProblem::None:
        break;
    }
    return QString();
}

} // namespace

QString tempFolderFailureText(const TempFolderChoice &choice) {
    QString text = QStringLiteral("Kadrilo ne peut pas créer son dossier temporaire temp.\r\n");
    for (const TempFolderChoice::Refusal &refusal : choice.refused)
        text += QStringLiteral("\r\n%1 : %2")
                    .arg(wording::quotedPath(refusal.folder), problemText(refusal.problem));
    return text + QStringLiteral("\r\n\r\nKadrilo va s'arrêter.");
}

QString tempFolderFailureTitle() {
    return QStringLiteral("Dossier temp impossible à créer !");
}

namespace {

// `text` as a shell reads it back: in single quotes unless every character is plain.
QString shellWord(const QString &text) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+:=-]+$"));
    if (plain.match(text).hasMatch())
        return text;
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
           QLatin1Char('\'');
}

} // namespace

QString noWindowSystemText(const QByteArray &startedAs, platform::WindowSystem found,
                           const platform::WindowSystemHints &hints) {
    // A name without a folder was found on the PATH, and so is an installed program under
    // /usr: its name alone works. Any other path works from where the program was started.
    QByteArray program = startedAs.isEmpty() ? QByteArray("kadrilo") : startedAs;
    if (program.startsWith("/usr/"))
        program = program.mid(program.lastIndexOf('/') + 1);
    const int slash = program.lastIndexOf('/');
    const QString kadrilo = shellWord(platform::readablePath(program));
    const QString report =
        shellWord(platform::readablePath(program.left(slash + 1) + "kadrilo-rapport"));

    QString why;
    if (found == platform::WindowSystem::NoneAnswers) {
        QStringList named;
        if (!hints.display.isEmpty())
            named << QStringLiteral("DISPLAY=") + platform::readablePath(hints.display);
        if (!hints.waylandDisplay.isEmpty())
            named << QStringLiteral("WAYLAND_DISPLAY=") +
                         platform::readablePath(hints.waylandDisplay);
        why = QStringLiteral("et aucune ne répond (%1)").arg(named.join(QStringLiteral(", ")));
    } else {
        why = QStringLiteral("et aucune n'est ouverte (ni DISPLAY, ni WAYLAND_DISPLAY, ni "
                             "QT_QPA_PLATFORM)");
    }
    return QStringLiteral("kadrilo : Kadrilo a besoin d'une session graphique, %1.\n"
                          "  Sans écran, lancez-le sous un serveur X virtuel : xvfb-run -a %2\n"
                          "  (xvfb-run vient du paquet Debian xvfb : apt-get install xvfb)\n"
                          "  Pour les statistiques dans un terminal, sans fenêtre : %3 DOSSIER "
                          "(voir %3 --help)\n")
        .arg(why, kadrilo, report);
}

bool demarrage(Module1 &state, QWidget &mainWindow) {
    auto &system = platform::platform();
    mainWindow.setWindowTitle(mainWindowTitle(system.programName()));

    const QString programFolder = platform::withTrailingSeparator(system.programFolder());
    state.chemin_exiftool = programFolder + QString::fromUtf16(exiftoolFileName);
    if (!system.isNormalFile(state.chemin_exiftool)) {
        platform::showMessage(nullptr, missingExiftoolText(), missingExiftoolTitle(),
                              platform::MessageIcon::Critical);
        return false;
    }

    const QString cacheFolder = system.userCacheFolder();
    const TempFolderChoice temp = chooseTempFolder(
        programFolder + QStringLiteral("temp"),
        cacheFolder.isEmpty()
            ? QString()
            : platform::withTrailingSeparator(cacheFolder) + QStringLiteral("temp"),
        [&system](const QString &folder) { return system.prepareWritableFolder(folder); });
    if (temp.folder.isEmpty()) {
        platform::showMessage(nullptr, tempFolderFailureText(temp), tempFolderFailureTitle(),
                              platform::MessageIcon::Critical);
        return false;
    }
    state.dossier_temp = platform::withTrailingSeparator(temp.folder);
    return true;
}

} // namespace kadrilo
