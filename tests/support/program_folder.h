#pragma once

#include <QString>
#include <QTemporaryDir>

namespace kadrilo::test {

// A throw-away program folder, laid out as a build folder is: exiftool.exe beside the
// program as a link to the installed ExifTool, unless the test asks otherwise.
class ProgramFolder {
public:
    enum class Exiftool { Linked, Missing, Folder };

    explicit ProgramFolder(Exiftool exiftool = Exiftool::Linked);

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    // Path of a file or folder inside the program folder.
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    // A fresh sub-folder (created), for images.
    QString makeFolder(const QString &relative) const;

private:
    QTemporaryDir m_dir;
};

// The installed ExifTool, or an empty string when none is found.
QString installedExiftool();
// Folder of the real Canon samples beside the repository, or empty when absent.
QString samplesFolder();

} // namespace kadrilo::test

// Skips the calling test function when no ExifTool is installed (QSKIP returns from it).
#define KADRILO_REQUIRE_EXIFTOOL()                                                                 \
    do {                                                                                           \
        if (kadrilo::test::installedExiftool().isEmpty())                                          \
            QSKIP("ExifTool is not installed (Debian package libimage-exiftool-perl)");            \
    } while (false)
