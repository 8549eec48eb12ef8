#include "platform/folder_lock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace kadrilo::platform {

namespace {

std::unique_ptr<QLockFile> lockOn(const QString &folder) {
    auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(FolderLock::fileName()));
    // Only a dead owner frees the lock: a long run must not lose it after 30 s.
    lock->setStaleLockTime(0);
    return lock;
}

} // namespace

FolderLock::FolderLock(const QString &folder)
    : m_lock(lockOn(folder)) {}

FolderLock::~FolderLock() = default;

QString FolderLock::fileName() {
    return QStringLiteral(".kadrilo.lock");
}

bool FolderLock::tryLock() {
    return m_lock->isLocked() || m_lock->tryLock(0);
}

void FolderLock::unlock() {
    m_lock->unlock();
}

bool FolderLock::isLocked() const {
    return m_lock->isLocked();
}

void removeAbandonedFolders(const QString &parent, const QString &pattern) {
    const QDir dir(parent);
    const QStringList folders =
        dir.entryList({pattern}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &name : folders) {
        const QString folder = dir.filePath(name);
        // A folder just made, whose lock is not written yet, is left alone.
        if (!QFileInfo::exists(QDir(folder).filePath(FolderLock::fileName())))
            continue;
        FolderLock lock(folder);
        if (!lock.tryLock())
            continue;
        // The lock goes last, released rather than deleted: a lock file removed under the
        // lock would be missing at its release, which Qt reports on standard error.
        QDir contents(folder);
        const QFileInfoList entries = contents.entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                             QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &entry : entries) {
            if (entry.fileName() == FolderLock::fileName())
                continue;
            if (entry.isDir() && !entry.isSymLink())
                QDir(entry.filePath()).removeRecursively();
            else
                contents.remove(entry.fileName());
        }
        lock.unlock();
        dir.rmdir(name);
    }
}

} // namespace kadrilo::platform
