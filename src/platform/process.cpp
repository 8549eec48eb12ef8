#include "platform/process.h"

#include <QFile>
#include <QProcess>

#ifdef Q_OS_UNIX
#include <cerrno>
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

bool processRuns(qint64 pid) {
#ifdef Q_OS_LINUX
    if (pid <= 0)
        return false;
    QFile status(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    // The state follows the command name in brackets: "Z" is a zombie, already ended.
    const QByteArray line = status.readAll();
    const int afterName = line.lastIndexOf(')');
    return afterName < 0 || line.mid(afterName + 2, 1) != "Z";
#elif defined(Q_OS_UNIX)
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
#else
    Q_UNUSED(pid)
    return true;
#endif
}

} // namespace kadrilo::platform
