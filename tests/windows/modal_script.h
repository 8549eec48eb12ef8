#pragma once

#include <QApplication>
#include <QString>
#include <QTimer>
#include <QVector>

#include <functional>

namespace kadrilo::test {

// The active modal window when it is of class W, else null.
template <class W> W *activeModal() {
    return qobject_cast<W *>(QApplication::activeModalWidget());
}

// Drives modal windows as a person would: each step waits for its condition, then acts once,
// from a fresh timer (so it may open a modal window of its own). At the deadline every modal
// window is closed and pending() names the first step not reached.
class ModalScript : public QObject {
public:
    using Condition = std::function<bool()>;
    using Action = std::function<void()>;

    explicit ModalScript(int deadlineMilliseconds = 30000);

    void when(const QString &description, Condition condition, Action action);
    // Shortcut: when a modal window of class W is active, act on it.
    template <class W> void onModal(const QString &description, std::function<void(W &)> action) {
        when(
            description, [] { return activeModal<W>() != nullptr; },
            [action] {
                if (W *window = activeModal<W>())
                    action(*window);
            });
    }

    bool finished() const { return m_next >= m_steps.size(); }
    QString pending() const;

private:
    void poll();
    void giveUp();

    struct Step {
        QString description;
        Condition condition;
        Action action;
    };
    QVector<Step> m_steps;
    int m_next = 0;
    bool m_acting = false;
    QTimer m_poll;
    QTimer m_deadline;
};

} // namespace kadrilo::test
