// Lists the raw images that ExifTool will read in a folder, so that they can be shared among
// several ExifTool processes.
#include "platform/platform.h"

#include <QDirIterator>
#include <QFile>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kadrilo::platform {

namespace {

#ifdef Q_OS_UNIX
// ExifTool's -ext compares the text after the last dot, in any letter case.
bool hasRawExtension(const char *name) {
    const std::size_t length = std::strlen(name);
    if (length < 4 || name[length - 4] != '.')
        return false;
    const char *extension = name + length - 3;
    return ::strcasecmp(extension, "cr2") == 0 || ::strcasecmp(extension, "crw") == 0;
}

// Walks one folder (taking `fd` over): its images, and its sub-folders when recursive.
void walk(int fd, const QByteArray &path, bool recursive, RawImageList &list) {
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        list.unreadableFolders << QFile::decodeName(path);
        return;
    }
    while (const dirent *entry = ::readdir(dir)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        unsigned char type = entry->d_type;
        struct stat info;
        if (type == DT_UNKNOWN && ::fstatat(::dirfd(dir), name, &info, AT_SYMLINK_NOFOLLOW) == 0)
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
        const QByteArray entryPath = path + '/' + name;
        if (type == DT_DIR) {
            // ExifTool's -r leaves out folders whose name starts with a dot.
            if (!recursive || name[0] == '.')
                continue;
            const int sub =
                ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0)
                list.unreadableFolders << QFile::decodeName(entryPath);
            else
                walk(sub, entryPath, recursive, list);
            continue;
        }
        if (!hasRawExtension(name))
            continue;
        // A link counts when it leads to a normal file; a link to a folder is never followed.
        if (type == DT_LNK) {
            if (::fstatat(::dirfd(dir), name, &info, 0) != 0 || !S_ISREG(info.st_mode))
                continue;
        } else if (type != DT_REG) {
            continue;
        }
        list.paths << entryPath;
    }
    ::closedir(dir);
}
#endif

} // namespace

RawImageList Platform::listRawImages(const QString &folder, bool recursive) const {
    RawImageList list;
#ifdef Q_OS_UNIX
    QByteArray path = QFile::encodeName(folder);
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        list.unreadableFolders << folder;
    else
        walk(fd, path == "/" ? QByteArray() : path, recursive, list);
#else
    const QDirIterator::IteratorFlags flags =
        recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags;
    QDirIterator it(folder, {QStringLiteral("*.cr2"), QStringLiteral("*.crw")},
                    QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, flags);
    while (it.hasNext())
        list.paths << QFile::encodeName(it.next());
#endif
    std::sort(list.paths.begin(), list.paths.end());
    return list;
}

} // namespace kadrilo::platform
