#include "platform/window_system.h"

#include "platform/platform.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace kadrilo::platform {

QVector<ServerAddress> xServerAddresses(const QByteArray &display) {
    // A launchd socket path (XQuartz): the whole name is the socket.
    if (display.startsWith('/'))
        return {{display, {}, 0}};
    const int colon = display.lastIndexOf(':');
    if (colon < 0)
        return {};
    QByteArray host = display.left(colon);
    if (host.contains('/'))
        host = host.mid(host.indexOf('/') + 1); // "tcp/host" or "unix/host"
    const QByteArray number = display.mid(colon + 1).split('.').first();
    bool isNumber = false;
    const int n = number.toInt(&isNumber);
    if (!isNumber || n < 0 || host.endsWith(':')) // "host::0" is DECnet
        return {};
    if (host.isEmpty() || host == "unix") {
        const QByteArray path = "/tmp/.X11-unix/X" + number;
        return {{path, {}, 0}, {'@' + path, {}, 0}};
    }
    if (host.startsWith('[') && host.endsWith(']'))
        host = host.mid(1, host.size() - 2);
    return {{{}, host, 6000 + n}};
}

QVector<ServerAddress> waylandAddresses(const QByteArray &waylandDisplay,
                                        const QByteArray &runtimeFolder) {
    if (waylandDisplay.startsWith('/'))
        return {{waylandDisplay, {}, 0}};
    if (runtimeFolder.isEmpty())
        return {};
    return {{runtimeFolder + '/' + waylandDisplay, {}, 0}};
}

WindowSystem findWindowSystem(const WindowSystemHints &hints,
                              const std::function<bool(const ServerAddress &)> &answers) {
    if (!hints.qpaPlatform.isEmpty())
        return WindowSystem::Open;
    // QGuiApplication reads `-platform NAME`, also spelt with two dashes.
    for (int i = 0; i + 1 < hints.arguments.size(); ++i) {
        const QByteArray &argument = hints.arguments.at(i);
        if (argument == "-platform" || argument == "--platform")
            return WindowSystem::Open;
    }
    if (hints.display.isEmpty() && hints.waylandDisplay.isEmpty())
        return WindowSystem::NoneNamed;
    const auto anyAnswers = [&answers](const QVector<ServerAddress> &addresses) {
        for (const ServerAddress &address : addresses)
            if (answers(address))
                return true;
        return false;
    };
    if (!hints.display.isEmpty()) {
        const QVector<ServerAddress> x = xServerAddresses(hints.display);
        // A form not understood here is left for Qt to try.
        if (x.isEmpty() || anyAnswers(x))
            return WindowSystem::Open;
    }
    // A relative Wayland name without a runtime folder has no socket: nothing can answer.
    if (!hints.waylandDisplay.isEmpty() &&
        anyAnswers(waylandAddresses(hints.waylandDisplay, hints.runtimeFolder)))
        return WindowSystem::Open;
    return WindowSystem::NoneAnswers;
}

WindowSystem windowSystemOfThisProcess(int argc, const char *const *argv) {
#ifdef Q_OS_LINUX
    WindowSystemHints hints;
    hints.display = qgetenv("DISPLAY");
    hints.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    hints.qpaPlatform = qgetenv("QT_QPA_PLATFORM");
    hints.runtimeFolder = qgetenv("XDG_RUNTIME_DIR");
    for (int i = 1; i < argc; ++i)
        hints.arguments << QByteArray(argv[i]);
    return findWindowSystem(
        hints, [](const ServerAddress &address) { return platform().acceptsConnections(address); });
#else
    Q_UNUSED(argc)
    Q_UNUSED(argv)
    return WindowSystem::Open;
#endif
}

#ifdef Q_OS_UNIX
namespace {

// Waits at most `milliseconds` for a non-blocking connect on `socket` to end.
bool connected(int socket, int result, int milliseconds) {
    if (result == 0)
        return true;
    if (errno != EINPROGRESS)
        return false;
    pollfd wait = {socket, POLLOUT, 0};
    if (::poll(&wait, 1, milliseconds) != 1)
        return false;
    int error = 0;
    socklen_t size = sizeof error;
    return ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

bool acceptsLocal(const QByteArray &path) {
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    socklen_t length = sizeof address;
    if (path.startsWith('@')) { // abstract: a leading NUL, and no terminating one
        address.sun_path[0] = '\0';
        length = socklen_t(offsetof(sockaddr_un, sun_path) + size_t(path.size()));
    }
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0)
        return false;
    const bool ok = connected(
        socket, ::connect(socket, reinterpret_cast<const sockaddr *>(&address), length), 1000);
    ::close(socket);
    return ok;
}

bool acceptsTcp(const QByteArray &host, int port) {
    addrinfo hints = {};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(host.constData(), QByteArray::number(port).constData(), &hints, &found))
        return false;
    bool ok = false;
    for (addrinfo *entry = found; entry && !ok; entry = entry->ai_next) {
        const int socket =
            ::socket(entry->ai_family, entry->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                     entry->ai_protocol);
        if (socket < 0)
            continue;
        ok = connected(socket, ::connect(socket, entry->ai_addr, entry->ai_addrlen), 1000);
        ::close(socket);
    }
    ::freeaddrinfo(found);
    return ok;
}

} // namespace
#endif

// A TCP connection is given a second to be accepted: a server that answers does so at once.
bool Platform::acceptsConnections(const ServerAddress &address) const {
#ifdef Q_OS_UNIX
    return address.socketPath.isEmpty() ? acceptsTcp(address.host, address.port)
                                        : acceptsLocal(address.socketPath);
#else
    Q_UNUSED(address)
    return true;
#endif
}

} // namespace kadrilo::platform
