#pragma once

#include <QString>

namespace kadrilo::test {

// A QString from a UTF-8 literal: the build forbids the implicit conversion
// (QT_NO_CAST_FROM_ASCII), and tests spell many strings.
inline QString s(const char *text) {
    return QString::fromUtf8(text);
}

} // namespace kadrilo::test
