#include "report/recording_sink.h"

namespace kadrilo::report {

namespace {

template <std::size_t N>
void store(std::array<QString, N> &slots, int element, const QString &text) {
    if (element >= 1 && element <= int(N))
        slots[std::size_t(element - 1)] = text;
}

} // namespace

const ChartTable &RecordedStatistics::table(Chart chart) const {
    return tables[std::size_t(chart)];
}

int RecordedStatistics::cell(Chart chart, int row, int column) const {
    const ChartTable &data = table(chart);
    if (row < 1 || row > data.size())
        return 0;
    const QVector<int> &cells = data.at(row - 1);
    if (column < 1 || column > cells.size())
        return 0;
    return cells.at(column - 1);
}

void RecordingSink::setResult(ResultArray array, int element, const QString &text) {
    switch (array) {
    case ResultArray::Label5:
        store(m_recorded.label5, element, text);
        break;
    case ResultArray::Label7:
        store(m_recorded.label7, element, text);
        break;
    case ResultArray::Label9:
        store(m_recorded.label9, element, text);
        break;
    case ResultArray::Label11:
        store(m_recorded.label11, element, text);
        break;
    }
}

void RecordingSink::setSummary(SummaryLine line, const QString &text) {
    m_recorded.summary[std::size_t(line)] = text;
}

void RecordingSink::setColumnCount(Chart chart, int columns) {
    if (chart == Chart::Lens)
        m_recorded.lensColumnCount = columns;
}

void RecordingSink::setChartData(Chart chart, const ChartTable &table) {
    m_recorded.tables[std::size_t(chart)] = table;
}

} // namespace kadrilo::report
