#pragma once

#include "analysis/results.h"

#include <QString>

namespace kadrilo {
struct Module1;
}

namespace kadrilo::test {

// A hand-made analysis record: counts per class and lens, with the lens names.
struct SampleRun {
    statistiques_exif counts;
    QString folder = QStringLiteral("/photos/2024/Bretagne");
};

// A run of 214 photos that touches most classes, with `lensCount` lenses of long names.
SampleRun realisticRun(int lensCount);

// Shows the run's results in `view` and keeps its lenses in `state`, as an analysis does.
void publish(const SampleRun &run, Module1 &state, ResultsView &view);

} // namespace kadrilo::test
