#pragma once

#include "analysis/statistiques.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <map>
#include <utility>

namespace kadrilo::test {

// Records every write of the analysis, in order, as one line per call, and keeps the last
// value of every caption and table for direct checks.
class RecordingSink : public StatisticsSink {
public:
    void setResult(ResultArray array, int element, const QString &text) override {
        calls << QStringLiteral("result %1 %2").arg(int(array)).arg(element);
        results[{array, element}] = text;
    }
    void setSummary(SummaryLine line, const QString &text) override {
        calls << QStringLiteral("summary %1").arg(int(line));
        summaries[line] = text;
    }
    void setColumnCount(Chart chart, int columns) override {
        calls << QStringLiteral("columns %1 %2").arg(int(chart)).arg(columns);
        columnCounts[chart] = columns;
    }
    void setChartData(Chart chart, const ChartTable &table) override {
        calls << QStringLiteral("chart %1").arg(int(chart));
        tables[chart] = table;
    }

    QString result(ResultArray array, int element) const {
        const auto it = results.find({array, element});
        return it == results.end() ? QString() : it->second;
    }

    QStringList calls;
    std::map<std::pair<ResultArray, int>, QString> results;
    std::map<SummaryLine, QString> summaries;
    std::map<Chart, int> columnCounts;
    std::map<Chart, ChartTable> tables;
};

} // namespace kadrilo::test
