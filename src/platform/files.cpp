// The file-system pieces of the platform that a run of ExifTool relies on: finding the raw
// images it will read, and the tag files it leaves.
#include "platform/platform.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStorageInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace kadrilo::platform {

namespace {

const QString tagFilePattern = QStringLiteral("*.txt");

QDir::Filters everyFile() {
    return QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
}

#ifdef Q_OS_UNIX
bool hasRawExtension(const char *name) {
    const std::size_t length = std::strlen(name);
    if (length < 4 || name[length - 4] != '.')
        return false;
    const char *extension = name + length - 3;
    return ::strcasecmp(extension, "cr2") == 0 || ::strcasecmp(extension, "crw") == 0;
}

// Opens a folder, also one whose path is longer than PATH_MAX: such a path is opened one
// component at a time.
int openFolder(const QByteArray &path) {
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    const int fd = ::open(path.constData(), flags);
    if (fd >= 0 || errno != ENAMETOOLONG)
        return fd;
    int current = ::open(path.startsWith('/') ? "/" : ".", flags);
    for (const QByteArray &part : path.split('/')) {
        if (current < 0 || part.isEmpty())
            continue;
        const int next = ::openat(current, part.constData(), flags);
        ::close(current);
        current = next;
    }
    return current;
}

class RawImageWalk {
public:
    RawImageWalk(bool recursive, const std::atomic<bool> *stop, bool listPaths = false)
        : m_recursive(recursive)
        , m_stop(stop)
        , m_listPaths(listPaths) {}

    // Takes `fd` over.
    void walk(int fd, const QByteArray &path) {
        DIR *dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            m_scan.unreadableFolders << QFile::decodeName(path);
            return;
        }
        while (const dirent *entry = ::readdir(dir)) {
            if (m_stop && m_stop->load(std::memory_order_relaxed)) {
                m_scan.stopped = true;
                break;
            }
            const char *name = entry->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                continue;
            unsigned char type = entry->d_type;
            struct stat info;
            if (type == DT_UNKNOWN &&
                ::fstatat(::dirfd(dir), name, &info, AT_SYMLINK_NOFOLLOW) == 0)
                type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
            if (type == DT_DIR) {
                // ExifTool's -r leaves out folders whose name starts with a dot.
                if (!m_recursive || name[0] == '.')
                    continue;
                const QByteArray subPath = path + '/' + name;
                const int sub =
                    ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (sub < 0)
                    m_scan.unreadableFolders << QFile::decodeName(subPath);
                else
                    walk(sub, subPath);
                if (m_scan.stopped)
                    break;
                continue;
            }
            if (!hasRawExtension(name))
                continue;
            if (type == DT_LNK) {
                // A link counts when it leads to a file: ExifTool reads it; a link to a folder
                // is never followed.
                if (::fstatat(::dirfd(dir), name, &info, 0) != 0 || S_ISDIR(info.st_mode))
                    continue;
            } else if (type != DT_REG) {
                continue;
            }
            ++m_scan.images;
            if (m_listPaths)
                m_scan.paths << path + '/' + name;
        }
        ::closedir(dir);
    }

    RawImageScan m_scan;

private:
    bool m_recursive;
    const std::atomic<bool> *m_stop;
    bool m_listPaths;
};
#endif

} // namespace

QStringList Platform::listTagFiles(const QString &folder) const {
    QDir dir(folder);
    return dir.entryList({tagFilePattern}, everyFile(), QDir::Name | QDir::IgnoreCase);
}

int Platform::countTagFiles(const QString &folder) const {
    return int(QDir(folder).entryList({tagFilePattern}, everyFile(), QDir::NoSort).size());
}

TagFolder Platform::inspectTagFolder(const QString &folder) {
    TagFolder result;
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(folder);
    if (DIR *dir = ::opendir(path.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (!name.endsWith(".txt") || QFile::encodeName(QFile::decodeName(name)) == name)
                continue;
            // Keep what can be read of the name; a counter keeps the new name free.
            QByteArray readable = QFile::encodeName(QFile::decodeName(name.chopped(4)));
            readable.replace('/', '_');
            for (int copy = 0;; ++copy) {
                const QByteArray candidate =
                    readable + (copy ? "-r" + QByteArray::number(copy) : QByteArray()) + ".txt";
                struct stat existing;
                if (::fstatat(::dirfd(dir), candidate.constData(), &existing,
                              AT_SYMLINK_NOFOLLOW) != 0) {
                    ::renameat(::dirfd(dir), name.constData(), ::dirfd(dir), candidate.constData());
                    break;
                }
            }
        }
        ::closedir(dir);
    }
#endif
    QDir dir(folder);
    const QFileInfoList files =
        dir.entryInfoList({tagFilePattern}, everyFile(), QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &file : files) {
        result.names << file.fileName();
        if (file.size() == 0)
            ++result.emptyFiles;
    }
#ifdef Q_OS_UNIX
    struct statvfs space;
    if (::statvfs(path.constData(), &space) == 0) {
        // Root may write into the blocks kept in reserve: only their end stops it.
        const bool root = ::geteuid() == 0;
        const auto blocks = root ? space.f_bfree : space.f_bavail;
        const auto entries = root ? space.f_ffree : space.f_favail;
        result.full = blocks == 0 || (space.f_files > 0 && entries == 0);
    }
#else
    const QStorageInfo storage(folder);
    result.full = storage.isValid() && storage.bytesAvailable() == 0;
#endif
    return result;
}

RawImageScan Platform::findRawImages(const QString &folder, bool recursive,
                                     const std::atomic<bool> *stop) const {
#ifdef Q_OS_UNIX
    RawImageWalk walk(recursive, stop);
    const QByteArray path = QFile::encodeName(folder);
    const int fd = openFolder(path);
    if (fd < 0)
        walk.m_scan.unreadableFolders << folder;
    else
        walk.walk(fd, path);
    return walk.m_scan;
#else
    RawImageScan scan;
    const QDirIterator::IteratorFlags flags =
        recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags;
    QDirIterator it(folder, {QStringLiteral("*.cr2"), QStringLiteral("*.crw")},
                    QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, flags);
    while (it.hasNext()) {
        if (stop && stop->load()) {
            scan.stopped = true;
            break;
        }
        it.next();
        ++scan.images;
    }
    return scan;
#endif
}

RawImageScan Platform::listRawImages(const QString &folder, bool recursive) const {
    RawImageScan scan;
#ifdef Q_OS_UNIX
    RawImageWalk walk(recursive, nullptr, true);
    QByteArray path = QFile::encodeName(folder);
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const int fd = openFolder(path);
    if (fd < 0)
        walk.m_scan.unreadableFolders << folder;
    else
        walk.walk(fd, path == "/" ? QByteArray() : path);
    scan = walk.m_scan;
#else
    const QDirIterator::IteratorFlags flags =
        recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags;
    QDirIterator it(folder, {QStringLiteral("*.cr2"), QStringLiteral("*.crw")},
                    QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, flags);
    while (it.hasNext())
        scan.paths << QFile::encodeName(QDir::toNativeSeparators(it.next()));
    scan.images = int(scan.paths.size());
#endif
    std::sort(scan.paths.begin(), scan.paths.end());
    return scan;
}

QString Platform::currentFolder() const {
    const QString current = QDir::currentPath();
    if (!current.isEmpty())
        return current;
#ifdef Q_OS_UNIX
    // glibc's getcwd allocates a buffer of the size needed when given none.
    if (char *path = ::getcwd(nullptr, 0)) {
        const QString folder = QFile::decodeName(path);
        std::free(path);
        return folder;
    }
#endif
    return {};
}

} // namespace kadrilo::platform
