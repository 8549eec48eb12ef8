#include "sample_run.h"

#include "run/module1.h"

#include <cmath>

namespace kadrilo::test {

namespace {

const char *const longLensNames[] = {
    "Canon EF 24-70mm f/2.8L II USM",
    "Canon EF 70-200mm f/2.8L IS II USM",
    "Canon EF 100mm f/2.8L Macro IS USM",
    "Canon EF-S 17-55mm f/2.8 IS USM",
    "Canon EF 16-35mm f/4L IS USM",
    "Canon EF 50mm f/1.4 USM",
    "Sigma 150-600mm f/5-6.3 DG OS HSM | C",
    "Tamron SP 24-70mm f/2.8 Di VC USD G2 (A032)",
    "Canon EF 85mm f/1.2L II USM",
    "Canon EF 400mm f/5.6L USM",
    "Canon EF-S 10-22mm f/3.5-4.5 USM",
    "Canon EF 135mm f/2L USM",
    "Canon EF 300mm f/2.8L IS II USM + 1.4x",
    "Canon EF 8-15mm f/4L Fisheye USM",
    "Canon MP-E 65mm f/2.8 1-5x Macro Photo",
    "Canon EF-S 18-55mm f/3.5-5.6 [II]",
};

} // namespace

int percentage(int count, int total) {
    if (count == 0)
        return 0;
    return static_cast<int>(std::floor(static_cast<double>(count) / total * 100));
}

QString resultCaption(int count, int total) {
    return QStringLiteral(" %1 photos, soit %2%").arg(count).arg(percentage(count, total));
}

SampleRun realisticRun(int lensCount) {
    SampleRun run;
    statistiques_exif &c = run.counts;
    c.nb_fichiers = 214;
    c.compte_iso = {96, 41, 30, 22, 12, 7, 4, 2};
    c.compte_af = {150, 52, 8, 3};
    c.compte_drive = {160, 50};
    c.compte_diaph = {2, 5, 0, 9, 4, 1, 3, 31, 0, 6, 38, 2, 7, 20, 1, 3, 30, 8, 5, 12, 4, 0, 9, 14};
    for (int slot = 0; slot < lensCount && slot < 30; ++slot) {
        c.compte_objectifs[slot] = std::max(1, 26 - 2 * slot);
        const int named = sizeof longLensNames / sizeof *longLensNames;
        QString name = QString::fromUtf8(longLensNames[slot % named]);
        if (slot >= named)
            name += QStringLiteral(" (%1)").arg(slot + 1);
        run.lenses.append(name);
    }
    return run;
}

void publish(const SampleRun &run, Module1 &state, StatisticsSink &sink) {
    const statistiques_exif &c = run.counts;
    const int total = c.nb_fichiers;
    const auto fill = [&](const auto &counts, ResultArray array, Chart chart) {
        ChartTable table;
        for (int k = 1; k <= static_cast<int>(counts.size()); ++k) {
            table.append(QVector<int>{percentage(counts[k - 1], total)});
            sink.setResult(array, k, resultCaption(counts[k - 1], total));
        }
        sink.setChartData(chart, table);
    };
    fill(c.compte_iso, ResultArray::Label5, Chart::Iso);
    fill(c.compte_af, ResultArray::Label7, Chart::Autofocus);
    fill(c.compte_drive, ResultArray::Label9, Chart::Drive);
    fill(c.compte_diaph, ResultArray::Label11, Chart::Aperture);

    state.nb_objectifs = static_cast<int>(run.lenses.size());
    state.objectifs = {};
    QVector<int> lensRow;
    for (int slot = 0; slot < state.nb_objectifs; ++slot) {
        state.objectifs[slot] = run.lenses.at(slot);
        lensRow.append(percentage(c.compte_objectifs[slot], total));
    }
    sink.setColumnCount(Chart::Lens, state.nb_objectifs);
    sink.setChartData(Chart::Lens, {lensRow});

    sink.setSummary(SummaryLine::Label1,
                    QString::number(total) + QStringLiteral(" Fichiers RAW Analysés"));
    sink.setSummary(SummaryLine::Label2, QStringLiteral("Type de Fichiers : RAW Canon"));
    sink.setSummary(SummaryLine::Label3, QStringLiteral("Dossier d'analyse : ") + run.folder);
}

} // namespace kadrilo::test
