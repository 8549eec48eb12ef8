#include "stats/zero_bar_marks.h"

#include <QChart>
#include <QFontMetricsF>
#include <QPainter>

namespace kadrilo {

ZeroBarMarks::ZeroBarMarks(QChart *chart)
    : QGraphicsItem(chart)
    , m_chart(chart) {
    setZValue(100); // over the series
    QObject::connect(chart, &QChart::plotAreaChanged, chart, [this] {
        prepareGeometryChange();
        update();
    });
}

void ZeroBarMarks::setBars(const QVector<QColor> &colours, const QVector<bool> &zero,
                           qreal barWidth, const QFont &font) {
    prepareGeometryChange();
    m_colours = colours;
    m_zero = zero;
    m_barWidth = barWidth;
    m_font = font;
    update();
}

QRectF ZeroBarMarks::boundingRect() const {
    return m_chart->plotArea().adjusted(0, -QFontMetricsF(m_font).height() * 2, 0, 2);
}

void ZeroBarMarks::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) {
    const QRectF plot = m_chart->plotArea();
    const int bars = int(m_colours.size());
    if (bars == 0)
        return;
    // The series draws its one group of bars centred in the plot, `m_barWidth` of it wide.
    const qreal group = plot.width() * m_barWidth;
    const qreal width = group / bars;
    const QFontMetricsF metrics(m_font);
    painter->setFont(m_font);
    painter->setPen(Qt::black);
    for (int bar = 0; bar < bars; ++bar) {
        if (!m_zero.at(bar))
            continue;
        const qreal left = plot.left() + (plot.width() - group) / 2 + bar * width;
        const QRectF mark(left, plot.bottom() - 3, width, 3);
        painter->fillRect(mark, m_colours.at(bar));
        painter->drawText(
            QRectF(left - width, mark.top() - metrics.height() - 2, 3 * width, metrics.height()),
            Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("0"));
    }
}

} // namespace kadrilo
