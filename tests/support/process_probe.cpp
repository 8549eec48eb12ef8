#include "support/process_probe.h"

#include <QFile>

#include <cerrno>
#include <csignal>

namespace kadrilo::test {

bool processRuns(qint64 pid) {
    if (pid <= 0)
        return false;
#ifdef Q_OS_LINUX
    QFile status(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    // The state follows the command name in brackets: "Z" is a zombie.
    const QByteArray line = status.readAll();
    const int afterName = line.lastIndexOf(')');
    return afterName < 0 || line.mid(afterName + 2, 1) != "Z";
#else
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#endif
}

bool scriptRunning(const QString &pidFile) {
    QFile file(pidFile);
    return file.open(QIODevice::ReadOnly) && processRuns(file.readAll().trimmed().toLongLong());
}

} // namespace kadrilo::test
