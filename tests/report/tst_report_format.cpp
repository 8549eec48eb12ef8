#include "analysis/results.h"
#include "csv_reader.h"
#include "report/report_format.h"
#include "run/module1.h"

#include <QTest>

using namespace kadrilo;
using namespace kadrilo::report;

namespace {

QString s(const char *text) {
    return QString::fromUtf8(text);
}

// Lens names that a naive CSV writer would break: a comma, quotes, a line break.
const QStringList awkwardLenses{s("Canon EF 70-200mm f/2.8L, IS"), s("Sigma \"Art\" 35mm"),
                                s("Zoom\r\nsur deux lignes")};

// An analysis of 7 photos.
StatisticsResults sampleResults() {
    statistiques_exif stats;
    Module1 state;
    stats.nb_fichiers = 7;
    stats.compte_iso = {3, 0, 2, 0, 0, 0, 0, 1};
    stats.compte_drive = {6, 1};
    state.type_raw = s("Canon");
    state.nb_objectifs = 3;
    for (std::size_t i = 0; i < 3; ++i)
        state.objectifs[i] = awkwardLenses.at(int(i));
    stats.compte_objectifs[0] = 4;
    stats.compte_objectifs[1] = 2;
    stats.compte_objectifs[2] = 1;
    return computeResults(stats, state, s("/photos"));
}

} // namespace

class TestReportFormat : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void csvRoundTripKeepsNamesAndCounts() {
        const StatisticsResults results = sampleResults();
        const QVector<QStringList> rows = test::parseCsv(formatCsv(results));
        // 8 ISO bands, 24 apertures, 2 drive modes, 4 autofocus modes, then the 3 lenses.
        QCOMPARE(rows.size(), 1 + 8 + 24 + 2 + 4 + 3);
        QCOMPARE(rows.at(0),
                 (QStringList{s("categorie"), s("classe"), s("photos"), s("pourcentage")}));
        QCOMPARE(rows.at(3), (QStringList{s("iso"), s("400 (320 à 500)"), s("2"), s("28")}));
        // Apertures go by their name, row 8 with its slash.
        QCOMPARE(rows.at(1 + 8 + 7), (QStringList{s("diaphragme"), s("F/2.8"), s("0"), s("0")}));
        QCOMPARE(rows.at(1 + 8 + 24),
                 (QStringList{s("motorisation"), s("Mode vue par vue"), s("6"), s("85")}));
        QCOMPARE(rows.at(1 + 8 + 24 + 2 + 3),
                 (QStringList{s("mode_af"), s("AI Focus"), s("0"), s("0")}));
        const int percents[] = {57, 28, 14};
        for (int i = 0; i < 3; ++i) {
            const QStringList &row = rows.at(rows.size() - 3 + i);
            QCOMPARE(row, (QStringList{s("objectifs"), awkwardLenses.at(i),
                                       QString::number(results.lenses[i].count),
                                       QString::number(percents[i])}));
        }
        // A bare carriage return would end the row for many readers.
        QVERIFY(formatCsv(results).contains(s(",\"Zoom\r\nsur deux lignes\",")));
    }

    void texteWordsEveryClassAsTheWindow() {
        const QStringList lines = formatTexte(sampleResults()).split(u'\n');
        QCOMPARE(lines.mid(0, 5),
                 (QStringList{s("7 Fichiers RAW Analysés"), s("Type de Fichiers : RAW Canon"),
                              s("Dossier d'analyse : /photos"), QString(), s("[ISO]")}));
        QVERIFY(lines.contains(s("400 : 2 photos, soit 28%")));
        QVERIFY(lines.contains(s("F/2.8 : 0 photos, soit 0%")));
        QVERIFY(lines.contains(s("Sigma \"Art\" 35mm : 2 photos, soit 28%")));
        QCOMPARE(lines.mid(lines.size() - 3),
                 (QStringList{s("[Focales]"), s("Non fonctionnel pour le moment !"), QString()}));
    }
};

QTEST_GUILESS_MAIN(TestReportFormat)
#include "tst_report_format.moc"
