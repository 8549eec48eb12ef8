#pragma once

#include "analysis/statistiques.h"

#include <QDialog>

namespace kadrilo {

struct Module1;

// The tabbed statistics window. Placeholder until the real window lands.
class frm_stats : public QDialog, public StatisticsSink {
    Q_OBJECT

public:
    explicit frm_stats(const Module1 &state, QWidget *parent = nullptr);

    void setResult(ResultArray array, int element, const QString &text) override;
    void setSummary(SummaryLine line, const QString &text) override;
    void setColumnCount(Chart chart, int columns) override;
    void setChartData(Chart chart, const ChartTable &table) override;

private:
    const Module1 &m_state;
};

} // namespace kadrilo
