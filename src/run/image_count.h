#pragma once

#include <QString>

namespace kadrilo {

// Number of Canon raw images (.cr2, .crw, any letter case) that ExifTool will process in
// `folder`, descending into sub-folders when `recursive` is set.
int countRawImages(const QString &folder, bool recursive);

} // namespace kadrilo
