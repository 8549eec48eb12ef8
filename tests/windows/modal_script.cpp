#include "modal_script.h"

#include <QDialog>
#include <QWidget>

namespace kadrilo::test {

ModalScript::ModalScript(int deadlineMilliseconds) {
    m_poll.setInterval(20);
    connect(&m_poll, &QTimer::timeout, this, &ModalScript::poll);
    m_poll.start();
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &ModalScript::giveUp);
    m_deadline.start(deadlineMilliseconds);
}

void ModalScript::when(const QString &description, Condition condition, Action action) {
    m_steps.push_back({description, std::move(condition), std::move(action)});
}

QString ModalScript::pending() const {
    return finished() ? QString() : m_steps.at(m_next).description;
}

void ModalScript::poll() {
    if (m_acting || finished() || !m_steps.at(m_next).condition())
        return;
    const Action action = m_steps.at(m_next).action;
    ++m_next;
    m_acting = true;
    QTimer::singleShot(0, this, [this, action] {
        m_acting = false;
        action();
    });
}

void ModalScript::giveUp() {
    m_poll.stop();
    while (QWidget *modal = QApplication::activeModalWidget()) {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->done(QDialog::Rejected);
        modal->hide();
        QApplication::processEvents();
    }
}

} // namespace kadrilo::test
