#include "run/image_count.h"

#include <QDirIterator>

namespace kadrilo {

int countRawImages(const QString &folder, bool recursive) {
    const QDirIterator::IteratorFlags flags =
        recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags;
    QDirIterator it(folder, {QStringLiteral("*.cr2"), QStringLiteral("*.crw")},
                    QDir::Files | QDir::NoDotAndDotDot, flags);
    int count = 0;
    while (it.hasNext()) {
        it.next();
        ++count;
    }
    return count;
}

} // namespace kadrilo
