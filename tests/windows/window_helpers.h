#pragma once

#include <QModelIndex>
#include <QString>
#include <QStringList>

class QTreeView;
class QWidget;

namespace kadrilo::test {

// The sub-folder `name` of the folder highlighted in `tree`, once the tree has loaded it,
// scrolled into view; invalid after 10 s without it.
QModelIndex waitForChild(QTreeView &tree, const QString &name);

// A double-click on `index` as the system delivers it: a click, then the press that makes it
// a double-click, then its release.
void doubleClick(QTreeView &tree, const QModelIndex &index);

// Texts of every label of `window`.
QStringList labelTexts(const QWidget &window);

// Makes `folder` the process's current folder for the guard's lifetime: the folder window
// opens there.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const QString &folder);
    ~ScopedCurrentFolder();
    ScopedCurrentFolder(const ScopedCurrentFolder &) = delete;
    ScopedCurrentFolder &operator=(const ScopedCurrentFolder &) = delete;

private:
    QString m_saved;
};

} // namespace kadrilo::test
