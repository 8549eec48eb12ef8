#pragma once

#include "analysis/statistiques.h"

#include <QString>

namespace kadrilo {

struct Module1;

// Reads every tag file of `state.dossier_temp` (sorted by name), refills the lens list of
// `state` and counts the classes.
statistiques_exif lire_fichiers_tags(Module1 &state);

// Turns the record into percentages, captions and chart tables and writes them into `sink`,
// in the window's order. `dossierAnalyse` is the analysed folder, as shown to the person.
void publier_statistiques(const statistiques_exif &stats, const Module1 &state,
                          const QString &dossierAnalyse, StatisticsSink &sink);

// Both halves: reading, then publishing.
void analyse_exif(Module1 &state, const QString &dossierAnalyse, StatisticsSink &sink);

} // namespace kadrilo
