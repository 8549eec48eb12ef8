#pragma once

#include <QByteArray>
#include <QString>

namespace kadrilo::test {

// What writeFakeProgram writes.
enum class FakeProgram {
    Script,      // a shell script that runs the body
    NotRunnable, // the same script, without the right to run it
    Raw,         // the body as it is, runnable: a file that need not be a program at all
};

// Writes a stand-in program at `path`: for exiftool.exe, one that does what the real tool
// cannot be made to do; an empty script for a tool that only has to be found. Whatever stood
// at `path` goes first: a link to the installed ExifTool is replaced, never written through.
// False when it cannot be written.
bool writeFakeProgram(const QString &path, const QByteArray &body = {},
                      FakeProgram kind = FakeProgram::Script);

// The body of an ExifTool caught at work: it writes its process id to `pidFile`, `tagFiles`
// tag files into the folder of its -w pattern, then sleeps 30 s.
QByteArray slowExiftool(const QString &pidFile, int tagFiles);

} // namespace kadrilo::test
