#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>

class QWidget;

namespace kadrilo::windows {

// The windows were drawn for MS Sans Serif 8.25 pt; this is the closest sans-serif family the
// system has, at that size.
QFont classicFont(bool bold = false);

// Gives a top-level window a fixed client size and centres it on its screen.
void fixAndCentre(QWidget &window, int widthTwips, int heightTwips);
// Moves a window's client area to `topLeft` (pixels), kept wholly on the available screen.
void placeOnScreen(QWidget &window, QPoint topLeft);
// Takes back every application-wide pointer override: the default pointer shows again.
void restoreDefaultPointer();

} // namespace kadrilo::windows
