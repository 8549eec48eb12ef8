#pragma once

#include "analysis/statistiques.h"

#include <QStringList>

class QBarCategoryAxis;
class QBarSeries;
class QChart;
class QChartView;
class QFont;
class QRect;
class QValueAxis;
class QWidget;

namespace kadrilo {

// One bar chart of percentages on a page of the statistics window: a view in its design
// box, a category axis for the rows and a fixed 0..100 value axis. The widgets belong to the
// page; this object only steers them.
class BarChart {
public:
    // The chart `name` in `twipsBox` of `page`, its axis labels in `axisFont`.
    BarChart(QWidget *page, const QString &name, const QRect &twipsBox, const QFont &axisFont);
    virtual ~BarChart();
    BarChart(const BarChart &) = delete;
    BarChart &operator=(const BarChart &) = delete;

    // A bold 12-point black Arial title over the plot.
    void setTitle(const QString &title);
    // Rebuilds the bars: one category per row of `table`, named by `rowLabels`, and one bar
    // set per column, named by `columnLabels`.
    void draw(const ChartTable &table, const QStringList &rowLabels,
              const QStringList &columnLabels);

    QChart *chart() const;
    QChartView *view() const;
    // The table last drawn.
    const ChartTable &table() const;

protected:
    // Styles the series and its bar sets before it joins the chart; nothing by default.
    virtual void decorate(QBarSeries &series);
    // Called once the bars, rows and scale of a drawing stand; nothing by default.
    virtual void drawn();

private:
    QChartView *m_view = nullptr;
    QChart *m_chart = nullptr;
    QBarCategoryAxis *m_categories = nullptr;
    QValueAxis *m_values = nullptr;
    ChartTable m_table;
};

// The number of bar sets `table` draws: its widest row.
int columnsOf(const ChartTable &table);

} // namespace kadrilo
