#include "platform/folder_lock.h"

#include <QDir>
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

} // namespace kadrilo::platform
