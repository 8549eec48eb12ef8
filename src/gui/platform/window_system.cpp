#include "platform/window_system.h"

#include <QtGlobal>

namespace kadrilo::platform {

bool hasWindowSystem(const WindowSystemHints &hints) {
    if (!hints.display.isEmpty() || !hints.waylandDisplay.isEmpty() || !hints.qpaPlatform.isEmpty())
        return true;
    // QGuiApplication reads `-platform NAME`, also spelt with two dashes.
    for (int i = 0; i + 1 < hints.arguments.size(); ++i) {
        const QByteArray &argument = hints.arguments.at(i);
        if (argument == "-platform" || argument == "--platform")
            return true;
    }
    return false;
}

bool canOpenWindows(int argc, const char *const *argv) {
#ifdef Q_OS_LINUX
    WindowSystemHints hints;
    hints.display = qgetenv("DISPLAY");
    hints.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    hints.qpaPlatform = qgetenv("QT_QPA_PLATFORM");
    for (int i = 1; i < argc; ++i)
        hints.arguments << QByteArray(argv[i]);
    return hasWindowSystem(hints);
#else
    Q_UNUSED(argc)
    Q_UNUSED(argv)
    return true;
#endif
}

} // namespace kadrilo::platform
