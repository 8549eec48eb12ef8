#pragma once

#include <QString>

namespace kadrilo::test {

// Stand-ins for ExifTool, written as shell scripts where a test's program folder expects
// exiftool.exe.
enum class FakeExiftool {
    Silent, // ends at once and writes nothing
    Slow,   // writes `tagFiles` empty tag files into the -w folder, then sleeps 30 s
};

// Writes the script at `path`; with Slow, the script's process id goes to `pidFile`.
bool writeFakeExiftool(const QString &path, FakeExiftool kind, int tagFiles = 0,
                       const QString &pidFile = QString());

// True while the process `pid` exists (a process that was reaped is gone).
bool processExists(qint64 pid);
// The process id written by a Slow script, or 0 when none was written yet.
qint64 readPid(const QString &pidFile);

} // namespace kadrilo::test
