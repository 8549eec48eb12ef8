#include "support/program_run.h"

#include <QProcess>

namespace kadrilo::test {

Run finishedRun(QProcess &process) {
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace kadrilo::test
