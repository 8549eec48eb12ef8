#pragma once

#include "report/report_summary.h"

#include <QString>

namespace kadrilo {
struct StatisticsResults;
}

namespace kadrilo::report {

// One self-contained HTML page in French: the summary (the texte format's lines, the filters,
// the images that could not be read with ExifTool's reasons), then one chart per category in
// the texte format's order, each a table of its classes (label, bar, photos, percentage) whose
// bars are inline SVG carrying "<label> : <n> photos, soit <p>%" as their title, then the
// focal lengths of every lens, one small chart each. Its CSS is inline and a
// Content-Security-Policy forbids any script and any request outside the page.
QString formatHtml(const StatisticsResults &results, const ReportSummary &summary = {});

// `text` with its control characters shown as the other formats show them (visibleText),
// then &, <, >, " and ' written as character references: safe in an element or an attribute.
QString htmlText(const QString &text);

} // namespace kadrilo::report
