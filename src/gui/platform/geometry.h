#pragma once

#include <QFont>
#include <QIcon>
#include <QPoint>
#include <QRect>
#include <QtGlobal>

class QWidget;

namespace kadrilo::platform {

// Window layouts are drawn in twips, 1/1440 inch: 15 twips to a pixel at 96 dots per inch.
inline constexpr int twipsPerInch = 1440;

// `twips` in pixels at `logicalDpi` dots per inch, rounded to the nearest pixel.
int twipsToPixels(int twips, qreal logicalDpi);

// The primary screen's logical dots per inch; 96 when there is no screen.
qreal logicalDpi();

// `twips` in pixels on the primary screen.
int twips(int twips);

// A control's box given in twips, in pixels on the primary screen. Its edges are rounded
// one by one, so controls that touch in the layout still touch on screen.
QRect twipsRect(int left, int top, int width, int height);

// The windows were drawn for MS Sans Serif; this is the closest sans-serif family the system
// has, at `points`.
QFont designFont(qreal points, QFont::Weight weight = QFont::Normal);
// The design font at the windows' usual 8.25 pt.
QFont classicFont(bool bold = false);

// An icon that draws nothing. A window without an icon of its own takes its parent's or the
// program's, and some window managers borrow its parent's when it has none at all: a window
// that must show no icon is given this one.
QIcon blankIcon();

// Gives a top-level window a fixed client size and centres it on its screen.
void fixAndCentre(QWidget &window, int widthTwips, int heightTwips);
// Centres a window, its frame included, on the available area of its screen.
void centreOnScreen(QWidget &window);
// Moves a window's client area to `topLeft` (pixels), kept wholly on the available screen.
void placeOnScreen(QWidget &window, QPoint topLeft);
// Takes back every application-wide pointer override: the default pointer shows again.
void restoreDefaultPointer();

} // namespace kadrilo::platform
