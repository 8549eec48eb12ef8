#pragma once

#include <QFont>
#include <QGuiApplication>
#include <QPoint>
#include <QRect>
#include <QScreen>

class QWidget;

namespace kadrilo::windows {

// The windows were drawn for MS Sans Serif 8.25 pt; this is the closest sans-serif family the
// system has, at that size.
QFont classicFont(bool bold = false);

namespace {
// Twips (1/1440 inch) to pixels at the screen's logical resolution: 15 twips a pixel at 96 DPI.
// Kept here until the shared geometry helper is available to every window.
[[maybe_unused]] int twips(int value) {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return qRound(value * dpi / 1440.0);
}

[[maybe_unused]] QRect twipsRect(int left, int top, int width, int height) {
    return {twips(left), twips(top), twips(width), twips(height)};
}
} // namespace

// Gives a top-level window a fixed client size and centres it on its screen.
void fixAndCentre(QWidget &window, int widthTwips, int heightTwips);
// Moves a window's client area to `topLeft` (pixels), kept wholly on the available screen.
void placeOnScreen(QWidget &window, QPoint topLeft);
// Takes back every application-wide pointer override: the default pointer shows again.
void restoreDefaultPointer();

} // namespace kadrilo::windows
