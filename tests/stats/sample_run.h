#pragma once

#include "analysis/statistiques.h"

#include <QStringList>

namespace kadrilo {
struct Module1;
}

namespace kadrilo::test {

// A hand-made analysis: counts per class and the lens names, published into a window the
// way the analysis does (captions " n photos, soit p%", percentage tables, summary lines).
struct SampleRun {
    statistiques_exif counts;
    QStringList lenses;
    QString folder = QStringLiteral("/photos/2024/Bretagne");
};

// A run of 214 photos that touches most classes, with `lensCount` lenses of long names.
SampleRun realisticRun(int lensCount);

// floor(n / total x 100), 0 without division for an empty class.
int percentage(int count, int total);
// " 12 photos, soit 34%".
QString resultCaption(int count, int total);

// Fills `state`'s lens list and writes the run into `sink`.
void publish(const SampleRun &run, Module1 &state, StatisticsSink &sink);

} // namespace kadrilo::test
