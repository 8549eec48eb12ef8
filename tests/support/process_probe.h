#pragma once

#include <QString>
#include <QtGlobal>

namespace kadrilo::test {

// The process `pid` still runs. A zombie counts as ended: it runs no more, though nobody
// may ever reap it (an orphan left to a first process that does not reap).
bool processRuns(qint64 pid);
// The process whose id a script wrote to `pidFile` still runs.
bool scriptRunning(const QString &pidFile);

} // namespace kadrilo::test
