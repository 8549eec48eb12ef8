#pragma once

#include <QByteArray>
#include <QList>
#include <QVector>

#include <functional>

namespace kadrilo::platform {

// What tells Qt, on Linux, which window system to open windows on.
struct WindowSystemHints {
    QByteArray display;          // DISPLAY: an X server
    QByteArray waylandDisplay;   // WAYLAND_DISPLAY: a Wayland compositor
    QByteArray qpaPlatform;      // QT_QPA_PLATFORM: a platform plugin chosen by hand
    QList<QByteArray> arguments; // the command line, without the program's name
    QByteArray runtimeFolder;    // XDG_RUNTIME_DIR, where Wayland compositors listen
};

// Where a window server listens: a socket file (or, starting with '@', a Linux abstract
// socket name), or a host and a TCP port.
struct ServerAddress {
    QByteArray socketPath;
    QByteArray host;
    int port = 0;
    bool operator==(const ServerAddress &other) const {
        return socketPath == other.socketPath && host == other.host && port == other.port;
    }
};

// The places an X server named by DISPLAY listens on: ":1" and "unix:1" are the socket
// /tmp/.X11-unix/X1 (and its abstract twin), "host:1.0" is TCP port 6001 of host. Empty when
// the name has a form this cannot tell (Qt is then left to try it).
QVector<ServerAddress> xServerAddresses(const QByteArray &display);
// The socket of the Wayland compositor WAYLAND_DISPLAY names: a name under the runtime folder,
// or an absolute path. Empty when a relative name has no runtime folder to live in.
QVector<ServerAddress> waylandAddresses(const QByteArray &waylandDisplay,
                                        const QByteArray &runtimeFolder);

enum class WindowSystem {
    Open,        // a server answers, or a plugin was chosen by hand
    NoneNamed,   // nothing in the environment or on the command line names one
    NoneAnswers, // DISPLAY or WAYLAND_DISPLAY names a server, and none answers there
};

// What Qt would find: a plugin chosen by hand (QT_QPA_PLATFORM or Qt's own `-platform NAME`
// argument: offscreen, vnc) counts as open, since Qt tells itself whether it can load it;
// otherwise an X server or Wayland compositor must answer at one of its addresses, as
// `answers` tells. An empty variable counts as unset.
WindowSystem findWindowSystem(const WindowSystemHints &hints,
                              const std::function<bool(const ServerAddress &)> &answers);

// The same for this process, from its environment and its arguments, asking the platform
// whether servers answer. Always open on Windows and macOS, where windows need no setting.
WindowSystem windowSystemOfThisProcess(int argc, const char *const *argv);

} // namespace kadrilo::platform
