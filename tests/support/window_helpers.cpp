#include "support/window_helpers.h"

#include "run/frm_travail.h"

#include <QDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

namespace kadrilo::test {

ModalScript::ModalScript(int deadlineMilliseconds) {
    connect(&m_poll, &QTimer::timeout, this, [this] {
        if (m_acting || finished() || !m_steps.at(m_next).ready())
            return;
        m_acting = true;
        QTimer::singleShot(0, this, [this, act = m_steps.at(m_next++).act] {
            m_acting = false;
            act();
        });
    });
    m_poll.start(20);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_poll.stop();
        while (QWidget *modal = QApplication::activeModalWidget()) {
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->done(QDialog::Rejected);
            modal->hide();
            QApplication::processEvents();
        }
    });
    m_deadline.start(deadlineMilliseconds);
}

bool workCountShows(const QString &count) {
    auto *work = activeModal<frm_travail>();
    auto *shown = work ? work->findChild<QLabel *>(QStringLiteral("progression_texte")) : nullptr;
    return shown && shown->isVisible() && shown->text() == count;
}

QModelIndex waitForChild(QTreeView &tree, const QString &name) {
    QModelIndex found;
    const auto shown = [&] {
        const QModelIndex parent = tree.currentIndex();
        for (int row = 0; row < tree.model()->rowCount(parent); ++row) {
            found = tree.model()->index(row, 0, parent);
            if (found.data().toString() != name)
                continue;
            tree.scrollTo(found); // as a person would, scroll until the folder shows
            return tree.viewport()->rect().contains(tree.visualRect(found).center());
        }
        return false;
    };
    return QTest::qWaitFor(shown, 10000) ? found : QModelIndex();
}

QModelIndex waitForFolder(QTreeView &tree, const QString &folder) {
    QModelIndex found;
    const auto shown = [&] {
        found = QModelIndex();
        QModelIndex parent = tree.rootIndex();
        while (!found.isValid()) {
            if (parent != tree.rootIndex() && !tree.isExpanded(parent))
                return false;
            QModelIndex next;
            for (int row = 0; row < tree.model()->rowCount(parent) && !next.isValid(); ++row) {
                const QModelIndex child = tree.model()->index(row, 0, parent);
                QString path = child.data(QFileSystemModel::FilePathRole).toString();
                if (path == folder)
                    found = next = child;
                else if (folder.startsWith(
                             path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/')))
                    next = child;
            }
            if (!next.isValid())
                return false;
            parent = next;
        }
        tree.scrollTo(found);
        return tree.viewport()->rect().contains(tree.visualRect(found).center());
    };
    return QTest::qWaitFor(shown, 10000) ? found : QModelIndex();
}

void clickButton(const QWidget &window, const char *name, Qt::MouseButton button) {
    QTest::mouseClick(window.findChild<QPushButton *>(QLatin1String(name)), button);
}

void doubleClick(QTreeView &tree, const QModelIndex &index) {
    const QPoint centre = tree.visualRect(index).center();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(tree.viewport(), Qt::LeftButton, {}, centre);
}

} // namespace kadrilo::test
