#pragma once

#include <QString>
#include <QVector>

#include <array>

namespace kadrilo {

// The counters of one analysis. Entry k - 1 holds class k (ISO band 1 at compte_iso[0]).
// Counts are 32-bit: a library of tens of thousands of photos must not overflow them.
struct statistiques_exif {
    int nb_fichiers = 0;
    std::array<int, 8> compte_iso{};
    std::array<int, 4> compte_af{};
    std::array<int, 2> compte_drive{};
    std::array<int, 24> compte_diaph{};
    std::array<int, 30> compte_objectifs{};
};

// A chart's data table: rows x columns of whole percentages, cell (r, c) at [r - 1][c - 1].
using ChartTable = QVector<QVector<int>>;

enum class Chart { Iso, Autofocus, Drive, Aperture, Lens };
// The statistics window's arrays of result labels.
enum class ResultArray { Label5, Label7, Label9, Label11 };
// The three summary lines under the tabs.
enum class SummaryLine { Label1, Label2, Label3 };

// What the analysis writes into the statistics window. The window implements it; tests and
// the headless report implement it too, so the analysis runs without widgets.
class StatisticsSink {
public:
    virtual ~StatisticsSink() = default;
    // Element `element` (from 1) of a result label array.
    virtual void setResult(ResultArray array, int element, const QString &text) = 0;
    virtual void setSummary(SummaryLine line, const QString &text) = 0;
    // The lens chart's number of data columns, set before its table.
    virtual void setColumnCount(Chart chart, int columns) = 0;
    // Replaces the chart's whole data.
    virtual void setChartData(Chart chart, const ChartTable &table) = 0;
};

} // namespace kadrilo
