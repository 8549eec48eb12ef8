#pragma once

#include <QByteArray>

namespace kadrilo::platform {

// A request to end the program, as a signal handler notes it (SIGINT, SIGTERM, SIGHUP): long
// loops of every layer read it, so that a listing or a removal stops at once, even while the
// event loop does not run. The handler itself lives with the process supervision above.

// The number of the first signal noted, 0 while none came.
int stopRequested();
// Notes `signal` unless one came before. Safe in a signal handler.
void noteStopRequest(int signal);
// Forgets the signal noted: a new watch starts afresh.
void clearStopRequest();

// The folder removed, with all it holds, when the program must end on a deadline after such
// a signal; empty: none. Set while a report's private folder lives.
void setFolderRemovedOnDeadline(const QByteArray &folder);
// That folder as a C string, empty when none. Safe in a signal handler: it never sees half
// a path.
const char *folderRemovedOnDeadline();

} // namespace kadrilo::platform
