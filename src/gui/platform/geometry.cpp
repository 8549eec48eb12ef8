#include "platform/geometry.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QStringList>
#include <QWidget>

#include <cmath>

namespace kadrilo::platform {

int twipsToPixels(int twips, qreal logicalDpi) {
    return static_cast<int>(std::lround(twips * logicalDpi / twipsPerInch));
}

qreal logicalDpi() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

int twips(int twips) {
    return twipsToPixels(twips, logicalDpi());
}

QRect twipsRect(int left, int top, int width, int height) {
    const qreal dpi = logicalDpi();
    const int x = twipsToPixels(left, dpi);
    const int y = twipsToPixels(top, dpi);
    return QRect(x, y, twipsToPixels(left + width, dpi) - x, twipsToPixels(top + height, dpi) - y);
}

QFont designFont(qreal points, QFont::Weight weight) {
    QFont font;
    // Liberation Sans and Arial share MS Sans Serif's proportions closely enough that the
    // captions fit the controls they were drawn for.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(weight);
    return font;
}

QFont classicFont(bool bold) {
    return designFont(8.25, bold ? QFont::Bold : QFont::Normal);
}

QIcon blankIcon() {
    QPixmap clear(16, 16);
    clear.fill(Qt::transparent);
    return QIcon(clear);
}

namespace {

QRect availableArea(const QWidget &window) {
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

void fixAndCentre(QWidget &window, int widthTwips, int heightTwips) {
    const QSize size(twips(widthTwips), twips(heightTwips));
    window.setFixedSize(size);
    QRect area(QPoint(), size);
    area.moveCenter(availableArea(window).center());
    window.move(area.topLeft());
}

void centreOnScreen(QWidget &window) {
    QRect frame = window.frameGeometry();
    frame.moveCenter(availableArea(window).center());
    window.move(frame.topLeft());
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

} // namespace kadrilo::platform
