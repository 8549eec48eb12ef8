#pragma once

#include <QString>
#include <QVector>

#include <array>

namespace kadrilo {

// The counters of one analysis. Entry k - 1 holds class k (ISO band 1 at compte_iso[0]).
// Counts are 32-bit: a library of tens of thousands of photos must not overflow them.
struct statistiques_exif {
    static constexpr int lens_slots = 30;

    int nb_fichiers = 0;
    std::array<int, 8> compte_iso{};
    std::array<int, 4> compte_af{};
    std::array<int, 2> compte_drive{};
    std::array<int, 24> compte_diaph{};
    std::array<int, lens_slots> compte_objectifs{};
    // The lenses met, in order of first appearance: slot s (1..30) is objectifs[s - 1],
    // counted in compte_objectifs[s - 1]. The first nb_objectifs entries are filled.
    int nb_objectifs = 0;
    std::array<QString, lens_slots> objectifs;
};

// A chart's data table: rows x columns of whole percentages, cell (r, c) at [r - 1][c - 1].
using ChartTable = QVector<QVector<int>>;

// The five charts of the statistics window.
enum class Chart { Iso, Autofocus, Drive, Aperture, Lens };

} // namespace kadrilo
