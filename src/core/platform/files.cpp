// The file-system pieces of the platform that a run of ExifTool relies on: finding the raw
// images it will read, and the tag files it leaves.
#include "platform/platform.h"
#include "platform/safe_files.h"
#include "platform/stop_request.h"

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

const QString tagFilePattern = QString::fromUtf16(tagFileWildcard);

QDir::Filters everyFile() {
    return QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
}

#ifdef Q_OS_UNIX
bool hasRawExtension(const char *name, bool withCr3) {
    const std::size_t length = std::strlen(name);
    if (length < 4 || name[length - 4] != '.')
        return false;
    const char *extension = name + length - 3;
    for (int i = 0; i < rawExtensionCount(withCr3); ++i) {
        if (::strcasecmp(extension, canonRawExtensions[i]) == 0)
            return true;
    }
    return false;
}

qint64 nanoseconds(const timespec &time) {
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

// Whether the entry `name` of `dirFd`, links followed, lies on a pseudo file system; the
// entry is reached without opening it, so that nothing is read.
bool onPseudoFileSystem(int dirFd, const char *name) {
#ifdef Q_OS_LINUX
    const int fd = ::openat(dirFd, name, O_PATH | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool pseudo = isOnPseudoFileSystem(fd);
    ::close(fd);
    return pseudo;
#else
    Q_UNUSED(dirFd)
    Q_UNUSED(name)
    return false;
#endif
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
    RawImageWalk(bool recursive, const std::atomic<bool> *stop, bool listImages = false,
                 bool withCr3 = false)
        : m_recursive(recursive)
        , m_stop(stop)
        , m_listImages(listImages)
        , m_withCr3(withCr3) {}

    void unreadable(const QByteArray &path) {
        const QString shown = m_listImages ? readablePath(path) : QFile::decodeName(path);
        m_scan.unreadableFolders << shown;
        m_listing.unreadableFolders << shown;
    }

    // Takes `fd` over.
    void walk(int fd, const QByteArray &path) {
        DIR *dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            unreadable(path);
            return;
        }
        while (const dirent *entry = ::readdir(dir)) {
            // The report's listing ends at once on Ctrl+C, however large the library.
            if ((m_stop && m_stop->load(std::memory_order_relaxed)) ||
                (m_listImages && stopRequested() != 0)) {
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
                    unreadable(subPath);
                else
                    walk(sub, subPath);
                if (m_scan.stopped)
                    break;
                continue;
            }
            if (!hasRawExtension(name, m_withCr3))
                continue;
            if (m_listImages) {
                list(::dirfd(dir), name, path);
                continue;
            }
            if (type == DT_LNK) {
                // A link counts when it leads to a file: ExifTool reads it; a link to a folder
                // is never followed.
                if (::fstatat(::dirfd(dir), name, &info, 0) != 0 || S_ISDIR(info.st_mode))
                    continue;
            } else if (type != DT_REG) {
                continue;
            }
            ++m_scan.images;
        }
        ::closedir(dir);
    }

    RawImageScan m_scan;
    ImageListing m_listing;

private:
    // Lists the entry `name` of the folder `dirFd`, following links: a regular file is an
    // image; a link to a folder is never followed, as ExifTool does; anything else is set
    // apart with the reason ExifTool could not read it.
    void list(int dirFd, const char *name, const QByteArray &folder) {
        const QByteArray path = folder + '/' + name;
        struct stat info;
        if (::fstatat(dirFd, name, &info, 0) != 0) {
            const bool link =
                ::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
            m_listing.skipped.push_back(
                {path, link ? QStringLiteral("le lien ne mène à aucun fichier")
                            : QString::fromLocal8Bit(std::strerror(errno))});
            return;
        }
        if (S_ISDIR(info.st_mode))
            return;
        if (!S_ISREG(info.st_mode)) {
            m_listing.skipped.push_back({path, notAFileReason(info.st_mode)});
            return;
        }
        // A file the kernel writes as it is read (/proc, /sys) may never end: ExifTool would
        // read it for ever. An empty file holds no image.
        if (onPseudoFileSystem(dirFd, name)) {
            m_listing.skipped.push_back(
                {path, QStringLiteral("le fichier est sur un système de fichiers virtuel "
                                      "(comme /proc ou /sys), que le noyau écrit sans fin")});
            return;
        }
        if (info.st_size == 0) {
            m_listing.skipped.push_back({path, QStringLiteral("le fichier est vide")});
            return;
        }
        m_listing.images.push_back({path, qint64(info.st_size), nanoseconds(info.st_mtim),
                                    nanoseconds(info.st_ctim), qint64(info.st_dev),
                                    qint64(info.st_ino)});
    }

    bool m_recursive;
    const std::atomic<bool> *m_stop;
    bool m_listImages;
    bool m_withCr3;
};
#endif

} // namespace

QString notAFileReason(unsigned mode) {
#ifdef Q_OS_UNIX
    if (S_ISFIFO(mode))
        return QStringLiteral("c'est un tube nommé (FIFO), pas un fichier");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("c'est un périphérique, pas un fichier");
    if (S_ISSOCK(mode))
        return QStringLiteral("c'est une socket, pas un fichier");
#else
    Q_UNUSED(mode)
#endif
    return QStringLiteral("ce n'est pas un fichier ordinaire");
}

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
        // An empty regular file is one the disk had no room for; a FIFO or a link that
        // stands there is no tag file, and its image is told apart when it is read.
        if (file.size() == 0 && file.isFile() && !file.isSymLink())
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
    QDirIterator it(folder, rawImagePatterns(false),
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

ImageListing Platform::listImages(const QByteArray &folder, bool recursive, bool withCr3) const {
    ImageListing listing;
#ifdef Q_OS_UNIX
    RawImageWalk walk(recursive, nullptr, true, withCr3);
    QByteArray path = folder;
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const int fd = openFolder(path);
    if (fd < 0)
        walk.m_listing.unreadableFolders << readablePath(folder);
    else
        walk.walk(fd, path == "/" ? QByteArray() : path);
    listing = std::move(walk.m_listing);
#else
    const QDirIterator::IteratorFlags flags =
        recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags;
    QDirIterator it(QFile::decodeName(folder), rawImagePatterns(withCr3),
                    QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, flags);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        listing.images.push_back({QFile::encodeName(QDir::toNativeSeparators(file.filePath())),
                                  file.size(), file.lastModified().toMSecsSinceEpoch() * 1'000'000,
                                  file.metadataChangeTime().toMSecsSinceEpoch() * 1'000'000});
    }
#endif
    return listing;
}

FolderAccess folderAccess(const QByteArray &path) {
#ifdef Q_OS_UNIX
    struct stat info;
    if (::stat(path.constData(), &info) != 0) {
        // A path beyond the system's limit is walked one folder at a time.
        const int fd = errno == ENAMETOOLONG ? openFolder(path) : -1;
        if (fd < 0)
            return errno == EACCES ? FolderAccess::Unreadable : FolderAccess::Missing;
        ::close(fd);
        return FolderAccess::Readable;
    }
    if (!S_ISDIR(info.st_mode))
        return FolderAccess::NotAFolder;
    return ::access(path.constData(), R_OK | X_OK) == 0 || errno == ENAMETOOLONG
               ? FolderAccess::Readable
               : FolderAccess::Unreadable;
#else
    const QFileInfo folder(QFile::decodeName(path));
    if (!folder.exists())
        return FolderAccess::Missing;
    if (!folder.isDir())
        return FolderAccess::NotAFolder;
    return folder.isReadable() ? FolderAccess::Readable : FolderAccess::Unreadable;
#endif
}

QByteArray Platform::currentFolder() const {
#ifdef Q_OS_UNIX
    // glibc's getcwd allocates a buffer of the size needed when given none, also beyond
    // the path limit.
    if (char *path = ::getcwd(nullptr, 0)) {
        const QByteArray folder(path);
        std::free(path);
        return folder;
    }
    return {};
#else
    return QFile::encodeName(QDir::currentPath());
#endif
}

} // namespace kadrilo::platform
