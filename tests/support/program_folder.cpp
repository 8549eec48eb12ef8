#include "support/program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace kadrilo::test {

ProgramFolder::ProgramFolder(Exiftool exiftool) {
    const QString target = filePath(QStringLiteral("exiftool.exe"));
    switch (exiftool) {
    case Exiftool::Linked:
        QFile::link(installedExiftool(), target);
        break;
    case Exiftool::Folder:
        QDir().mkdir(target);
        break;
    case Exiftool::Missing:
        break;
    }
}

QString ProgramFolder::makeFolder(const QString &relative) const {
    const QString folder = filePath(relative);
    QDir().mkpath(folder);
    return folder;
}

QString installedExiftool() {
    const QString configured = QStringLiteral(KADRILO_EXIFTOOL_PATH);
    if (QFileInfo(configured).isExecutable())
        return configured;
    return QStandardPaths::findExecutable(QStringLiteral("exiftool"));
}

QString samplesFolder() {
    const QString folder = QStringLiteral(KADRILO_SAMPLES_DIR);
    return QFileInfo(folder).isDir() ? QDir(folder).absolutePath() : QString();
}

} // namespace kadrilo::test
