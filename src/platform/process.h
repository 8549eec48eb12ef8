#pragma once

#include <QtGlobal>

class QProcess;

namespace kadrilo::platform {

// Sets `process` up, before it starts, so that the program it starts leads a process group of
// its own (so a cancel can end it together with anything it started) and, on Linux, is killed
// by the kernel as soon as this program dies, even by SIGKILL. The kernel ties that signal to
// the thread that starts the process: start it from a thread that lives as long as the run.
void bindToThisProcess(QProcess &process);

// Kills the process group that the process `pid`, set up by bindToThisProcess, leads: the
// process itself and every process it started. The caller still reaps the process.
void killProcessGroup(qint64 pid);

} // namespace kadrilo::platform
