#include "stats/bar_chart.h"

#include "platform/geometry.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QLegend>
#include <QValueAxis>

#include <algorithm>

namespace kadrilo {

int columnsOf(const ChartTable &table) {
    int columns = 0;
    for (const auto &row : table)
        columns = std::max(columns, static_cast<int>(row.size()));
    return columns;
}

BarChart::BarChart(QWidget *page, const QString &name, const QRect &twipsBox,
                   const QFont &axisFont) {
    m_chart = new QChart;
    m_view = new QChartView(m_chart, page);
    m_view->setObjectName(name);
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setGeometry(
        platform::twipsRect(twipsBox.x(), twipsBox.y(), twipsBox.width(), twipsBox.height()));
    m_view->setFrameShape(QFrame::NoFrame);
    // The chart fills its box, as the chart control did.
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    m_chart->setBackgroundRoundness(0);
    m_categories = new QBarCategoryAxis(m_chart);
    m_categories->setLabelsFont(axisFont);
    // Category labels are short enough to stand side by side; the toolkit would cut
    // "1600 (1250 à 2000)" although it fits.
    m_categories->setTruncateLabels(false);
    m_values = new QValueAxis(m_chart);
    m_values->setLabelsFont(axisFont);
    m_values->setLabelFormat(QStringLiteral("%d"));
    m_chart->addAxis(m_categories, Qt::AlignBottom);
    m_chart->addAxis(m_values, Qt::AlignLeft);
    m_chart->legend()->setVisible(false);
}

BarChart::~BarChart() = default;

void BarChart::setTitle(const QString &title) {
    m_chart->setTitle(title);
    m_chart->setTitleBrush(QBrush(Qt::black));
    m_chart->setTitleFont(QFont(QStringLiteral("arial"), 12, QFont::Bold));
}

void BarChart::draw(const ChartTable &table, const QStringList &rowLabels,
                    const QStringList &columnLabels) {
    m_table = table;
    m_chart->removeAllSeries();
    const int columns = columnsOf(table);
    if (columns > 0) {
        auto *series = new QBarSeries(m_chart);
        for (int column = 0; column < columns; ++column) {
            auto *set = new QBarSet(columnLabels.value(column), series);
            for (const auto &row : table)
                set->append(row.value(column));
            series->append(set);
        }
        decorate(*series);
        m_chart->addSeries(series);
        series->attachAxis(m_categories);
        series->attachAxis(m_values);
    }
    QStringList rows = rowLabels.mid(0, table.size());
    while (rows.size() < table.size())
        rows.append(QString());
    m_categories->setCategories(rows);
    // Percentages: always the whole 0..100 range with a mark every 10, so that charts of
    // different runs compare at a glance.
    m_values->setRange(0, 100);
    m_values->setTickCount(11);
    m_values->setMinorTickCount(0);
    drawn();
}

QChart *BarChart::chart() const {
    return m_chart;
}

QChartView *BarChart::view() const {
    return m_view;
}

const ChartTable &BarChart::table() const {
    return m_table;
}

void BarChart::decorate(QBarSeries &) {}

void BarChart::drawn() {}

} // namespace kadrilo
