#pragma once

#include <QString>

#include <array>

namespace kadrilo {

// The state that Kadrilo's windows share for the whole life of the program. One instance is
// owned by the program and handed by reference to the windows and routines that use it.
struct Module1 {
    static constexpr int lens_slots = 30;

    // Raw type chosen on the main window: "" until the statistics button is first used,
    // "Canon" from then on.
    QString type_raw;
    // " -ext .cr2 -ext .crw" once an extraction has run for Canon files, "" before that.
    QString filtre_extension;
    // Step due in the work window: "lectureraw", "analyseexif", or "" before the first cycle.
    QString etape_travail;
    // 1: include sub-folders; 0: the chosen folder only.
    int option_recursive = 0;
    // Full path of the temp folder, ending with exactly one separator. Set once at start-up.
    QString dossier_temp;
    // True once the extraction of the current work cycle has run.
    bool extraction_faite = false;
    // Full path of exiftool.exe in the program folder. Set once at start-up.
    QString chemin_exiftool;
    // The ExifTool command line last built.
    QString ligne_commande;
    // Number of filled entries of `objectifs`, 0 to 30.
    int nb_objectifs = 0;
    // Distinct lens names in order of first appearance; slot s (1..30) is objectifs[s - 1].
    // Unfilled entries are empty; filled ones have no gaps.
    std::array<QString, lens_slots> objectifs;
};

} // namespace kadrilo
