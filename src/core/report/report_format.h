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
// The report's own categories, after the window's five.
inline constexpr char16_t keyFocal[] = u"focales";
inline constexpr char16_t keyExposure[] = u"vitesses";
inline constexpr char16_t keyModel[] = u"boitiers";
inline constexpr char16_t keyFocal35[] = u"focales_35mm";
inline constexpr char16_t keyHours[] = u"heures";
inline constexpr char16_t keyMonths[] = u"mois";
inline constexpr char16_t keyYears[] = u"annees";
inline constexpr char16_t keyLensFocal[] = u"focales_par_objectif";
// The lenses past the lens list's 30 slots.
inline constexpr char16_t keyUncountedLenses[] = u"objectifs_non_comptes";

// What the statistics window shows, tab by tab, in French: the three summary lines (and,
// when filters applied, which and the images before filtering), then for each tab its name
// in brackets and one line per class, the window's caption followed by its result text, the
// lenses past the 30th on a line of their own when there are any; then the report's own
// categories in the same form, the focal lengths per lens in one block per lens. Lines end
// with "\n".
QString formatTexte(const StatisticsResults &results);

// One row per class: categorie,classe,photos,pourcentage, after that header line. A row
// "objectifs_non_comptes,<n> objectifs,<photos>,<percent>" follows the lenses when some are
// past the 30th. The focal lengths per lens have one category per lens,
// "focales_par_objectif : <lens>", whose percentages count within that lens. Fields holding a
// comma, a double quote or a line break are quoted, quotes doubled; a field that a
// spreadsheet would take for a formula gets a leading apostrophe.
QString formatCsv(const StatisticsResults &results);
// A field as it goes into a CSV row: control characters shown (visibleText), a leading "=",
// "+", "-", "@", tab or carriage return guarded by an apostrophe, then quoted where needed.
QString csvField(const QString &field);

// One object: "resume" (fichiers kept, fichiers_avant_filtre, the filtres given, type,
// dossier and the three summary lines), then one array per category of {classe, photos,
// pourcentage} objects; focales_par_objectif is an array of {objectif, photos, focales}, and
// objectifs_non_comptes an object {objectifs, photos}.
QByteArray formatJson(const StatisticsResults &results);

// `text` with every control character (U+0000 to U+001F, U+007F to U+009F) and the line and
// paragraph separators U+2028 and U+2029 written as the six visible characters "\uXXXX"
// (upper-case hexadecimal). Lens and camera names and folder names come from files anyone can
// write: the report shows such characters, it never passes them to a terminal or a reader.
QString visibleText(const QString &text);

// The results in the chosen format, as UTF-8 bytes.
QByteArray formatReport(const StatisticsResults &results, ReportFormat format);

} // namespace kadrilo::report
