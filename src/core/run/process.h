#pragma once

#include <QString>
#include <QtGlobal>

class QProcess;

namespace kadrilo::platform {

// Sets `process` up, before it starts, so that the program it starts leads a process group of
// its own (so a cancel can end it together with anything it started) and, on Linux, is killed
// by the kernel as soon as this program dies, even by SIGKILL. The kernel ties that signal to
// the thread that starts the process: start it from a thread that lives as long as the run.
// Once startGuard() has run, the process also enters its group among the watched ones
// (watchGroup) before the program runs: end that group with endGroup() if the start fails.
void bindToThisProcess(QProcess &process);

// Kills the process group that the process `pid`, set up by bindToThisProcess, leads: the
// process itself and every process it started. The caller still reaps the process.
void killProcessGroup(qint64 pid);

// Kills every watched group. Async-signal safe: a signal handler may call it.
void killWatchedGroups();

// Records the group that the process `pid` leads, once it has started, so that a stop by job
// control (relayJobControl) and the guard (startGuard) reach it.
void watchGroup(qint64 pid);
// Kills what is left of a watched group once its leader has ended, and forgets the group: a
// wrapper's children that outlived it end with the run that started them.
void endGroup(qint64 pid);

// Starts the guard: a small process of its own that, however this program ends (even by
// SIGKILL, which leaves no time to clean up), kills the watched groups still running. The
// kernel's parent-death signal reaches only the processes this program started, not their own
// children. Call it first thing in main(), while the program runs one thread only.
void startGuard();

// Makes a stop by job control (Ctrl+Z, or reading or writing a terminal from the background)
// stop the watched groups with this program, and its continuation continue them: they run in
// groups of their own, which the terminal does not signal.
void relayJobControl();

// A device (a character or block special file, such as /dev/zero or a disk), or a file of a
// pseudo file system (/proc, /sys), that a process of the group `pid` leads holds open for
// reading, beside its standard streams; empty when there is none or the system does not tell.
// A program that reads such a file as an image may never see its end. The processes started
// through bindToThisProcess inherit no other descriptor: what they hold, they opened.
QString deviceReadInGroup(qint64 pid);

} // namespace kadrilo::platform
