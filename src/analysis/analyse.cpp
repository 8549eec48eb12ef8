#include "analysis/analyse.h"

#include "analysis/tag_file_reader.h"
#include "analysis/tag_rules.h"
#include "platform/platform.h"
#include "run/module1.h"

#include <QStringList>

namespace kadrilo {

statistiques_exif lire_fichiers_tags(Module1 &state) {
    clearLenses(state);
    statistiques_exif stats;
    // Without a temp folder there is nothing to read (an empty path would mean the
    // current folder).
    if (state.dossier_temp.isEmpty())
        return stats;

    const QStringList names = platform::platform().listTagFiles(state.dossier_temp);
    stats.nb_fichiers = int(names.size());

    const QString folder = platform::withTrailingSeparator(state.dossier_temp);
    TagFileReader reader;
    for (const QString &name : names) {
        // A file that vanished or cannot be opened still counts as analysed, with nothing
        // in it.
        if (reader.read(folder + name))
            countContent(reader.content(), stats, state);
    }
    return stats;
}

statistiques_exif countTagFiles(const QStringList &paths, Module1 &state, ShotCounts &shots,
                                const std::function<bool(QByteArrayView)> &keeps) {
    clearLenses(state);
    statistiques_exif stats;
    stats.nb_fichiers = keeps ? 0 : int(paths.size());
    TagFileReader reader;
    for (const QString &path : paths) {
        const bool read = reader.read(path);
        if (keeps) {
            if (!keeps(read ? reader.content() : QByteArrayView()))
                continue;
            ++stats.nb_fichiers;
        }
        if (read)
            countContent(reader.content(), stats, state, shots);
    }
    return stats;
}

void analyse_exif(Module1 &state, const QString &dossierAnalyse, ResultsView &view) {
    const statistiques_exif stats = lire_fichiers_tags(state);
    view.showResults(computeResults(stats, state, dossierAnalyse));
}

} // namespace kadrilo
