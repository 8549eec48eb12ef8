#include "stats/lens_legend.h"

#include <QLabel>

#include <algorithm>

namespace kadrilo {

namespace {

constexpr int rowGap = 3;
constexpr int swatchGap = 5;
constexpr int columnGap = 14;

} // namespace

LensLegend::LensLegend(QWidget *parent)
    : QWidget(parent) {}

void LensLegend::setEntries(const QVector<Entry> &entries) {
    for (const Row &row : std::as_const(m_rows)) {
        delete row.swatch;
        delete row.name;
    }
    m_rows.clear();
    for (const Entry &entry : entries) {
        auto *swatch = new QLabel(this);
        swatch->setAutoFillBackground(true);
        QPalette palette = swatch->palette();
        palette.setColor(QPalette::Window, entry.colour);
        swatch->setPalette(palette);
        auto *name = new QLabel(entry.text, this);
        m_rows.append({swatch, name, entry.text});
    }
}

QStringList LensLegend::texts() const {
    QStringList result;
    for (const Row &row : m_rows)
        result.append(row.text);
    return result;
}

void LensLegend::arrange(const QSize &available) {
    const int count = static_cast<int>(m_rows.size());
    if (count == 0) {
        resize(0, 0);
        return;
    }
    const QFontMetrics metrics(font());
    const int rowHeight = metrics.height() + rowGap;
    const int swatchSize = std::max(6, metrics.ascent() - 2);
    const int perColumn = std::max(1, (available.height() + rowGap) / rowHeight);
    const int columns = (count + perColumn - 1) / perColumn;
    // Balance the columns rather than leaving the last one nearly empty.
    const int rows = (count + columns - 1) / columns;
    const int columnWidth = (available.width() - (columns - 1) * columnGap) / columns;
    const int textWidth = std::max(1, columnWidth - swatchSize - swatchGap);

    int x = 0;
    int width = 0;
    for (int column = 0; column < columns; ++column) {
        int widest = 0;
        for (int row = 0; row < rows; ++row) {
            const int index = column * rows + row;
            if (index >= count)
                break;
            const Row &entry = m_rows.at(index);
            const int y = row * rowHeight;
            entry.swatch->setGeometry(x, y + (metrics.height() - swatchSize) / 2, swatchSize,
                                      swatchSize);
            const int needed = metrics.horizontalAdvance(entry.text);
            if (needed > textWidth) {
                entry.name->setText(metrics.elidedText(entry.text, Qt::ElideRight, textWidth));
                entry.name->setToolTip(entry.text);
            } else {
                entry.name->setText(entry.text);
                entry.name->setToolTip(QString());
            }
            const int shown = std::min(needed, textWidth) + 2;
            entry.name->setGeometry(x + swatchSize + swatchGap, y, shown, metrics.height());
            widest = std::max(widest, swatchSize + swatchGap + shown);
        }
        width = x + widest;
        x += widest + columnGap;
    }
    resize(width, rows * rowHeight - rowGap);
}

} // namespace kadrilo
