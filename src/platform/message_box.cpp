#include "platform/message_box.h"

#include <QMessageBox>

namespace kadrilo::platform {

namespace {

MessageBoxes *g_current = nullptr;

QMessageBox::Icon toQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageBoxes::~MessageBoxes() = default;

void MessageBoxes::show(QWidget *parent, const QString &text, const QString &title,
                        MessageIcon icon, const QString &details) {
    QMessageBox box(toQtIcon(icon), title, text, QMessageBox::Ok, parent);
    box.setDetailedText(details);
    box.exec();
}

void showMessage(QWidget *parent, const QString &text, const QString &title, MessageIcon icon,
                 const QString &details) {
    static MessageBoxes real;
    (g_current ? *g_current : real).show(parent, text, title, icon, details);
}

ScopedMessageBoxes::ScopedMessageBoxes(MessageBoxes &replacement)
    : m_previous(g_current) {
    g_current = &replacement;
}

ScopedMessageBoxes::~ScopedMessageBoxes() {
    g_current = m_previous;
}

} // namespace kadrilo::platform
