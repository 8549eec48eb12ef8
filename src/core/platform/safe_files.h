#pragma once

#include <QString>

#include <memory>

class QFile;

namespace kadrilo::platform {

class FolderLock;

// The folder, reachable by this user alone, that holds the report's private folders:
// "$XDG_RUNTIME_DIR/kadrilo" when the runtime folder is an absolute path to a folder of this
// user that only they can enter, else "kadrilo/rapport" in their cache folder
// ($XDG_CACHE_HOME when absolute, else ~/.cache). Made on first use; a last step that is a
// link or belongs to another user is refused, one whose mode lets others in is set to 0700.
struct PrivateParent {
    enum class Problem { None, NotMade, NotAFolder, OtherOwner, ModeKept };
    Problem problem = Problem::None;
    QString path;        // the folder, or the step refused
    QString systemError; // the system's reason, for NotMade and ModeKept
};
PrivateParent privateParentFolder();

// A private folder of the report inside privateParentFolder(), locked from its making to its
// removal, and removed with all it holds when this object goes. Before it is made, the
// folders of reports that have died (even by SIGKILL, while reading tag files or storing the
// cache) are removed: their lock is free. Nothing outside the private parent is ever touched,
// and no link is followed while removing.
class PrivateRunFolder {
public:
    PrivateRunFolder();
    ~PrivateRunFolder();
    PrivateRunFolder(const PrivateRunFolder &) = delete;
    PrivateRunFolder &operator=(const PrivateRunFolder &) = delete;

    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    // Why the folder could not be made: the private parent's problem, or NotMade with the
    // parent's path.
    const PrivateParent &problem() const { return m_problem; }

private:
    QString m_path;
    PrivateParent m_problem;
    std::unique_ptr<FolderLock> m_lock;
};

// Removes the folder `path` with everything in it; links inside are removed, never followed,
// and a folder swapped for a link while the removal runs is left alone. `keep` names an entry
// of the top folder that stays (with the folder itself).
bool removeFolderTree(const QString &path, const QString &keep = QString());

// The same for a signal handler's last moment: async-signal safe, a few levels deep, on Linux
// only (elsewhere it does nothing).
void removeFolderTreeAtOnce(const char *path);

// Opens `path` for reading, unbuffered, only when it is a regular file and not a link: a FIFO
// would block the open for ever, a device never ends. On refusal `reason` says why in French
// ("c'est un tube nommé (FIFO), pas un fichier"); it stays empty when nothing stands there.
bool openRegularFile(QFile &file, const QString &path, QString *reason);

// The reason an entry of this mode (a stat() st_mode) is no file ExifTool or this program can
// read to its end, in French.
QString notAFileReason(unsigned mode);

// True when the open file `fd` lies on a file system the kernel makes up as it is read (/proc,
// /sys, debugfs...): such a file may have no end, or change its size while being read.
bool isOnPseudoFileSystem(int fd);
// The same for a path, links followed.
bool isOnPseudoFileSystem(const char *path);

} // namespace kadrilo::platform
