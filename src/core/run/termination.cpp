#include "run/termination.h"

#include <QSocketNotifier>

// Standard C++, for std::sig_atomic_t on every system; the handlers are Unix only.
#include <csignal>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kadrilo::platform {

namespace {

volatile std::sig_atomic_t g_received = 0;
#ifdef Q_OS_UNIX
int g_sockets[2] = {-1, -1};
constexpr int watchedSignals[] = {SIGINT, SIGTERM, SIGHUP};

void onSignal(int signal) {
    if (g_received == 0)
        g_received = signal;
    const char byte = char(signal);
    [[maybe_unused]] const auto written = ::write(g_sockets[0], &byte, 1);
}
#endif

} // namespace

TerminationWatch::TerminationWatch(QObject *parent)
    : QObject(parent) {
#ifdef Q_OS_UNIX
    g_received = 0;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_sockets) != 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(g_sockets[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        if (::read(g_sockets[1], &byte, 1) == 1)
            Q_EMIT requested(int(byte));
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : watchedSignals)
        ::sigaction(signal, &action, nullptr);
#endif
}

TerminationWatch::~TerminationWatch() {
#ifdef Q_OS_UNIX
    for (const int signal : watchedSignals)
        ::signal(signal, SIG_DFL);
    m_notifier.reset();
    for (int &socket : g_sockets) {
        if (socket >= 0)
            ::close(socket);
        socket = -1;
    }
#endif
}

int TerminationWatch::received() {
    return int(g_received);
}

} // namespace kadrilo::platform
