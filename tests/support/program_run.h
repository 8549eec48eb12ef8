#pragma once

#include <QByteArray>

class QProcess;

namespace kadrilo::test {

// How a program that the test started ended: its exit status and what it wrote.
struct Run {
    int status = -1; // -1: it did not end by itself in time, or it crashed
    QByteArray out;
    QByteArray err;
};

// Waits up to two minutes for `process` to end, then tells how it ended.
Run finishedRun(QProcess &process);

} // namespace kadrilo::test
