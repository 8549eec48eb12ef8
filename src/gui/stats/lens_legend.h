#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

class QLabel;

namespace kadrilo {

// The lens chart's legend: a colour swatch and a name per lens, in slot order, top to bottom,
// spread over several columns when thirty names do not fit one under the other. The chart
// toolkit's own legend keeps to one column and drops the entries that do not fit, and the
// lens names are shown nowhere else.
class LensLegend : public QWidget {
    Q_OBJECT

public:
    struct Entry {
        QColor colour;
        QString text;
    };

    explicit LensLegend(QWidget *parent = nullptr);

    void setEntries(const QVector<Entry> &entries);
    // The entries' texts, in order, as given (a name too long for its column is shown
    // shortened, with the whole name as its tool tip).
    QStringList texts() const;

    // Places the entries within `available` and resizes the legend to what they take.
    void arrange(const QSize &available);

private:
    struct Row {
        QLabel *swatch;
        QLabel *name;
        QString text;
    };

    QVector<Row> m_rows;
};

} // namespace kadrilo
