#include "stats/wrapping_button.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace kadrilo {

WrappingButton::WrappingButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent) {}

void WrappingButton::paintEvent(QPaintEvent *) {
    QStyleOptionButton option;
    initStyleOption(&option);
    if (fontMetrics().horizontalAdvance(option.text) <=
        style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).width()) {
        QPainter painter(this);
        style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
        return;
    }
    const QString caption = option.text;
    option.text.clear();
    QPainter painter(this);
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
    const QRect textBox = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    style()->drawItemText(&painter, textBox, Qt::AlignCenter | Qt::TextWordWrap, palette(),
                          isEnabled(), caption, QPalette::ButtonText);
}

} // namespace kadrilo
