#include "run/process.h"

#include "platform/safe_files.h"

#include <QFile>
#include <QProcess>

#include <algorithm>
#include <atomic>
#include <cstdint>

#ifdef Q_OS_UNIX
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/close_range.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#endif

namespace kadrilo::platform {

namespace {

#ifdef Q_OS_UNIX
// The watched groups, read by signal handlers: lock-free slots, 0 when free. Far more than
// the processes a report may run at once. Once startGuard() has run, they lie in memory
// shared with every process this program starts, so that a child enters its own group
// before it runs anything: a stop or a kill that comes while its start is under way still
// reaches it.
constexpr int maxGroups = 256;
static_assert(std::atomic<pid_t>::is_always_lock_free, "the slots are shared between processes");
std::atomic<pid_t> g_ownSlots[maxGroups];
std::atomic<pid_t> *g_groups = g_ownSlots;
// The guard's end of the pipe: a group id to watch, or its negative to forget it.
int g_guardPipe = -1;

void tellGuard(pid_t value) {
    if (g_guardPipe < 0)
        return;
    const std::int32_t record = value;
    // Records are smaller than PIPE_BUF: written whole or not at all.
    [[maybe_unused]] const auto written = ::write(g_guardPipe, &record, sizeof record);
}

void signalGroups(int signal) {
    for (int i = 0; i < maxGroups; ++i) {
        if (const pid_t group = g_groups[i].load(); group > 0)
            ::kill(-group, signal);
    }
}

// Enters `group` in a free slot unless it is there already, and tells the guard. Async-signal
// safe: a child calls it between fork and exec.
void enterGroup(pid_t group) {
    for (int i = 0; i < maxGroups; ++i) {
        if (g_groups[i].load() == group)
            return;
    }
    for (int i = 0; i < maxGroups; ++i) {
        pid_t free = 0;
        if (g_groups[i].compare_exchange_strong(free, group))
            break;
    }
    tellGuard(group);
}

// Moves the slots into memory shared with the processes started from now on.
void shareGroupSlots() {
    void *shared = ::mmap(nullptr, sizeof(std::atomic<pid_t>) * maxGroups, PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED)
        return;
    auto *slots = static_cast<std::atomic<pid_t> *>(shared);
    for (int i = 0; i < maxGroups; ++i)
        new (&slots[i]) std::atomic<pid_t>(0);
    g_groups = slots;
}

[[noreturn]] void guardGroups(int pipe) {
    // Out of the program's group and deaf to the terminal: a Ctrl+C, or a kill of the whole
    // job, must not end the guard before the program, whose end it waits for.
    ::setpgid(0, 0);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP, SIGTTIN, SIGTTOU, SIGPIPE})
        ::signal(signal, SIG_IGN);
#ifdef Q_OS_LINUX
    ::prctl(PR_SET_NAME, "kadrilo-garde");
#endif
    // Holding the program's output open would keep a reader of it waiting after its end.
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd)
        ::dup2(null, fd);
    for (int fd = 3; fd < 1024; ++fd) {
        if (fd != pipe)
            ::close(fd);
    }

    pid_t groups[maxGroups] = {};
    std::int32_t records[64];
    for (;;) {
        const ssize_t got = ::read(pipe, records, sizeof records);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break; // the program has ended: every copy of the other end is closed
        for (ssize_t r = 0; r < got / ssize_t(sizeof *records); ++r) {
            const pid_t group = records[r];
            for (pid_t &slot : groups) {
                if (group > 0 ? slot == 0 : slot == -group) {
                    slot = group > 0 ? group : 0;
                    break;
                }
            }
        }
    }
    for (const pid_t group : groups) {
        if (group > 0)
            ::kill(-group, SIGKILL);
    }
    ::_exit(0);
}

// Marks every descriptor above the standard streams to close at exec, in a child between fork
// and exec: a descriptor the program inherited (a terminal, /dev/urandom given as "3<") would
// otherwise reach ExifTool, and the watch would take it for a file ExifTool reads. Marking
// rather than closing keeps the pipe by which QProcess learns of a failed exec.
void closeInheritedDescriptors() {
#ifdef Q_OS_LINUX
    if (::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return;
#endif
    struct rlimit limit = {};
    const rlim_t last = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
                            ? std::min<rlim_t>(limit.rlim_cur, 1 << 16)
                            : 1 << 16;
    for (int fd = 3; fd < int(last); ++fd) {
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0 && !(flags & FD_CLOEXEC))
            ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
    }
}

void onStopRequest(int signal) {
    const int savedErrno = errno;
    signalGroups(SIGSTOP);
    // Stop as the default action does: the signal, blocked while its handler runs, is raised
    // again with the default action and unblocked. This program stops here until SIGCONT.
    struct sigaction stop = {};
    struct sigaction relay = {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    ::sigaction(signal, &stop, &relay);
    ::raise(signal);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
    ::sigaction(signal, &relay, nullptr);
    signalGroups(SIGCONT);
    errno = savedErrno;
}
#endif

} // namespace

void bindToThisProcess(QProcess &process) {
#ifdef Q_OS_UNIX
    const pid_t parent = ::getpid();
    // Runs in the child between fork and exec: only async-signal-safe calls.
    process.setChildProcessModifier([parent] {
        ::setpgid(0, 0);
        closeInheritedDescriptors();
        enterGroup(::getpid());
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

void killWatchedGroups() {
#ifdef Q_OS_UNIX
    signalGroups(SIGKILL);
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

void watchGroup(qint64 pid) {
#ifdef Q_OS_UNIX
    if (pid > 0)
        enterGroup(pid_t(pid));
#else
    Q_UNUSED(pid)
#endif
}

void endGroup(qint64 pid) {
#ifdef Q_OS_UNIX
    if (pid <= 0)
        return;
    // The leader has ended: only what it left behind is still in the group, if anything.
    killProcessGroup(pid);
    for (int i = 0; i < maxGroups; ++i) {
        pid_t group = pid_t(pid);
        g_groups[i].compare_exchange_strong(group, 0);
    }
    tellGuard(-pid_t(pid));
#else
    Q_UNUSED(pid)
#endif
}

void startGuard() {
#ifdef Q_OS_UNIX
    if (g_guardPipe >= 0)
        return;
    shareGroupSlots();
    int ends[2];
    if (::pipe(ends) != 0)
        return;
    // Above the standard streams, even when the program was started with one of them closed,
    // and closed in every program started later: the guard waits for the last copy of the
    // writing end to close.
    for (int &end : ends) {
        const int moved = ::fcntl(end, F_DUPFD_CLOEXEC, 3);
        ::close(end);
        end = moved;
    }
    if (ends[0] < 0 || ends[1] < 0) {
        for (const int end : ends)
            ::close(end);
        return;
    }
    const pid_t guard = ::fork();
    if (guard == 0) {
        ::close(ends[1]);
        guardGroups(ends[0]);
    }
    ::close(ends[0]);
    if (guard < 0)
        ::close(ends[1]);
    else
        g_guardPipe = ends[1];
#endif
}

void relayJobControl() {
#ifdef Q_OS_UNIX
    struct sigaction action = {};
    action.sa_handler = onStopRequest;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTSTP, SIGTTIN, SIGTTOU})
        ::sigaction(signal, &action, nullptr);
#endif
}

QString deviceReadInGroup(qint64 pid) {
#ifdef Q_OS_LINUX
    if (pid <= 0)
        return {};
    DIR *processes = ::opendir("/proc");
    if (!processes)
        return {};
    QString device;
    while (const dirent *entry = ::readdir(processes)) {
        const char *name = entry->d_name;
        if (name[0] < '1' || name[0] > '9')
            continue;
        const QByteArray folder = QByteArrayLiteral("/proc/") + name;
        QFile stat(QString::fromLatin1(folder + "/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // The group follows the state and the parent, after the command name in brackets.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 3 || fields.at(2).toLongLong() != pid)
            continue;
        DIR *descriptors = ::opendir((folder + "/fd").constData());
        if (!descriptors)
            continue;
        while (const dirent *fd = ::readdir(descriptors)) {
            if (std::atoi(fd->d_name) < 3)
                continue; // standard streams (often /dev/null), ".", ".."
            const QByteArray path = folder + "/fd/" + fd->d_name;
            // A device, or a file the kernel writes as it is read (/proc, /sys), may never end.
            struct stat target;
            if (::stat(path.constData(), &target) != 0 ||
                !(S_ISCHR(target.st_mode) || S_ISBLK(target.st_mode) ||
                  (S_ISREG(target.st_mode) && isOnPseudoFileSystem(path.constData()))))
                continue;
            // /dev/null ends at once: a wrapper may well hold it open.
            if (S_ISCHR(target.st_mode) && target.st_rdev == makedev(1, 3))
                continue;
            // "flags:" gives the open flags in octal: a device only written to is no input.
            QFile info(QString::fromLatin1(folder + "/fdinfo/" + fd->d_name));
            if (!info.open(QIODevice::ReadOnly))
                continue;
            const QByteArray lines = info.readAll();
            const int at = lines.indexOf("flags:");
            if (at < 0)
                continue;
            const int flags =
                lines.mid(at + 6, lines.indexOf('\n', at) - at - 6).trimmed().toInt(nullptr, 8);
            if ((flags & O_ACCMODE) == O_WRONLY)
                continue;
            char link[4096];
            const ssize_t size = ::readlink(path.constData(), link, sizeof link);
            device =
                size > 0 ? QFile::decodeName(QByteArray(link, int(size))) : QFile::decodeName(path);
            break;
        }
        ::closedir(descriptors);
        if (!device.isEmpty())
            break;
    }
    ::closedir(processes);
    return device;
#else
    Q_UNUSED(pid)
    return {};
#endif
}

} // namespace kadrilo::platform
