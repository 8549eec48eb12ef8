#pragma once

#include "analysis/statistiques.h"

#include <QString>
#include <QVector>

#include <array>

namespace kadrilo {

struct Module1;

// One counted class as the statistics window shows it.
struct ClassResult {
    int count = 0;
    int percent = 0;
    // " <count> photos, soit <percent>%"
    QString caption;
};

// One collected lens, in slot order.
struct LensResult {
    QString name;
    int count = 0;
    int percent = 0;
    QString caption;
};

// Everything one analysis shows: per class its count, percentage and caption, the three
// summary lines and the five chart tables. A plain value: the statistics window and the
// headless report both read it.
struct StatisticsResults {
    std::array<ClassResult, 8> iso;       // ISO bands 1..8, captions of Label5(1..8)
    std::array<ClassResult, 4> autofocus; // autofocus modes 1..4, Label7(1..4)
    std::array<ClassResult, 2> drive;     // drive modes 1..2, Label9(1..2)
    std::array<ClassResult, 24> aperture; // aperture buckets 1..24, Label11(1..24)
    QVector<LensResult> lenses;           // nb_objectifs entries

    QString fileCountLine; // Label1: "<n> Fichiers RAW Analysés"
    QString rawTypeLine;   // Label2: "Type de Fichiers : RAW <type>"
    QString folderLine;    // Label3: "Dossier d'analyse : <folder>"

    ChartTable isoTable;       // 8 x 1
    ChartTable autofocusTable; // 4 x 1
    ChartTable driveTable;     // 2 x 1
    ChartTable apertureTable;  // 24 x 1
    ChartTable lensTable;      // 1 x lens count (a row without columns when no lens)
    int lensColumns = 0;
};

// Whole percentage of `count` among `total` files: 0 without any division when the count is
// 0, otherwise floor((count / total) * 100) in doubles, in that order.
int percentage(int count, int total);

// " <count> photos, soit <percent>%": the blank stands before the count only.
QString resultCaption(int count, int percent);

// Computes all results of one analysis. The lens names come from the lens list of `state`,
// the raw type from `state.type_raw`; `dossierAnalyse` is the analysed folder.
StatisticsResults computeResults(const statistiques_exif &stats, const Module1 &state,
                                 const QString &dossierAnalyse);

// Writes the results into `sink` in the window's order: the result captions (Label5, Label7,
// Label9, Label11), the lens chart's column count, the five tables (ISO, autofocus, drive,
// aperture, lens), then Label1, Label2 and Label3.
void writeResults(const StatisticsResults &results, StatisticsSink &sink);

} // namespace kadrilo
