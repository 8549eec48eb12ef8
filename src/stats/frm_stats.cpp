#include "stats/frm_stats.h"

namespace kadrilo {

frm_stats::frm_stats(const Module1 &state, QWidget *parent)
    : QDialog(parent)
    , m_state(state)
{
    setWindowTitle(QStringLiteral("Affichage des statistiques"));
}

void frm_stats::setResult(ResultArray, int, const QString &) {}
void frm_stats::setSummary(SummaryLine, const QString &) {}
void frm_stats::setColumnCount(Chart, int) {}
void frm_stats::setChartData(Chart, const ChartTable &) {}

} // namespace kadrilo
