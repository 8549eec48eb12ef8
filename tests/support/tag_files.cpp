#include "support/tag_files.h"

#include <QDir>

namespace kadrilo::test {

QStringList tagFiles(const QString &folder) {
    return QDir(folder).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
}

} // namespace kadrilo::test
