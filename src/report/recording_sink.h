#pragma once

#include "analysis/statistiques.h"

#include <QString>

#include <array>

namespace kadrilo::report {

// Everything the statistics window would receive from one analysis, as plain values.
// Element k of a label array is at index k - 1; slots never written stay empty, tables
// never handed over stay empty, and a column count never set stays -1.
struct RecordedStatistics {
    std::array<QString, 8> label5;
    std::array<QString, 4> label7;
    std::array<QString, 2> label9;
    std::array<QString, 24> label11;
    std::array<QString, 3> summary;   // Label1, Label2, Label3
    std::array<ChartTable, 5> tables; // by Chart, in the enum's order
    int lensColumnCount = -1;

    const ChartTable &table(Chart chart) const;
    // Cell (row, column), from 1; 0 when the table has no such cell.
    int cell(Chart chart, int row, int column) const;
};

// Stands in for the statistics window: keeps what the analysis writes, so the report prints
// exactly the captions the window would show. Writes outside the window's slots are dropped,
// as the window has no label for them.
class RecordingSink : public StatisticsSink {
public:
    void setResult(ResultArray array, int element, const QString &text) override;
    void setSummary(SummaryLine line, const QString &text) override;
    void setColumnCount(Chart chart, int columns) override;
    void setChartData(Chart chart, const ChartTable &table) override;

    const RecordedStatistics &recorded() const { return m_recorded; }

private:
    RecordedStatistics m_recorded;
};

} // namespace kadrilo::report
