#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <utility>

namespace kadrilo::test {

// Reads CSV text as RFC 4180 has it: quoted fields may hold commas, doubled quotes and line
// breaks. Written independently of the formatter so that a round trip proves something.
inline QVector<QStringList> parseCsv(const QString &text) {
    QVector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted && c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"')
            field += text.at(i++);
        else if (c == u'"')
            quoted = !quoted;
        else if (quoted || (c != u',' && c != u'\n'))
            field += c;
        else {
            row << field;
            field.clear();
            if (c == u'\n')
                rows << std::exchange(row, {});
        }
    }
    if (!field.isEmpty() || !row.isEmpty())
        rows << (row << field);
    return rows;
}

} // namespace kadrilo::test
