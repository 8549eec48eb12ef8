#pragma once

#include <QByteArray>
#include <QList>

namespace kadrilo::platform {

// What tells Qt, on Linux, which window system to open windows on.
struct WindowSystemHints {
    QByteArray display;          // DISPLAY: an X server
    QByteArray waylandDisplay;   // WAYLAND_DISPLAY: a Wayland compositor
    QByteArray qpaPlatform;      // QT_QPA_PLATFORM: a platform plugin chosen by hand
    QList<QByteArray> arguments; // the command line, without the program's name
};

// False when Qt would find no window system and abort the program: no X server, no Wayland
// compositor, and no platform plugin chosen by hand, in the environment (an empty variable
// counts as unset) or with Qt's own `-platform NAME` argument. A plugin chosen by hand
// (offscreen, vnc) counts as a window system: Qt tells itself whether it can load it.
bool hasWindowSystem(const WindowSystemHints &hints);

// The same for this process, from its environment and its arguments. Always true on Windows
// and macOS, where windows need no such setting.
bool canOpenWindows(int argc, const char *const *argv);

} // namespace kadrilo::platform
