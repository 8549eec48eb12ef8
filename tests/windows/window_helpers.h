#pragma once

#include <QModelIndex>
#include <QString>
#include <QStringList>

class QTreeView;
class QWidget;

namespace kadrilo::test {

// The sub-folder `name` of the folder highlighted in `tree`, once loaded and scrolled into
// view; invalid after 10 s without it.
QModelIndex waitForChild(QTreeView &tree, const QString &name);
// A double-click as the system delivers it: a click, the press that makes it double, a release.
void doubleClick(QTreeView &tree, const QModelIndex &index);
QStringList labelTexts(const QWidget &window);

// Makes `folder` the current folder (where the folder window opens) for the guard's lifetime.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const QString &folder);
    ~ScopedCurrentFolder();
    ScopedCurrentFolder(const ScopedCurrentFolder &) = delete;
    ScopedCurrentFolder &operator=(const ScopedCurrentFolder &) = delete;

private:
    QString m_saved;
};

// Writes a shell script standing in for ExifTool at `path`. With `pidFile`, it writes its
// process id there, `tagFiles` empty tag files into the -w folder, then sleeps 30 s; without,
// it ends at once and writes nothing.
bool writeFakeExiftool(const QString &path, const QString &pidFile = QString(), int tagFiles = 0);
// The process id a waiting script wrote, or 0.
qint64 readPid(const QString &pidFile);
// True while the process `pid` exists (a zombie does not count).
bool processExists(qint64 pid);

} // namespace kadrilo::test
