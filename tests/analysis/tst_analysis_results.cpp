#include "analysis/analyse.h"
#include "analysis/results.h"
#include "recording_sink.h"
#include "run/module1.h"

#include <QTest>

using namespace kadrilo;
using kadrilo::test::RecordingSink;

class TestAnalysisResults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Percentages are cut down, never rounded; the caption starts with one blank.
    void captions_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("total");
        QTest::addColumn<QString>("caption");
        const auto row = [](int count, int total, const char *caption) {
            QTest::addRow("%d of %d", count, total) << count << total << QString::fromUtf8(caption);
        };
        row(0, 0, " 0 photos, soit 0%");
        row(1, 3, " 1 photos, soit 33%");
        row(2, 3, " 2 photos, soit 66%");
        row(3, 3, " 3 photos, soit 100%");
        row(29, 100, " 29 photos, soit 28%");
        row(29, 50, " 29 photos, soit 57%");
        row(57, 100, " 57 photos, soit 56%");
        row(39999, 40000, " 39999 photos, soit 99%");
        row(40000, 40000, " 40000 photos, soit 100%");
    }

    void captions() {
        QFETCH(int, count);
        QFETCH(int, total);
        QFETCH(QString, caption);
        QCOMPARE(resultCaption(count, percentage(count, total)), caption);
    }

    void writesInTheWindowOrder() {
        statistiques_exif stats;
        stats.nb_fichiers = 5;
        stats.compte_iso[2] = 5;
        stats.compte_af[3] = 2;
        stats.compte_drive[1] = 1;
        stats.compte_diaph[23] = 3;
        stats.compte_objectifs = {4, 1};
        Module1 state;
        state.type_raw = QStringLiteral("Canon");
        state.nb_objectifs = 2;
        state.objectifs[0] = QStringLiteral("Unknown 18-55mm");
        state.objectifs[1] = QStringLiteral("Canon EF 50mm f/1.8");
        RecordingSink sink;
        publier_statistiques(stats, state, QStringLiteral("/photos/2024"), sink);

        QStringList expected;
        const std::pair<ResultArray, int> arrays[] = {{ResultArray::Label5, 8},
                                                      {ResultArray::Label7, 4},
                                                      {ResultArray::Label9, 2},
                                                      {ResultArray::Label11, 24}};
        for (const auto &[array, count] : arrays)
            for (int e = 1; e <= count; ++e)
                expected << QStringLiteral("result %1 %2").arg(int(array)).arg(e);
        expected << QStringLiteral("columns %1 2").arg(int(Chart::Lens));
        for (Chart chart :
             {Chart::Iso, Chart::Autofocus, Chart::Drive, Chart::Aperture, Chart::Lens})
            expected << QStringLiteral("chart %1").arg(int(chart));
        for (SummaryLine line : {SummaryLine::Label1, SummaryLine::Label2, SummaryLine::Label3})
            expected << QStringLiteral("summary %1").arg(int(line));
        QCOMPARE(sink.calls, expected);

        QCOMPARE(sink.result(ResultArray::Label5, 3) + sink.result(ResultArray::Label7, 4) +
                     sink.result(ResultArray::Label9, 2) + sink.result(ResultArray::Label11, 24),
                 QStringLiteral(" 5 photos, soit 100% 2 photos, soit 40% 1 photos, soit 20%"
                                " 3 photos, soit 60%"));
        // Unlike the results, the summary lines have no leading blank.
        QCOMPARE(
            QStringList({sink.summaries[SummaryLine::Label1], sink.summaries[SummaryLine::Label2],
                         sink.summaries[SummaryLine::Label3]})
                .join(QLatin1Char('|')),
            QStringLiteral("5 Fichiers RAW Analysés|Type de Fichiers : RAW Canon|"
                           "Dossier d'analyse : /photos/2024"));

        QCOMPARE(sink.tables[Chart::Iso], (ChartTable{{0}, {0}, {100}, {0}, {0}, {0}, {0}, {0}}));
        QCOMPARE(sink.tables[Chart::Autofocus], (ChartTable{{0}, {0}, {0}, {40}}));
        QCOMPARE(sink.tables[Chart::Drive], (ChartTable{{0}, {20}}));
        QCOMPARE(sink.tables[Chart::Aperture].value(23), QVector<int>{60});
        QCOMPARE(sink.tables[Chart::Lens], (ChartTable{{80, 20}}));
        const StatisticsResults computed = computeResults(stats, state, QString());
        QCOMPARE(computed.lenses.size(), 2);
        QCOMPARE(computed.lenses[0].name, QStringLiteral("Unknown 18-55mm"));
        QCOMPARE(computed.lenses[0].caption, QStringLiteral(" 4 photos, soit 80%"));
    }

    void thirtyLensesFillOneRow() {
        statistiques_exif stats;
        stats.nb_fichiers = 30;
        Module1 state;
        state.nb_objectifs = 30;
        for (int s = 0; s < 30; ++s) {
            state.objectifs[size_t(s)] = QStringLiteral("Lens %1").arg(s + 1);
            stats.compte_objectifs[size_t(s)] = s == 29 ? 3 : 1;
        }
        RecordingSink sink;
        publier_statistiques(stats, state, QString(), sink);
        QCOMPARE(sink.columnCounts[Chart::Lens], 30);
        const ChartTable &lens = sink.tables[Chart::Lens];
        QCOMPARE(lens.size(), 1);
        QCOMPARE(lens[0].size(), 30);
        QCOMPARE(lens[0][0], 3);
        QCOMPARE(lens[0][29], 10);
    }
};

QTEST_GUILESS_MAIN(TestAnalysisResults)
#include "tst_analysis_results.moc"
