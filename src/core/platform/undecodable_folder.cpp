#include "platform/undecodable_folder.h"

#include "platform/platform.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kadrilo::platform {

namespace {

#ifdef Q_OS_UNIX
constexpr int mostCandidates = 16;

bool isFolder(const QByteArray &path) {
    struct stat info;
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folders on disk whose path Qt spells `folder`: a name without U+FFFD is taken as it is,
// one with it is looked for among its parent's entries.
QList<QByteArray> foldersSpelled(const QString &folder) {
    // The current folder is known by its bytes: the program may have been started there.
    if (char *current = ::getcwd(nullptr, 0)) {
        const QByteArray bytes(current);
        std::free(current);
        if (QFile::decodeName(bytes) == folder)
            return {bytes};
    }
    QList<QByteArray> paths{QByteArray()};
    for (const QString &name : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        QList<QByteArray> longer;
        for (const QByteArray &parent : std::as_const(paths)) {
            if (!name.contains(QChar::ReplacementCharacter)) {
                const QByteArray direct = parent + '/' + QFile::encodeName(name);
                if (isFolder(direct))
                    longer << direct;
                continue;
            }
            DIR *dir = ::opendir(parent.isEmpty() ? "/" : parent.constData());
            if (!dir)
                continue;
            while (const dirent *entry = ::readdir(dir)) {
                const QByteArray child = parent + '/' + entry->d_name;
                if (QFile::decodeName(entry->d_name) == name && isFolder(child) &&
                    longer.size() < mostCandidates)
                    longer << child;
            }
            ::closedir(dir);
        }
        paths = longer;
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}
#endif

} // namespace

UndecodableFolder::UndecodableFolder(const QString &folder)
    : m_shown(folder) {
#ifdef Q_OS_UNIX
    const QList<QByteArray> found = foldersSpelled(folder);
    for (const QByteArray &path : found)
        m_candidates << readablePath(path);
    if (found.size() != 1) {
        m_reach = found.isEmpty() ? Reach::NotFound : Reach::Ambiguous;
        return;
    }
    m_shown = m_candidates.first();
    m_reach = Reach::NoProcPath;
#ifdef Q_OS_LINUX
    // A descriptor that only names the folder, which needs no right to read it, closed in
    // every program started: ExifTool goes through this program's own descriptor.
    m_descriptor = ::open(found.first().constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const QString path = QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(m_descriptor);
    if (m_descriptor >= 0 && QFileInfo(path).isDir()) {
        m_path = path;
        m_reach = Reach::Open;
    }
#endif
#endif
}

UndecodableFolder::~UndecodableFolder() {
#ifdef Q_OS_UNIX
    if (m_descriptor >= 0)
        ::close(m_descriptor);
#endif
}

bool UndecodableFolder::needed(const QString &folder) {
    return folder.contains(QChar::ReplacementCharacter) && !QFileInfo(folder).isDir();
}

} // namespace kadrilo::platform
