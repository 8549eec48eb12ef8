#pragma once

#include "analysis/statistiques.h"

#include <QString>
#include <QVector>

namespace kadrilo {
struct Module1;
}

namespace kadrilo::report {

struct RecordedStatistics;

// One class of a category: an ISO band, an aperture, a drive mode, an autofocus mode or a
// lens, with the texts the statistics window shows for it and the numbers behind them.
struct ReportClass {
    QString name;    // short class name, as the charts label it ("100 (50 à 125)", "F/2.8")
    QString caption; // the window's caption beside the result ("100 :", "F/2.8 :")
    QString result;  // the window's result text (" 3 photos, soit 25%")
    int photos = 0;
    int percent = 0;
};

// Keys of the categories, in the order of the window's tabs.
inline constexpr char16_t keyIso[] = u"iso";
inline constexpr char16_t keyAperture[] = u"diaphragme";
inline constexpr char16_t keyDrive[] = u"motorisation";
inline constexpr char16_t keyAutofocus[] = u"mode_af";
inline constexpr char16_t keyLens[] = u"objectifs";

struct ReportCategory {
    QString key; // one of the keys above
    QVector<ReportClass> classes;
};

// The whole result of one report: a plain value that the three formatters print.
struct ReportResults {
    int files = 0;
    QString rawType;
    QString folder;
    QString filesLine;  // Label1
    QString typeLine;   // Label2
    QString folderLine; // Label3
    // Always the five categories in key order; the lens category holds one class per
    // collected lens, in slot order.
    QVector<ReportCategory> categories;

    const ReportCategory *category(const QString &key) const;
};

// The statistics window's tab names (its other fixed texts are in stats/chart_labels.h).
namespace captions {
QString tabIso();
QString tabAperture();
QString tabSpeed();
QString tabDrive();
QString tabLens();
QString tabFocal();
} // namespace captions

// Builds the report's results from the analysis record, the lens list it filled and what it
// wrote into the recording sink. Captions and percentages come from the sink, counts and
// lens names from the record and the lens list.
ReportResults assembleResults(const statistiques_exif &stats, const Module1 &state,
                              const QString &folder, const RecordedStatistics &recorded);

} // namespace kadrilo::report
