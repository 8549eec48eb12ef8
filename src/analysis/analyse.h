#pragma once

#include "analysis/results.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>

namespace kadrilo {

struct Module1;

// Reads every tag file of `state.dossier_temp` (sorted by name), refills the lens list of
// `state` and counts the classes.
statistiques_exif lire_fichiers_tags(Module1 &state);

// Reads the tag files at `paths`, in that order, refilling the lens list of `state`: the
// report's reading, which also counts its own classes into `shots`. Every path counts as an
// analysed file, also one that cannot be read; given `keeps`, only the files whose content
// it keeps count (an unreadable file has an empty content).
statistiques_exif countTagFiles(const QStringList &paths, Module1 &state, ShotCounts &shots,
                                const std::function<bool(QByteArrayView)> &keeps = {});

// Reads the tag files and shows their results in `view` (the statistics window), as one
// value. `dossierAnalyse` is the analysed folder, as shown to the person.
void analyse_exif(Module1 &state, const QString &dossierAnalyse, ResultsView &view);

} // namespace kadrilo
