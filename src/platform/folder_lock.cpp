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
        if (lock.tryLock())
            QDir(folder).removeRecursively();
    }
}

} // namespace kadrilo::platform
