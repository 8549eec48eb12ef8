#include "sample_run.h"

#include "run/module1.h"

#include <algorithm>

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
        c.objectifs[size_t(slot)] = name;
        c.nb_objectifs = slot + 1;
    }
    return run;
}

void publish(const SampleRun &run, Module1 &state, ResultsView &view) {
    state.type_raw = QStringLiteral("Canon");
    state.nb_objectifs = run.counts.nb_objectifs;
    state.objectifs = run.counts.objectifs;
    view.showResults(computeResults(run.counts, state.type_raw, run.folder));
}

} // namespace kadrilo::test
