#include "analysis/results.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace kadrilo {

namespace {

template <size_t N>
void fillClasses(std::array<ClassResult, N> &classes, const std::array<int, N> &counts, int total) {
    for (size_t k = 0; k < N; ++k) {
        ClassResult &result = classes[k];
        result.count = counts[k];
        result.percent = percentage(counts[k], total);
        result.caption = resultCaption(result.count, result.percent);
    }
}

// One row per class, its percentage in the one column.
template <typename Classes> ChartTable rowPerClass(const Classes &classes) {
    ChartTable table;
    for (const ClassResult &result : classes)
        table.append(QVector<int>{result.percent});
    return table;
}

QVector<NamedClassResult> namedClasses(const QVector<CountedValue> &counted, int total) {
    QVector<NamedClassResult> classes;
    classes.reserve(counted.size());
    for (const CountedValue &value : counted) {
        NamedClassResult result;
        result.name = value.name;
        result.count = value.count;
        result.percent = percentage(value.count, total);
        result.caption = resultCaption(result.count, result.percent);
        classes.append(result);
    }
    return classes;
}

} // namespace

int percentage(int count, int total) {
    if (count == 0)
        return 0;
    // Quotient first, then the scaling: 29 of 100 gives 28, as the double 0.29 is a little
    // short of 29/100. A count without any file (only possible with a broken record) is 0.
    if (total <= 0)
        return 0;
    const double quotient = double(count) / double(total);
    const double scaled = quotient * 100.0;
    return int(std::clamp(std::floor(scaled), double(INT_MIN), double(INT_MAX)));
}

QString resultCaption(int count, int percent) {
    return QLatin1Char(' ') + QString::number(count) + QStringLiteral(" photos, soit ") +
           QString::number(percent) + QLatin1Char('%');
}

StatisticsResults computeResults(const statistiques_exif &stats, const QString &rawType,
                                 const QString &dossierAnalyse, const ShotCounts *shots) {
    StatisticsResults results;
    const int total = stats.nb_fichiers;
    results.files = total;
    results.rawType = rawType;
    results.folder = dossierAnalyse;
    fillClasses(results.iso, stats.compte_iso, total);
    fillClasses(results.autofocus, stats.compte_af, total);
    fillClasses(results.drive, stats.compte_drive, total);
    fillClasses(results.aperture, stats.compte_diaph, total);

    const int lensCount = std::clamp(stats.nb_objectifs, 0, statistiques_exif::lens_slots);
    for (int c = 0; c < lensCount; ++c) {
        LensResult lens;
        lens.name = stats.objectifs[size_t(c)];
        lens.count = stats.compte_objectifs[size_t(c)];
        lens.percent = percentage(lens.count, total);
        lens.caption = resultCaption(lens.count, lens.percent);
        results.lenses.append(lens);
    }

    if (shots) {
        results.focalLengths = namedClasses(shots->focalLengths(), total);
        results.exposureTimes = namedClasses(shots->exposureTimes(), total);
        results.models = namedClasses(shots->models(), total);
        results.focalLengths35 = namedClasses(shots->focalLengths35(), total);
        results.hours = namedClasses(shots->hours(), total);
        results.months = namedClasses(shots->months(), total);
        results.years = namedClasses(shots->years(), total);
        for (const LensFocalLengths &lens : shots->lensFocalLengths())
            results.lensFocalLengths.append(
                {lens.lens, lens.count, namedClasses(lens.focalLengths, lens.count)});
        results.shutterSafety = namedClasses(shots->shutterSafety(), total);
        for (const LensClasses &lens : shots->lensShutterSafety())
            results.lensShutterSafety.append(
                {lens.lens, lens.count, namedClasses(lens.classes, lens.count)});
        results.uncountedLenses = shots->lensesAfter(statistiques_exif::lens_slots);
        results.uncountedLensPhotos = shots->lensPhotosAfter(statistiques_exif::lens_slots);
    }

    results.fileCountLine = QString::number(total) + QStringLiteral(" Fichiers RAW Analysés");
    results.rawTypeLine = QStringLiteral("Type de Fichiers : RAW ") + rawType;
    results.folderLine = QStringLiteral("Dossier d'analyse : ") + dossierAnalyse;
    return results;
}

ChartTable StatisticsResults::table(Chart chart) const {
    switch (chart) {
    case Chart::Iso:
        return rowPerClass(iso);
    case Chart::Autofocus:
        return rowPerClass(autofocus);
    case Chart::Drive:
        return rowPerClass(drive);
    case Chart::Aperture:
        return rowPerClass(aperture);
    case Chart::Lens:
        break;
    }
    QVector<int> lensRow;
    for (const LensResult &lens : lenses)
        lensRow.append(lens.percent);
    return ChartTable{lensRow};
}

} // namespace kadrilo
