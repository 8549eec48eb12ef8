#pragma once

#include "platform/platform.h"
#include "platform/window_system.h"

#include <QString>
#include <QVector>

#include <functional>

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

// The temp folder start-up settles on, and the folders it had to pass over.
struct TempFolderChoice {
    struct Refusal {
        QString folder;
        platform::FolderProblem problem = platform::FolderProblem::None;
    };
    QString folder; // empty when no folder could be made
    QVector<Refusal> refused;
};

// `programTemp` when `prepare` makes it a writable folder, otherwise `cacheTemp` (skipped when
// empty); `prepare` is asked about the second only when the first is refused.
TempFolderChoice
chooseTempFolder(const QString &programTemp, const QString &cacheTemp,
                 const std::function<platform::FolderProblem(const QString &)> &prepare);
// The message shown when no temp folder could be made: each folder and why it was refused.
QString tempFolderFailureText(const TempFolderChoice &choice);
QString tempFolderFailureTitle();

// What the program prints when it finds no window system to open its window on: why, the
// command that runs it under a virtual X server from where it was started (`startedAs` is its
// argv[0]: "build/kadrilo" from a build, "kadrilo" found on the PATH), the Debian package
// that brings that command, and the report that needs no window.
QString noWindowSystemText(const QByteArray &startedAs, platform::WindowSystem found,
                           const platform::WindowSystemHints &hints);

// Start-up: titles the main window, checks that exiftool.exe stands beside the program and
// creates the temp folder, setting `chemin_exiftool` and `dossier_temp`. The temp folder is
// `temp` beside the program when it can be created and written there, otherwise `temp` in
// the person's cache folder (an installed, read-only program folder). When exiftool.exe is
// missing, or neither temp folder can be made, it tells the person and returns false: the
// caller must then end the program before any window shows.
bool demarrage(Module1 &state, QWidget &mainWindow);

} // namespace kadrilo
