#include "analysis/analyse.h"

#include "run/module1.h"

namespace kadrilo {

// Placeholder until the tag-file reader lands.
statistiques_exif lire_fichiers_tags(Module1 &state)
{
    state.nb_objectifs = 0;
    state.objectifs.fill(QString());
    return {};
}

void publier_statistiques(const statistiques_exif &, const Module1 &, const QString &,
                          StatisticsSink &)
{
}

void analyse_exif(Module1 &state, const QString &dossierAnalyse, StatisticsSink &sink)
{
    publier_statistiques(lire_fichiers_tags(state), state, dossierAnalyse, sink);
}

} // namespace kadrilo
