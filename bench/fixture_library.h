#pragma once

#include <QString>

namespace kadrilo::bench {

// Writes `images` fixture raw images that the real ExifTool reads under `root`, as a camera
// and its owner leave them: folders of 20 images, 10 folders per year, the same names
// IMG_0001... in every folder, six lenses, two bodies, varied ISO, apertures and modes. With
// `cr3Share` > 0, one image in `cr3Share` is a CR3 (a newer body's). False when a file cannot
// be written.
bool writeLibrary(const QString &root, int images, int cr3Share = 0);

// The path of image `index` of such a library.
QString libraryImagePath(const QString &root, int index, int cr3Share = 0);

// The load averages of the last 1, 5 and 15 minutes, printed beside the figures: the machine
// may be shared. "?" where the system does not tell.
QString loadAverage();

} // namespace kadrilo::bench
