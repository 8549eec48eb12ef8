#include "platform/process.h"

#include <QProcess>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace kadrilo::platform {

void bindToThisProcess(QProcess &process) {
#ifdef Q_OS_UNIX
    const pid_t parent = ::getpid();
    // Runs in the child between fork and exec: only async-signal-safe calls.
    process.setChildProcessModifier([parent] {
        ::setpgid(0, 0);
#ifdef Q_OS_LINUX
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The parent may have died before the line above: then nobody would kill this child.
        if (::getppid() != parent)
            ::_exit(127);
#endif
    });
#else
    Q_UNUSED(process)
#endif
}

void killProcessGroup(qint64 pid) {
#ifdef Q_OS_UNIX
    if (pid > 0)
        ::kill(-pid_t(pid), SIGKILL);
#else
    Q_UNUSED(pid)
#endif
}

} // namespace kadrilo::platform
