#include "report/report_results.h"

#include "analysis/results.h"
#include "report/recording_sink.h"
#include "run/module1.h"
#include "stats/chart_labels.h"

#include <array>
#include <functional>

namespace kadrilo::report {

namespace {

// The apertures are named after their window caption without its colon ("F/2.8"), the
// chart's row 8 having lost its slash ("F2.8").
QString apertureName(int bucket) {
    QString name = chart_labels::apertureCaption(bucket);
    name.chop(1);
    return name.trimmed();
}

template <std::size_t N>
ReportCategory category(const QString &key, const QStringList &names,
                        const std::function<QString(int)> &caption,
                        const std::array<QString, N> &results, const std::array<int, N> &counts,
                        const RecordedStatistics &recorded, Chart chart) {
    ReportCategory category{key, {}};
    for (int number = 1; number <= int(N); ++number) {
        const auto index = std::size_t(number - 1);
        ReportClass item;
        item.name = names.value(number - 1);
        item.caption = caption(number);
        item.result = results[index];
        item.photos = counts[index];
        item.percent = recorded.cell(chart, number, 1);
        category.classes << item;
    }
    return category;
}

} // namespace

const ReportCategory *ReportResults::category(const QString &key) const {
    for (const ReportCategory &candidate : categories) {
        if (candidate.key == key)
            return &candidate;
    }
    return nullptr;
}

namespace captions {
QString tabIso() {
    return QStringLiteral("ISO");
}
QString tabAperture() {
    return QStringLiteral("Diaphragme");
}
QString tabSpeed() {
    return QStringLiteral("Vitesse");
}
QString tabDrive() {
    return QStringLiteral("motorisation / AF");
}
QString tabLens() {
    return QStringLiteral("Objectifs");
}
QString tabFocal() {
    return QStringLiteral("Focales");
}
} // namespace captions

ReportResults assembleResults(const statistiques_exif &stats, const Module1 &state,
                              const QString &folder, const RecordedStatistics &recorded) {
    ReportResults results;
    results.files = stats.nb_fichiers;
    results.rawType = state.type_raw;
    results.folder = folder;
    results.filesLine = recorded.summary[0];
    results.typeLine = recorded.summary[1];
    results.folderLine = recorded.summary[2];

    QStringList apertureNames;
    for (int bucket = 1; bucket <= 24; ++bucket)
        apertureNames << apertureName(bucket);

    results.categories << category(QString::fromUtf16(keyIso), chart_labels::rowLabels(Chart::Iso),
                                   chart_labels::isoBandCaption, recorded.label5, stats.compte_iso,
                                   recorded, Chart::Iso);
    results.categories << category(QString::fromUtf16(keyAperture), apertureNames,
                                   chart_labels::apertureCaption, recorded.label11,
                                   stats.compte_diaph, recorded, Chart::Aperture);
    results.categories << category(
        QString::fromUtf16(keyDrive), chart_labels::rowLabels(Chart::Drive),
        chart_labels::driveCaption, recorded.label9, stats.compte_drive, recorded, Chart::Drive);
    results.categories << category(QString::fromUtf16(keyAutofocus),
                                   chart_labels::rowLabels(Chart::Autofocus),
                                   chart_labels::autofocusCaption, recorded.label7, stats.compte_af,
                                   recorded, Chart::Autofocus);

    // The lens chart has a single row and one column per slot; the window names the
    // columns after the lens list, and no label shows the counts.
    ReportCategory lenses{QString::fromUtf16(keyLens), {}};
    const int slots = std::min(state.nb_objectifs, Module1::lens_slots);
    for (int slot = 1; slot <= slots; ++slot) {
        ReportClass lens;
        lens.name = state.objectifs[std::size_t(slot - 1)];
        lens.caption = lens.name + QStringLiteral(" :");
        lens.photos = stats.compte_objectifs[std::size_t(slot - 1)];
        lens.percent = recorded.cell(Chart::Lens, 1, slot);
        // The window has no result label for a lens: its text is worded like the others.
        lens.result = resultCaption(lens.photos, lens.percent);
        lenses.classes << lens;
    }
    results.categories << lenses;
    return results;
}

} // namespace kadrilo::report
