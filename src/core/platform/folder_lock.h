#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace kadrilo::platform {

// A lock on a folder for the length of a work cycle, kept as the hidden file ".kadrilo.lock"
// inside it: a second program that tries to lock the same folder meanwhile fails. A lock left
// by a program that has died counts as free, however old; one held by a program still
// running never expires.
class FolderLock {
public:
    explicit FolderLock(const QString &folder);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // Takes the lock at once or fails, without waiting.
    bool tryLock();
    void unlock();
    bool isLocked() const;

    static QString fileName();

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace kadrilo::platform
