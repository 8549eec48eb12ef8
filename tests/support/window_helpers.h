#pragma once

#include <QApplication>
#include <QDir>
#include <QModelIndex>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <functional>

class QTreeView;

namespace kadrilo::test {

// The active modal window when it is of class W, else null.
template <class W> W *activeModal() {
    return qobject_cast<W *>(QApplication::activeModalWidget());
}

// Drives modal windows as a person would: each step waits for its condition, then acts once
// from a fresh timer (so it may open a modal window of its own). At the deadline every modal
// window is closed and pending() names the first step not reached.
class ModalScript : public QObject {
public:
    explicit ModalScript(int deadlineMilliseconds = 30000);
    void when(const QString &what, std::function<bool()> ready, std::function<void()> act) {
        m_steps.push_back({what, std::move(ready), std::move(act)});
    }
    template <class W> void onModal(const QString &what, std::function<void(W &)> act) {
        when(
            what, [] { return activeModal<W>() != nullptr; },
            [act] {
                if (W *window = activeModal<W>())
                    act(*window);
            });
    }
    bool finished() const { return m_next >= m_steps.size(); }
    QString pending() const { return finished() ? QString() : m_steps.at(m_next).what; }

private:
    struct Step {
        QString what;
        std::function<bool()> ready;
        std::function<void()> act;
    };
    QVector<Step> m_steps;
    int m_next = 0;
    bool m_acting = false;
    QTimer m_poll, m_deadline;
};

// The work window is the active modal window, its count shown and reading `count` ("2 / 3").
bool workCountShows(const QString &count);

// The sub-folder `name` of the folder highlighted in `tree`, once loaded and scrolled into
// view; invalid after 10 s without it.
QModelIndex waitForChild(QTreeView &tree, const QString &name);
// The row of `folder` in `tree`, reached from the tree's top row through expanded rows only
// (the way a person sees down to it), once loaded and scrolled into view; invalid after 10 s.
QModelIndex waitForFolder(QTreeView &tree, const QString &folder);
// A click with `button` on the push button named `name` in `window`.
void clickButton(const QWidget &window, const char *name, Qt::MouseButton button = Qt::LeftButton);
// A double-click as the system delivers it: a click, the press that makes it double, a release.
void doubleClick(QTreeView &tree, const QModelIndex &index);

// Makes `folder` the current folder (where the folder window opens) for the guard's lifetime.
struct ScopedCurrentFolder {
    explicit ScopedCurrentFolder(const QString &folder) { QDir::setCurrent(folder); }
    ~ScopedCurrentFolder() { QDir::setCurrent(saved); }
    Q_DISABLE_COPY(ScopedCurrentFolder)
    const QString saved = QDir::currentPath();
};

} // namespace kadrilo::test
