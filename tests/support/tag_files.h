#pragma once

#include <QString>
#include <QStringList>

namespace kadrilo::test {

// The tag files (*.txt) in `folder`, by name.
QStringList tagFiles(const QString &folder);

} // namespace kadrilo::test
