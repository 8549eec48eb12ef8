#include "window_helpers.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTreeView>

namespace kadrilo::test {

QModelIndex waitForChild(QTreeView &tree, const QString &name) {
    QModelIndex found;
    const auto shown = [&] {
        const QModelIndex parent = tree.currentIndex();
        for (int row = 0; row < tree.model()->rowCount(parent); ++row) {
            const QModelIndex child = tree.model()->index(row, 0, parent);
            if (child.data().toString() != name)
                continue;
            // As a person would, scroll until the folder shows.
            tree.scrollTo(child);
            found = child;
            return tree.viewport()->rect().contains(tree.visualRect(child).center());
        }
        return false;
    };
    return QTest::qWaitFor(shown, 10000) ? found : QModelIndex();
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

bool writeFakeExiftool(const QString &path, const QString &pidFile, int tagFiles) {
    QByteArray script = "#!/bin/sh\n";
    if (!pidFile.isEmpty()) {
        // The argument after -w is the output pattern: its folder is the temp folder.
        script += "echo $$ > '" + QFile::encodeName(pidFile) + "'\nprev=\n" +
                  "for a in \"$@\"; do [ \"$prev\" = \"-w\" ] && out=\"$a\"; prev=\"$a\"; done\n" +
                  "dir=$(dirname \"$out\")\n";
        for (int i = 1; i <= tagFiles; ++i)
            script += "touch \"$dir/IMG_" + QByteArray::number(1000 + i) + ".txt\"\n";
        script += "exec sleep 30\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(script) != script.size())
        return false;
    file.close();
    return file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

qint64 readPid(const QString &pidFile) {
    QFile file(pidFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
}

bool processExists(qint64 pid) {
    // A zombie still has its /proc entry; its state letter tells it apart.
    QFile status(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !status.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = status.readAll();
    const int close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) != "Z";
}

} // namespace kadrilo::test
