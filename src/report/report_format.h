#pragma once

#include "report/report_options.h"

#include <QByteArray>
#include <QString>

namespace kadrilo::report {

struct ReportResults;

// What the statistics window shows, tab by tab, in French: the three summary lines, then
// for each tab its name in brackets and one line per class, the window's caption followed
// by its result text. Lines end with "\n".
QString formatTexte(const ReportResults &results);

// One row per class: categorie,classe,photos,pourcentage, after that header line. Fields
// holding a comma, a double quote or a line break are quoted, quotes doubled.
QString formatCsv(const ReportResults &results);
// A field as it goes into a CSV row.
QString csvField(const QString &field);

// One object: "resume" (fichiers, type, dossier and the three summary lines), then one array
// per category of {classe, photos, pourcentage} objects.
QByteArray formatJson(const ReportResults &results);

// The results in the chosen format, as UTF-8 bytes.
QByteArray formatReport(const ReportResults &results, ReportFormat format);

} // namespace kadrilo::report
