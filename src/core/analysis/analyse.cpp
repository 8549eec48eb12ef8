#include "analysis/analyse.h"

#include "analysis/tag_file_reader.h"
#include "analysis/tag_rules.h"
#include "platform/platform.h"
#include "run/module1.h"

#include <QStringList>

namespace kadrilo {

static_assert(statistiques_exif::lens_slots == Module1::lens_slots,
              "the shared lens list holds every lens the analysis counts");

statistiques_exif lire_fichiers_tags(const Module1 &state, QVector<UnreadImage> *unread) {
    statistiques_exif stats;
    // Without a temp folder there is nothing to read (an empty path would mean the
    // current folder).
    if (state.dossier_temp.isEmpty())
        return stats;

    const QString folder = platform::withTrailingSeparator(state.dossier_temp);
    TagFileReader reader;
    for (const QString &name : platform::platform().listTagFiles(state.dossier_temp)) {
        // A file that vanished or cannot be opened still counts as analysed, with nothing
        // in it.
        const bool opened = reader.read(folder + name);
        UnreadImage image;
        // An entry that is no regular file (a FIFO, a link) was never a tag file ExifTool
        // wrote: its image is told apart, unread.
        if (!opened && !reader.failure().isEmpty()) {
            if (unread)
                unread->append({folder + name, QStringLiteral("son fichier de tags n'a pas été "
                                                              "lu : ") +
                                                   reader.failure()});
            continue;
        }
        // ExifTool's error, or a file that it does not take for a Canon raw image.
        const ImageTags tags = readImageTags(reader.content());
        bool uncounted = !tags.error.isNull();
        if (uncounted) {
            image.reason = QString::fromUtf8(tags.error);
        } else if (opened) {
            image.reason = uncountedReason(tags, state.option_recursive == 1);
            uncounted = !image.reason.isEmpty();
        }
        if (uncounted) {
            if (unread) {
                image.path = taggedImagePath(tags);
                unread->append(image);
            }
            continue;
        }
        ++stats.nb_fichiers;
        countImage(tags, stats);
    }
    return stats;
}

void analyse_exif(Module1 &state, const QString &dossierAnalyse, ResultsView &view,
                  ExtractionResult *extraction) {
    QVector<UnreadImage> unread;
    const statistiques_exif stats = lire_fichiers_tags(state, &unread);
    if (extraction) {
        extraction->imagesAnalysed = stats.nb_fichiers;
        addUnreadTagFiles(*extraction, unread);
    }
    state.nb_objectifs = stats.nb_objectifs;
    state.objectifs = stats.objectifs;
    view.showResults(computeResults(stats, state.type_raw, dossierAnalyse));
}

} // namespace kadrilo
