#pragma once

#include "run/exiftool_run.h"

#include <QString>

namespace kadrilo {

struct Module1;

// Builds the ExifTool command for the image folder `dossier` from the shared state (setting
// `filtre_extension` and `ligne_commande`), runs it to its end, then sets
// `extraction_faite`, whether or not ExifTool wrote anything. `run` may be given to cancel
// the run or follow its progress; without it a run of its own is used. `extraTags` are asked
// for beyond the seven of the form with sub-folders (the report's).
ExiftoolRun::Outcome extraire_exif(Module1 &state, const QString &dossier,
                                   ExiftoolRun *run = nullptr, const QStringList &extraTags = {});

// Starts `commande` as a new process and returns when it has ended. A start that keeps
// failing is given up quietly: the caller learns it from the missing tag files, and from
// the outcome.
ExiftoolRun::Outcome executer_commande(const ExiftoolCommand &commande, ExiftoolRun &run);

} // namespace kadrilo
