#include "run/termination.h"

#include "platform/safe_files.h"
#include "platform/stop_request.h"
#include "run/process.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cstring>

// Standard C++, for std::sig_atomic_t on every system; the handlers are Unix only.
#include <csignal>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#endif

namespace kadrilo::platform {

namespace {

#ifdef Q_OS_UNIX
int g_sockets[2] = {-1, -1};
constexpr int watchedSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The deadline after the first signal, in milliseconds (0: none), and the status then.
volatile std::sig_atomic_t g_deadline = 0;
volatile std::sig_atomic_t g_deadlineStatus = 0;

char g_deadlineMessage[256] = {};
std::size_t g_deadlineMessageSize = 0;

void onDeadline(int) {
    killWatchedGroups();
    if (const char *folder = folderRemovedOnDeadline(); folder[0] != '\0')
        removeFolderTreeAtOnce(folder);
    [[maybe_unused]] const auto written = ::write(2, g_deadlineMessage, g_deadlineMessageSize);
    ::_exit(int(g_deadlineStatus));
}

void onSignal(int signal) {
    if (stopRequested() == 0 && g_deadline > 0) {
        itimerval timer = {};
        timer.it_value.tv_sec = g_deadline / 1000;
        timer.it_value.tv_usec = (g_deadline % 1000) * 1000;
        ::setitimer(ITIMER_REAL, &timer, nullptr);
    }
    noteStopRequest(signal);
    const char byte = char(signal);
    [[maybe_unused]] const auto written = ::write(g_sockets[0], &byte, 1);
}
#endif

} // namespace

TerminationWatch::TerminationWatch(QObject *parent)
    : QObject(parent) {
#ifdef Q_OS_UNIX
    clearStopRequest();
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
    g_deadline = 0;
    const itimerval off = {};
    ::setitimer(ITIMER_REAL, &off, nullptr);
    m_notifier.reset();
    for (int &socket : g_sockets) {
        if (socket >= 0)
            ::close(socket);
        socket = -1;
    }
#endif
}

void TerminationWatch::endWithin(int milliseconds, int status, const QByteArray &message) {
#ifdef Q_OS_UNIX
    g_deadlineMessageSize = std::min(sizeof g_deadlineMessage, std::size_t(message.size()));
    std::memcpy(g_deadlineMessage, message.constData(), g_deadlineMessageSize);
    struct sigaction action = {};
    action.sa_handler = onDeadline;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGALRM, &action, nullptr);
    g_deadlineStatus = status;
    g_deadline = milliseconds;
#else
    Q_UNUSED(milliseconds)
    Q_UNUSED(status)
    Q_UNUSED(message)
#endif
}

void TerminationWatch::removeOnDeadline(const QByteArray &folder) {
    setFolderRemovedOnDeadline(folder);
}

int TerminationWatch::received() {
    return stopRequested();
}

} // namespace kadrilo::platform
