#pragma once

#include "analysis/results.h"

#include <QDialog>
#include <QHash>
#include <QPair>

#include <array>
#include <memory>

class QChart;
class QChartView;
class QLabel;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace kadrilo {

class BarChart;
class LensChart;
class LensLegend;

// The tabbed window that shows one analysis: result labels and five bar charts of
// percentages, with a three-line summary under the tabs. The analysis hands it its results
// while it is hidden; each showing sets up the charts' scales, titles and labels and the ISO
// band captions.
class frm_stats : public QDialog, public ResultsView {
    Q_OBJECT

public:
    explicit frm_stats(QWidget *parent = nullptr);
    ~frm_stats() override;

    // Writes every result caption and summary line of one analysis and keeps its chart tables
    // and lens names for the charts, which a showing draws (at once when shown already).
    void showResults(const StatisticsResults &results) override;

    // Titles, ISO band captions, and every chart drawn once from the results kept, with its
    // row labels and the lens names as the lens chart's column labels. Runs at every
    // showing; running it again changes nothing.
    void setupCharts();

    // Controls by their design names, e.g. label("Label5", 3), label("Label1", 0);
    // nullptr when the window has no such element.
    QLabel *label(const QString &array, int element) const;
    // "btc_fermer" or "btc_sauvegarde"; nullptr for any other name.
    QPushButton *button(const QString &name) const;
    QTabWidget *tabs() const;
    QChart *chart(Chart chart) const;
    QChartView *chartView(Chart chart) const;
    // The lens names beside the lens chart, one entry per column.
    LensLegend *lensLegend() const;
    // The table the chart last drew.
    ChartTable chartData(Chart chart) const;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The design's size where the screen's available area holds it with the frame, else as
    // much as it holds (the content then scrolls); centred on the screen.
    void fitToScreen();
    void buildLabels(const std::array<QWidget *, 6> &pages);
    void buildCharts(const std::array<QWidget *, 6> &pages);
    QLabel *addLabel(QWidget *page, const QString &array, int element, const QString &text,
                     const QRect &twipsBox, const QFont &font);
    BarChart &barChart(Chart chart) const;
    void setResult(const QString &array, int element, const QString &text);

    StatisticsResults m_results;
    QTabWidget *m_tabs = nullptr;
    QPushButton *m_sauvegarde = nullptr;
    QPushButton *m_fermer = nullptr;
    LensChart *m_lensChart = nullptr;
    QScrollArea *m_scroll = nullptr;
    QHash<QPair<QString, int>, QLabel *> m_labels;
    std::array<std::unique_ptr<BarChart>, 5> m_charts;
};

} // namespace kadrilo
