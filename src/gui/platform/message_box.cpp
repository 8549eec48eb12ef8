#include "platform/message_box.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>

namespace kadrilo::platform {

namespace {

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

QString unbrokenWords(const QString &text) {
    constexpr char16_t wordJoiner = u'\u2060';
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (namesAPath(line))
            continue;
        QString held;
        for (int i = 0; i < line.size(); ++i) {
            const QChar c = line.at(i);
            const bool hyphenInWord = c == QLatin1Char('-') && i > 0 && i + 1 < line.size() &&
                                      line.at(i - 1).isLetter() && line.at(i + 1).isLetter();
            if (hyphenInWord)
                held += wordJoiner;
            held += c;
            if (hyphenInWord)
                held += wordJoiner;
        }
        line = held;
    }
    return lines.join(QLatin1Char('\n'));
}

int pathLinesWidth(const QString &text, const QFontMetrics &metrics) {
    int widest = 0;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (namesAPath(line))
            widest = qMax(widest, metrics.horizontalAdvance(line));
    }
    return widest;
}

MessageBoxes::~MessageBoxes() = default;

void MessageBoxes::show(QWidget *parent, const QString &text, const QString &title,
                        MessageIcon icon, const QString &details) {
    QMessageBox box(toQtIcon(icon), title, unbrokenWords(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDetailedText(details);
    // A path keeps its characters, so that a copied path is the path. The box is widened for
    // it to stand on one line, within the width QMessageBox allows itself (1000 pixels, or
    // the screen's width less room for the icon and margins); a longer one wraps after its
    // slashes.
    if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        const int limit = qMin(screen ? screen->availableGeometry().width() - 200 : 600, 900);
        // The label lays its text out a little narrower than its width: a character of room.
        const QFontMetrics metrics = label->fontMetrics();
        const int widest = pathLinesWidth(text, metrics);
        if (widest > 0)
            label->setMinimumWidth(qMin(widest + metrics.averageCharWidth(), limit));
    }
    box.exec();
}

template <> MessageBoxes &Replaceable<MessageBoxes>::real() {
    static MessageBoxes boxes;
    return boxes;
}

void showMessage(QWidget *parent, const QString &text, const QString &title, MessageIcon icon,
                 const QString &details) {
    Replaceable<MessageBoxes>::current().show(parent, text, title, icon, details);
}

} // namespace kadrilo::platform
