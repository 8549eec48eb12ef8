#pragma once

#include <QString>

class QWidget;

namespace kadrilo {

struct Module1;

// Program version shown in the title, the main window and the About window.
struct Version {
    int major = KADRILO_VERSION_MAJOR;
    int minor = KADRILO_VERSION_MINOR;
    int revision = KADRILO_VERSION_PATCH;
};

// "0.1.10": the three numbers in decimal, without leading zeros.
QString versionText(const Version &version = {});
// The main window's title: the program name, two blanks, the version.
QString mainWindowTitle(const QString &programName, const Version &version = {});
// The text of the message shown when exiftool.exe is missing.
QString missingExiftoolText();
QString missingExiftoolTitle();

// Creates the folder `chemin` (one level). Every failure is ignored, an existing folder
// included.
void creer_dossier(const QString &chemin);

// Start-up: titles the main window, checks that exiftool.exe stands beside the program and
// creates the temp folder, setting `chemin_exiftool` and `dossier_temp`. When exiftool.exe
// is missing it tells the person and returns false: the caller must then end the program
// before any window shows.
bool demarrage(Module1 &state, QWidget &mainWindow);

} // namespace kadrilo
