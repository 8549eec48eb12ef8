#include "platform/geometry.h"

#include <QGuiApplication>
#include <QScreen>

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

} // namespace kadrilo::platform
