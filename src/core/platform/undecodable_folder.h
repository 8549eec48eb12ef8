#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kadrilo::platform {

// A folder that Qt names but cannot open. Qt 6 reads and writes file names in UTF-8 only: a
// name on disk that is not valid UTF-8 (a Latin-1 "é" from an old disk) reaches it with U+FFFD
// in place of each such byte, and that path leads nowhere. The folder is found again by its
// bytes and held open, so that Qt and ExifTool reach it through /proc ("/proc/<pid>/fd/<n>",
// Linux only).
class UndecodableFolder {
public:
    enum class Reach {
        Open,       // path() opens it
        NotFound,   // no folder on disk answers to the name
        Ambiguous,  // several do (ph\xE9 and ph\xE8 are both "ph\uFFFD"): candidates()
        NoProcPath, // found, but the system offers no path to it that Qt can spell
    };

    // `folder` as Qt gives it (the current folder, a folder of the tree).
    explicit UndecodableFolder(const QString &folder);
    ~UndecodableFolder();
    UndecodableFolder(const UndecodableFolder &) = delete;
    UndecodableFolder &operator=(const UndecodableFolder &) = delete;

    // Qt cannot open `folder`, though each of its names exists on disk under some bytes.
    static bool needed(const QString &folder);

    Reach reach() const { return m_reach; }
    QString path() const { return m_path; }
    // The folder's path with its undecodable bytes escaped ("/photos/ph\xE9"); the name as Qt
    // gives it when the folder was not found.
    QString shownPath() const { return m_shown; }
    // Every folder that answers to the name, escaped (Ambiguous).
    QStringList candidates() const { return m_candidates; }

private:
    Reach m_reach = Reach::NotFound;
    int m_descriptor = -1;
    QString m_path;
    QString m_shown;
    QStringList m_candidates;
};

} // namespace kadrilo::platform
