#pragma once

#include "stats/bar_chart.h"

#include <QFont>

namespace kadrilo {

class LensLegend;
class ZeroBarMarks;

// The lens chart: one group of up to thirty bars, one per lens, told apart by colour, each
// with its percentage over it, the lens names in a legend of their own on the right of the
// bars, and a mark for every lens whose share rounds down to 0 %.
class LensChart : public BarChart {
public:
    // `barFont` is the typeface of the percentages and of the zero marks.
    LensChart(QWidget *page, const QString &name, const QRect &twipsBox, const QFont &axisFont,
              const QFont &barFont);

    LensLegend *legend() const;

protected:
    void decorate(QBarSeries &series) override;
    // Builds the legend and the zero marks from the bars just drawn.
    void drawn() override;

private:
    QFont m_barFont;
    LensLegend *m_legend = nullptr;
    ZeroBarMarks *m_zeroMarks = nullptr;
};

} // namespace kadrilo
