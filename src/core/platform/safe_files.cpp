#include "platform/safe_files.h"

#include "platform/folder_lock.h"
#include "platform/stop_request.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

namespace kadrilo::platform {

namespace {

using Problem = PrivateParent::Problem;

// The name of a report's private folder in the private parent, as mkdtemp wants it.
constexpr char runFolderPattern[] = "rapport-XXXXXX";

#ifdef Q_OS_UNIX
QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Opens the folder `name` of `parentFd`, made 0700 when missing. A link, a file or a folder of
// another user is refused; a folder of this user that others may enter is closed to them.
int openOwnFolder(int parentFd, const char *name, PrivateParent &parent) {
    if (::mkdirat(parentFd, name, 0700) != 0 && errno != EEXIST) {
        parent.problem = Problem::NotMade;
        parent.systemError = systemError();
        return -1;
    }
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        parent.problem =
            errno == ELOOP || errno == ENOTDIR ? Problem::NotAFolder : Problem::NotMade;
        parent.systemError = systemError();
    } else if (info.st_uid != ::getuid()) {
        parent.problem = Problem::OtherOwner;
    } else if ((info.st_mode & 07777) != 0700 && ::fchmod(fd, 0700) != 0) {
        parent.problem = Problem::ModeKept;
        parent.systemError = systemError();
    } else {
        return fd;
    }
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// The runtime folder when it is one only this user can enter, as the XDG rules make it.
QByteArray privateRuntimeFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat info;
    if (!runtime.startsWith('/') || ::stat(runtime.constData(), &info) != 0 ||
        !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 077) != 0)
        return {};
    return runtime;
}

QByteArray userCacheBase() {
    const QByteArray cache = qgetenv("XDG_CACHE_HOME");
    if (cache.startsWith('/'))
        return cache;
    return QFile::encodeName(QDir::homePath()) + "/.cache";
}

bool removeEntryAt(int dirFd, const char *name, int depth);

// Removes what the folder `fd` holds (except `keep`) and closes it.
void removeContents(int fd, const char *keep, int depth) {
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    // Names first: entries removed while the folder is read may hide others from readdir.
    QList<QByteArray> names;
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0 &&
            (!keep || std::strcmp(name, keep) != 0))
            names << QByteArray(name);
    }
    for (const QByteArray &name : std::as_const(names))
        removeEntryAt(::dirfd(dir), name.constData(), depth);
    ::closedir(dir);
}

// Removes the entry `name` of the folder `dirFd`: a link or a file as it stands, a folder
// after its contents, reached through a descriptor opened without following a link.
bool removeEntryAt(int dirFd, const char *name, int depth) {
    if (::unlinkat(dirFd, name, 0) == 0 || errno == ENOENT)
        return true;
    constexpr int deepest = 128;
    if ((errno != EISDIR && errno != EPERM) || depth > deepest)
        return false;
    const int sub = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub < 0)
        return false;
    removeContents(sub, nullptr, depth + 1);
    return ::unlinkat(dirFd, name, AT_REMOVEDIR) == 0 || errno == ENOENT;
}
#endif

// Removes the private folders in `parent` whose report has died. A folder without a lock is
// one being made, unless it is old: its report died before it could take the lock.
void removeAbandonedRuns(const QString &parent) {
    const QDir dir(parent);
    const QFileInfoList folders =
        dir.entryInfoList({QStringLiteral("rapport-*")},
                          QDir::Dirs | QDir::NoSymLinks | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo &folder : folders) {
        const QString path = folder.filePath();
        if (!QFileInfo::exists(QDir(path).filePath(FolderLock::fileName()))) {
            if (folder.lastModified().secsTo(QDateTime::currentDateTime()) > 60)
                removeFolderTree(path);
            continue;
        }
        FolderLock lock(path);
        if (!lock.tryLock())
            continue;
        // The lock goes last, released rather than deleted: a lock file removed under the
        // lock would be missing at its release, which Qt reports on standard error.
        removeFolderTree(path, FolderLock::fileName());
        lock.unlock();
        dir.rmdir(folder.fileName());
    }
}

} // namespace

PrivateParent privateParentFolder() {
    PrivateParent parent;
#ifdef Q_OS_UNIX
    QByteArray base = privateRuntimeFolder();
    QList<QByteArray> steps{"kadrilo"};
    if (base.isEmpty()) {
        base = userCacheBase();
        steps << "rapport";
        // The cache folder itself is the person's to place, through a link if they wish.
        if (!QFileInfo::exists(QFile::decodeName(base)) && QDir().mkpath(QFile::decodeName(base)))
            ::chmod(base.constData(), 0700);
    }
    int fd = ::open(base.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QByteArray path = base;
    if (fd < 0) {
        parent.problem = Problem::NotMade;
        parent.systemError = systemError();
        path += '/' + steps.join('/');
    }
    for (const QByteArray &step : steps) {
        if (fd < 0)
            break;
        path += '/' + step;
        const int next = openOwnFolder(fd, step.constData(), parent);
        ::close(fd);
        fd = next;
    }
    if (fd >= 0)
        ::close(fd);
    parent.path = QFile::decodeName(path);
#else
    parent.path = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                  QStringLiteral("/kadrilo/rapport");
    if (!QDir().mkpath(parent.path))
        parent.problem = Problem::NotMade;
#endif
    return parent;
}

PrivateRunFolder::PrivateRunFolder() {
    m_problem = privateParentFolder();
    if (m_problem.problem != Problem::None)
        return;
    removeAbandonedRuns(m_problem.path);
#ifdef Q_OS_UNIX
    QByteArray pattern = QFile::encodeName(m_problem.path) + '/' + runFolderPattern;
    if (!::mkdtemp(pattern.data())) {
        m_problem.problem = Problem::NotMade;
        m_problem.systemError = systemError();
        return;
    }
    m_path = QFile::decodeName(pattern);
#else
    QTemporaryDir made(m_problem.path + QLatin1Char('/') + QLatin1String(runFolderPattern));
    if (!made.isValid()) {
        m_problem.problem = Problem::NotMade;
        m_problem.systemError = made.errorString();
        return;
    }
    made.setAutoRemove(false);
    m_path = made.path();
#endif
    m_lock = std::make_unique<FolderLock>(m_path);
    m_lock->tryLock();
    setFolderRemovedOnDeadline(QFile::encodeName(m_path));
}

PrivateRunFolder::~PrivateRunFolder() {
    if (m_path.isEmpty())
        return;
    setFolderRemovedOnDeadline({});
    removeFolderTree(m_path, FolderLock::fileName());
    m_lock->unlock();
    QDir().rmdir(m_path);
}

bool removeFolderTree(const QString &path, const QString &keep) {
#ifdef Q_OS_UNIX
    const QByteArray folder = QFile::encodeName(path);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    const QByteArray kept = QFile::encodeName(keep);
    removeContents(fd, keep.isEmpty() ? nullptr : kept.constData(), 0);
    return !keep.isEmpty() || ::rmdir(folder.constData()) == 0;
#else
    if (keep.isEmpty())
        return QDir(path).removeRecursively();
    const QDir dir(path);
    bool removed = true;
    for (const QFileInfo &entry :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (entry.fileName() == keep)
            continue;
        removed = (entry.isDir() && !entry.isSymLink() ? QDir(entry.filePath()).removeRecursively()
                                                       : QFile::remove(entry.filePath())) &&
                  removed;
    }
    return removed;
#endif
}

#ifdef Q_OS_LINUX
namespace {
// Only system calls: a signal handler runs it. Entries go as the folder is read, so the
// folder is read again from its start until a pass finds nothing more.
void removeAtOnce(int dirFd, const char *name, int depth) {
    if (::unlinkat(dirFd, name, 0) == 0 || (errno != EISDIR && errno != EPERM) || depth > 4)
        return;
    const int fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    alignas(dirent64) char buffer[4096];
    for (int pass = 0; pass < 8; ++pass) {
        bool found = false;
        ::lseek(fd, 0, SEEK_SET);
        for (ssize_t got; (got = ::getdents64(fd, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto *entry = reinterpret_cast<const dirent64 *>(buffer + at);
                at += entry->d_reclen;
                if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                    continue;
                found = true;
                removeAtOnce(fd, entry->d_name, depth + 1);
            }
        }
        if (!found)
            break;
    }
    ::close(fd);
    ::unlinkat(dirFd, name, AT_REMOVEDIR);
}
} // namespace

void removeFolderTreeAtOnce(const char *path) {
    removeAtOnce(AT_FDCWD, path, 0);
}
#else
void removeFolderTreeAtOnce(const char *) {}
#endif

bool openRegularFile(QFile &file, const QString &path, QString *reason) {
#ifdef Q_OS_UNIX
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP)
            *reason = QStringLiteral("c'est un lien, pas un fichier");
        else if (errno != ENOENT)
            *reason = systemError();
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        *reason = notAFileReason(info.st_mode);
        ::close(fd);
        return false;
    }
    return file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
#else
    Q_UNUSED(reason)
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
#endif
}

#ifdef Q_OS_LINUX
namespace {
// File systems whose files the kernel writes as they are read.
bool isPseudoType(long type) {
    static constexpr long types[] = {
        PROC_SUPER_MAGIC, SYSFS_MAGIC,        DEBUGFS_MAGIC,
        TRACEFS_MAGIC,    CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC,
        SECURITYFS_MAGIC, BPF_FS_MAGIC,       SELINUX_MAGIC,
        SMACK_MAGIC,      EFIVARFS_MAGIC,     PSTOREFS_MAGIC,
        NSFS_MAGIC,       BINFMTFS_MAGIC,     0x62656570 /* configfs */,
        0x65735543 /* fusectl */};
    return std::find(std::begin(types), std::end(types), type) != std::end(types);
}
} // namespace

bool isOnPseudoFileSystem(int fd) {
    struct statfs info;
    return ::fstatfs(fd, &info) == 0 && isPseudoType(long(info.f_type));
}

bool isOnPseudoFileSystem(const char *path) {
    struct statfs info;
    return ::statfs(path, &info) == 0 && isPseudoType(long(info.f_type));
}
#else
bool isOnPseudoFileSystem(int) {
    return false;
}

bool isOnPseudoFileSystem(const char *) {
    return false;
}
#endif

} // namespace kadrilo::platform
