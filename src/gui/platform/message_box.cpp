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

bool namesAPath(const QString &line) {
    return line.startsWith(QLatin1Char('/')) || line.startsWith(QLatin1Char('\\')) ||
           (line.size() > 2 && line.at(0).isLetter() && line.at(1) == QLatin1Char(':') &&
            line.at(2) == QLatin1Char('\\'));
}

} // namespace

QString unbrokenPathsAndWords(const QString &text) {
    constexpr char16_t wordJoiner = u'\u2060';
    constexpr char16_t noBreakSpace = u'\u00A0';
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        const bool path = namesAPath(line);
        QString held;
        for (int i = 0; i < line.size(); ++i) {
            const QChar c = line.at(i);
            const bool last = i + 1 == line.size();
            // A path holds together between any two characters, except inside a surrogate
            // pair or before an accent that combines with the letter in front of it.
            const bool joinPath = path && !last && !c.isHighSurrogate() &&
                                  !line.at(i + 1).isMark() && line.at(i + 1) != u'\r';
            const bool hyphenInWord = c == QLatin1Char('-') && i > 0 && !last &&
                                      line.at(i - 1).isLetter() && line.at(i + 1).isLetter();
            if (hyphenInWord && !path)
                held += wordJoiner;
            held += path && c == QLatin1Char(' ') ? QChar(noBreakSpace) : c;
            if (joinPath || hyphenInWord)
                held += wordJoiner;
        }
        line = held;
    }
    return lines.join(QLatin1Char('\n'));
}

MessageBoxes::~MessageBoxes() = default;

void MessageBoxes::show(QWidget *parent, const QString &text, const QString &title,
                        MessageIcon icon, const QString &details) {
    QMessageBox box(toQtIcon(icon), title, unbrokenPathsAndWords(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
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
