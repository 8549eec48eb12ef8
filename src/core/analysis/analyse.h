#pragma once

#include "analysis/results.h"
#include "run/extraction.h"

#include <QString>
#include <QStringList>

namespace kadrilo {

struct Module1;

// Reads every tag file of `state.dossier_temp` (sorted by name) and counts the classes and
// the lenses. A tag file that holds ExifTool's error instead of tags stands for an image that
// was not read: it counts nowhere and goes to `unread`, if given.
statistiques_exif lire_fichiers_tags(const Module1 &state, QVector<UnreadImage> *unread = nullptr);

// Reads the tag files and shows their results in `view` (the statistics window), as one
// value, and keeps the lenses found in the lens list of `state`. `dossierAnalyse` is the
// analysed folder, as shown to the person. With `extraction`, the images analysed and the
// tag files of unread images are added to what the run left.
void analyse_exif(Module1 &state, const QString &dossierAnalyse, ResultsView &view,
                  ExtractionResult *extraction = nullptr);

} // namespace kadrilo
