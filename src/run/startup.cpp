#include "run/startup.h"

#include "platform/message_box.h"
#include "platform/platform.h"
#include "run/module1.h"

#include <QWidget>

namespace kadrilo {

QString versionText(const Version &version) {
    return QStringLiteral("%1.%2.%3").arg(version.major).arg(version.minor).arg(version.revision);
}

QString mainWindowTitle(const QString &programName, const Version &version) {
    return programName + QStringLiteral("  ") + versionText(version);
}

QString missingExiftoolText() {
    return QStringLiteral("Le programme Exiftool est introuvable.\r\n"
                          "Le fichier exiftool.exe doit se trouver dans le même dossier que "
                          "Kadrilo !\r\n\r\nKadrilo va s'arrêter.");
}

QString missingExiftoolTitle() {
    return QStringLiteral("Exiftool.exe manquant !");
}

void creer_dossier(const QString &chemin) {
    // An existing folder is the normal case from the second start on: nothing to report.
    platform::platform().createFolder(chemin);
}

bool demarrage(Module1 &state, QWidget &mainWindow) {
    auto &system = platform::platform();
    mainWindow.setWindowTitle(mainWindowTitle(system.programName()));

    const QString programFolder = platform::withTrailingSeparator(system.programFolder());
    state.chemin_exiftool = programFolder + QStringLiteral("exiftool.exe");
    if (!system.isNormalFile(state.chemin_exiftool)) {
        platform::showMessage(nullptr, missingExiftoolText(), missingExiftoolTitle(),
                              platform::MessageIcon::Critical);
        return false;
    }

    const QString tempFolder = programFolder + QStringLiteral("temp");
    creer_dossier(tempFolder);
    state.dossier_temp = platform::withTrailingSeparator(tempFolder);
    return true;
}

} // namespace kadrilo
