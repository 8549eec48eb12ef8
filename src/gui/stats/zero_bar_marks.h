#pragma once

#include <QColor>
#include <QFont>
#include <QGraphicsItem>
#include <QVector>

class QChart;

namespace kadrilo {

// A lens whose share rounds down to 0 % draws no bar, and with many lenses the bars that do
// show bunch at the left of the plot, the rest of it blank: each such lens keeps a flat mark
// in its colour with "0" over it, so that every lens has its place across the plot.
class ZeroBarMarks : public QGraphicsItem {
public:
    explicit ZeroBarMarks(QChart *chart);

    // One entry per bar of the group, left to right; `zero` bars get a mark.
    void setBars(const QVector<QColor> &colours, const QVector<bool> &zero, qreal barWidth,
                 const QFont &font);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override;

private:
    QChart *m_chart;
    QVector<QColor> m_colours;
    QVector<bool> m_zero;
    qreal m_barWidth = 0;
    QFont m_font;
};

} // namespace kadrilo
