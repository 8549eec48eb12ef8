#pragma once

#include "analysis/results.h"

namespace kadrilo::test {

// Stands in for the statistics window: keeps the last results shown and how often.
class CapturedResults : public ResultsView {
public:
    void showResults(const StatisticsResults &shown) override {
        results = shown;
        ++showings;
    }

    StatisticsResults results;
    int showings = 0;
};

} // namespace kadrilo::test
