#pragma once

#include "report/report_groups.h"
#include "report/report_options.h"
#include "report/report_summary.h"

#include <QByteArray>
#include <QString>

#include <QVector>

namespace kadrilo {
struct ClassResult;
struct NamedClassResult;
struct StatisticsResults;
} // namespace kadrilo

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
inline constexpr char16_t keySafety[] = u"vitesse_de_securite";
inline constexpr char16_t keyLensFocal[] = u"focales_par_objectif";
inline constexpr char16_t keyLensSafety[] = u"vitesse_de_securite_par_objectif";
// The lenses past the lens list's 30 slots.
inline constexpr char16_t keyUncountedLenses[] = u"objectifs_non_comptes";

// One class of a category as the report prints it: its short name (the chart's label, or
// the lens name), the window's caption beside its result, and the result itself.
struct ReportClass {
    QString name;
    QString caption;
    const ClassResult *result;
};

struct ReportCategory {
    const char16_t *key;
    QVector<ReportClass> classes;
};

// The five categories in the order of the window's tabs, then the report's own (but the
// focal lengths per lens, which have a shape of their own). Every format writes these.
QVector<ReportCategory> categories(const StatisticsResults &results);

// The index in categories() of the lenses, after which the lenses past the 30th are told.
inline constexpr int lensCategory = 4;

// A lens with its photos and their classes in a category counted per lens.
struct LensBlock {
    QString lens;
    int count;
    const QVector<NamedClassResult> *classes;
};

// A category counted per lens: its key, its texte section and the name of each lens's class
// array in json.
struct LensCategory {
    const char16_t *key;
    const char16_t *section;
    const char16_t *classesKey;
    QVector<LensBlock> lenses;
};

// The shutter safety per lens, then the focal lengths per lens, every lens of each.
QVector<LensCategory> lensCategories(const StatisticsResults &results);

// The filters that applied, each as a key of the json summary, the value given and the
// phrase of the texte summary.
struct AppliedFilter {
    QString key;
    QString value;
    QString phrase;
};
QVector<AppliedFilter> appliedFilters(const ReportSummary &summary);

// "<n> objectifs" past the 30th ("1 objectif"), with their photos.
NamedClassResult uncountedLenses(const StatisticsResults &results);

// The filters that applied, named as the texte summary names them and joined as a sentence:
// "objectif contenant « 24-70 », boîtier contenant « R5 » et depuis le 2023-01-01".
QString appliedFiltersText(const ReportSummary &summary);

// What the statistics window shows, tab by tab, in French: the three summary lines (and,
// when filters applied, which and the images before filtering), then for each tab its name
// in brackets and one line per class, the window's caption followed by its result text, the
// lenses past the 30th on a line of their own when there are any; then the report's own
// categories in the same form, then the classes of shutter safety and the focal lengths per
// lens in one block per lens. Lines end with "\n".
QString formatTexte(const StatisticsResults &results, const ReportSummary &summary = {});
// With groups: the summary of the whole report, a line naming the groups, then every
// category as one aligned table whose columns are the groups ("55 mm : 12 photos (20%) |
// 3 photos (5%)"), headed by the groups' names; a class missing from a group shows 0.
QString formatGroupedTexte(const StatisticsResults &results, const ReportSummary &summary,
                           const ReportGroups &groups);

// One row per class: categorie,classe,photos,pourcentage, after that header line. A row
// "objectifs_non_comptes,<n> objectifs,<photos>,<percent>" follows the lenses when some are
// past the 30th. The focal lengths and the classes of shutter safety per lens have one
// category per lens, "focales_par_objectif : <lens>", whose percentages count within that
// lens. With groups: categorie,classe,groupe,photos,pourcentage, each group's rows as the
// whole report's, "autres" named with the groups it holds ("autres (3 groupes)"). Fields holding a
// comma, a double quote or a line break are quoted, quotes doubled; a field that a
// spreadsheet would take for a formula gets a leading apostrophe.
QString formatCsv(const StatisticsResults &results, const ReportGroups &groups = {});
// A field as it goes into a CSV row: control characters shown (visibleText), a leading "=",
// "+", "-", "@", tab or carriage return guarded by an apostrophe, then quoted where needed.
QString csvField(const QString &field);

// One object: "resume" (fichiers kept, fichiers_avant_filtre, the filtres given, type,
// dossier and the three summary lines), then one array per category of {classe, photos,
// pourcentage} objects; focales_par_objectif is an array of {objectif, photos, focales},
// vitesse_de_securite_par_objectif of {objectif, photos, classes}, and objectifs_non_comptes
// an object {objectifs, photos}. With groups, "par" in the summary and a "groupes" array of
// {groupe, fichiers, the same categories}, "autres" with the groups it holds
// (groupes_reunis).
QByteArray formatJson(const StatisticsResults &results, const ReportSummary &summary = {},
                      const ReportGroups &groups = {});

// `text` with every control character (U+0000 to U+001F, U+007F to U+009F) and the line and
// paragraph separators U+2028 and U+2029 written as the six visible characters "\uXXXX"
// (upper-case hexadecimal). Lens and camera names and folder names come from files anyone can
// write: the report shows such characters, it never passes them to a terminal or a reader.
QString visibleText(const QString &text);

// The results in the chosen format, as UTF-8 bytes; side by side per group with --par.
QByteArray formatReport(const StatisticsResults &results, const ReportSummary &summary,
                        ReportFormat format, const ReportGroups &groups = {});

} // namespace kadrilo::report
