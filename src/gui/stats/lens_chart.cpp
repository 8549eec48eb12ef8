#include "stats/lens_chart.h"

#include "platform/geometry.h"
#include "stats/lens_legend.h"
#include "stats/zero_bar_marks.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>

#include <algorithm>

namespace kadrilo {

namespace {

// The lens chart's bars share this part of the plot's width.
constexpr qreal lensBarWidth = 0.9;

// The lens chart shows up to 30 bars side by side, told apart only by colour: spread the
// hues around the circle and alternate the brightness so that neighbours never look alike.
QColor lensColour(int column) {
    const int hue = (column * 137) % 360;
    const int value = column % 2 == 0 ? 225 : 160;
    return QColor::fromHsv(hue, 190, value);
}

} // namespace

LensChart::LensChart(QWidget *page, const QString &name, const QRect &twipsBox,
                     const QFont &axisFont, const QFont &barFont)
    : BarChart(page, name, twipsBox, axisFont)
    , m_barFont(barFont) {
    // The lens names appear nowhere else: the chart carries a legend of its own on the right
    // of the bars, which holds thirty long names.
    m_legend = new LensLegend(view());
    m_legend->setObjectName(name + QStringLiteral("_legend"));
    m_legend->setFont(platform::designFont(7.5));
    m_legend->hide();
    m_zeroMarks = new ZeroBarMarks(chart());
}

LensLegend *LensChart::legend() const {
    return m_legend;
}

void LensChart::decorate(QBarSeries &series) {
    const auto sets = series.barSets();
    for (int column = 0; column < sets.size(); ++column) {
        QBarSet *set = sets.at(column);
        set->setColor(lensColour(column));
        set->setLabelColor(Qt::black);
        set->setLabelFont(m_barFont);
    }
    // Many narrow bars of one group: use the width and print each percentage.
    series.setBarWidth(lensBarWidth);
    series.setLabelsVisible(true);
    series.setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
}

void LensChart::drawn() {
    const ChartTable &bars = table();
    const int columns = columnsOf(bars);
    QVector<LensLegend::Entry> entries;
    const auto series = chart()->series();
    if (!series.isEmpty()) {
        if (const auto *barSeries = qobject_cast<QBarSeries *>(series.first())) {
            for (QBarSet *set : barSeries->barSets())
                entries.append({set->color(), set->label()});
        }
    }
    m_legend->setEntries(entries);

    const QSize box = view()->size();
    const int gap = 12;
    const int top = 48; // below the title
    m_legend->arrange(QSize(box.width() * 2 / 5, box.height() - top - gap));
    const QSize legend = m_legend->size();
    m_legend->move(box.width() - legend.width() - gap,
                   top + std::max(0, (box.height() - top - gap - legend.height()) / 2));
    m_legend->setVisible(!entries.isEmpty());
    QMargins margins = chart()->margins();
    margins.setRight(entries.isEmpty() ? margins.left() : legend.width() + 2 * gap);
    chart()->setMargins(margins);

    QVector<QColor> colours;
    QVector<bool> zero;
    for (int column = 0; column < columns; ++column) {
        colours.append(lensColour(column));
        zero.append(std::all_of(bars.cbegin(), bars.cend(),
                                [column](const auto &row) { return row.value(column) == 0; }));
    }
    m_zeroMarks->setBars(colours, zero, lensBarWidth, m_barFont);
}

} // namespace kadrilo
