#pragma once

#include <QRect>
#include <QtGlobal>

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

} // namespace kadrilo::platform
