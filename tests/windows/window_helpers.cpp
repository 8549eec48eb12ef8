#include "window_helpers.h"

#include <QDir>
#include <QLabel>
#include <QTest>
#include <QTreeView>

namespace kadrilo::test {

QModelIndex waitForChild(QTreeView &tree, const QString &name) {
    QModelIndex found;
    const bool loaded = QTest::qWaitFor(
        [&] {
            const QModelIndex parent = tree.currentIndex();
            for (int row = 0; row < tree.model()->rowCount(parent); ++row) {
                const QModelIndex child = tree.model()->index(row, 0, parent);
                if (child.data().toString() != name)
                    continue;
                // As a person would, scroll until the folder shows.
                tree.scrollTo(child);
                if (tree.viewport()->rect().contains(tree.visualRect(child).center())) {
                    found = child;
                    return true;
                }
            }
            return false;
        },
        10000);
    return loaded ? found : QModelIndex();
}

void doubleClick(QTreeView &tree, const QModelIndex &index) {
    const QPoint centre = tree.visualRect(index).center();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(tree.viewport(), Qt::LeftButton, {}, centre);
}

QStringList labelTexts(const QWidget &window) {
    QStringList texts;
    for (const QLabel *label : window.findChildren<QLabel *>())
        texts << label->text();
    return texts;
}

ScopedCurrentFolder::ScopedCurrentFolder(const QString &folder)
    : m_saved(QDir::currentPath()) {
    QDir::setCurrent(folder);
}

ScopedCurrentFolder::~ScopedCurrentFolder() {
    QDir::setCurrent(m_saved);
}

} // namespace kadrilo::test
