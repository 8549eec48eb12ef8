#include "run/extraction.h"

#include "platform/platform.h"
#include "run/module1.h"

namespace kadrilo {

ExiftoolRun::Outcome extraire_exif(Module1 &state, const QString &dossier, ExiftoolRun *run,
                                   const QStringList &extraTags) {
    if (state.type_raw == QLatin1String("Canon"))
        state.filtre_extension = QString::fromUtf16(canonExtensionFilter);

    ExiftoolCommandInput input;
    input.exiftoolPath = state.chemin_exiftool;
    input.extensionFilter = state.filtre_extension;
    input.recursive = state.option_recursive;
    input.tempShortPath = platform::platform().shortPath(state.dossier_temp);
    input.imageFolder = dossier;
    input.separator = platform::separator();
    input.extraTags = extraTags;
    const ExiftoolCommand command = buildExiftoolCommand(input);
    state.ligne_commande = command.line;

    ExiftoolRun ownRun;
    const auto outcome = executer_commande(command, run ? *run : ownRun);
    state.extraction_faite = true;
    return outcome;
}

ExiftoolRun::Outcome executer_commande(const ExiftoolCommand &commande, ExiftoolRun &run) {
    return run.run(commande);
}

} // namespace kadrilo
