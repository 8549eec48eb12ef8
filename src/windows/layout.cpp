#include "windows/layout.h"

#include "platform/geometry.h"

#include <QApplication>
#include <QScreen>
#include <QStringList>
#include <QWidget>

namespace kadrilo::windows {

QFont classicFont(bool bold) {
    QFont font;
    // Liberation Sans and Arial share MS Sans Serif's proportions closely enough that the
    // captions fit the controls they were drawn for.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setBold(bold);
    return font;
}

namespace {

QRect availableArea(const QWidget &window) {
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

void fixAndCentre(QWidget &window, int widthTwips, int heightTwips) {
    const QSize size(platform::twips(widthTwips), platform::twips(heightTwips));
    window.setFixedSize(size);
    QRect area(QPoint(), size);
    area.moveCenter(availableArea(window).center());
    window.move(area.topLeft());
}

void placeOnScreen(QWidget &window, QPoint topLeft) {
    const QRect available = availableArea(window);
    QRect area(topLeft, window.size());
    if (area.right() > available.right())
        area.moveRight(available.right());
    if (area.bottom() > available.bottom())
        area.moveBottom(available.bottom());
    if (area.left() < available.left())
        area.moveLeft(available.left());
    if (area.top() < available.top())
        area.moveTop(available.top());
    window.setGeometry(area);
}

void restoreDefaultPointer() {
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

} // namespace kadrilo::windows
