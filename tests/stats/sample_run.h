#pragma once

#include "analysis/results.h"

#include <QStringList>

namespace kadrilo {
struct Module1;
}

namespace kadrilo::test {

// A hand-made analysis record: counts per class and the lens names.
struct SampleRun {
    statistiques_exif counts;
    QStringList lenses;
    QString folder = QStringLiteral("/photos/2024/Bretagne");
};

// A run of 214 photos that touches most classes, with `lensCount` lenses of long names.
SampleRun realisticRun(int lensCount);

// Fills `state`'s lens list and shows the run's results in `view`.
void publish(const SampleRun &run, Module1 &state, ResultsView &view);

} // namespace kadrilo::test
