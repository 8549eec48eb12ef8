#pragma once

#include "report/report_options.h"

#include <QByteArray>
#include <QString>

namespace kadrilo {
struct StatisticsResults;
}

namespace kadrilo::report {

// Keys of the categories in csv and json, in the order of the window's tabs.
inline constexpr char16_t keyIso[] = u"iso";
inline constexpr char16_t keyAperture[] = u"diaphragme";
inline constexpr char16_t keyDrive[] = u"motorisation";
inline constexpr char16_t keyAutofocus[] = u"mode_af";
inline constexpr char16_t keyLens[] = u"objectifs";

// What the statistics window shows, tab by tab, in French: the three summary lines, then
// for each tab its name in brackets and one line per class, the window's caption followed
// by its result text. Lines end with "\n".
QString formatTexte(const StatisticsResults &results);

// One row per class: categorie,classe,photos,pourcentage, after that header line. Fields
// holding a comma, a double quote or a line break are quoted, quotes doubled.
QString formatCsv(const StatisticsResults &results);
// A field as it goes into a CSV row.
QString csvField(const QString &field);

// One object: "resume" (fichiers, type, dossier and the three summary lines), then one array
// per category of {classe, photos, pourcentage} objects.
QByteArray formatJson(const StatisticsResults &results);

// The results in the chosen format, as UTF-8 bytes.
QByteArray formatReport(const StatisticsResults &results, ReportFormat format);

} // namespace kadrilo::report
