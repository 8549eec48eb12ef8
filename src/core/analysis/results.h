#pragma once

#include "analysis/shot_classes.h"
#include "analysis/statistiques.h"
#include "run/extraction.h"

#include <QDate>
#include <QString>
#include <QVector>

#include <array>

namespace kadrilo {

// One counted class as the statistics window shows it.
struct ClassResult {
    int count = 0;
    int percent = 0;
    // " <count> photos, soit <percent>%"
    QString caption;
};

// A class known by its name: a collected lens, in slot order, or a class of the report's own.
struct NamedClassResult : ClassResult {
    QString name;
};
using LensResult = NamedClassResult;

// A lens with its photos and the focal lengths they were taken at, whose percentages count
// within that lens.
struct LensFocalResult {
    QString lens;
    int count = 0;
    QVector<NamedClassResult> focalLengths; // "24 mm", ascending
};

// A lens with its images that have a class of shutter safety, and those classes, whose
// percentages count within these images.
struct LensClassesResult {
    QString lens;
    int count = 0;
    QVector<NamedClassResult> classes;
};

// Everything one analysis shows: per class its count, percentage and caption, the three
// summary lines, from which the five chart tables follow. The one value of an analysis: the
// statistics window shows it and the headless report prints it.
struct StatisticsResults {
    int files = 0;   // tag files read
    QString rawType; // type_raw
    QString folder;  // the analysed folder, as shown

    std::array<ClassResult, 8> iso;       // ISO bands 1..8, captions of Label5(1..8)
    std::array<ClassResult, 4> autofocus; // autofocus modes 1..4, Label7(1..4)
    std::array<ClassResult, 2> drive;     // drive modes 1..2, Label9(1..2)
    std::array<ClassResult, 24> aperture; // aperture buckets 1..24, Label11(1..24)
    QVector<LensResult> lenses;           // nb_objectifs entries
    // Counted for the report only; the window shows a notice instead. Empty unless the
    // analysis counted them.
    QVector<NamedClassResult> focalLengths;    // "55 mm", ascending
    QVector<NamedClassResult> exposureTimes;   // "1/250", from the shortest
    QVector<NamedClassResult> models;          // in order of first appearance
    QVector<NamedClassResult> focalLengths35;  // "88 mm" of the 35 mm equivalent, ascending
    QVector<NamedClassResult> hours;           // "0 h" to "23 h", every hour
    QVector<NamedClassResult> months;          // "janvier" to "décembre", every month
    QVector<NamedClassResult> years;           // "2023", ascending
    QVector<LensFocalResult> lensFocalLengths; // every lens, in order of first appearance
    // The five classes of the handheld limit, and per lens (those of lensFocalLengths that
    // have an image with a class) the classes of its images.
    QVector<NamedClassResult> shutterSafety;
    QVector<LensClassesResult> lensShutterSafety;
    // The lenses that the lens list leaves out, past its 30 slots, and their photos.
    int uncountedLenses = 0;
    int uncountedLensPhotos = 0;

    QString fileCountLine; // Label1: "<n> Fichiers RAW Analysés"
    QString rawTypeLine;   // Label2: "Type de Fichiers : RAW <type>"
    QString folderLine;    // Label3: "Dossier d'analyse : <folder>"

    // The table `chart` draws, from the percentages of its classes: one row per class and
    // one column (ISO, autofocus, drive, aperture), or one row and a column per lens.
    ChartTable table(Chart chart) const;
};

// Where an analysis shows its results: the statistics window, or a test.
class ResultsView {
public:
    virtual ~ResultsView() = default;
    virtual void showResults(const StatisticsResults &results) = 0;
};

// Whole percentage of `count` among `total` files: 0 without any division when the count is
// 0, otherwise floor((count / total) * 100) in doubles, in that order.
int percentage(int count, int total);

// " <count> photos, soit <percent>%": the blank stands before the count only.
QString resultCaption(int count, int percent);

// Computes all results of one analysis, lenses included, from the counters `stats`; `rawType`
// is the raw type chosen (type_raw), `dossierAnalyse` the analysed folder. With `shots`, the
// report's own classes too, worded and rounded alike.
StatisticsResults computeResults(const statistiques_exif &stats, const QString &rawType,
                                 const QString &dossierAnalyse, const ShotCounts *shots = nullptr);

} // namespace kadrilo
