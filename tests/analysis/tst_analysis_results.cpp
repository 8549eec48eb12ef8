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
    void percentages_data();
    void percentages();
    void captions_data();
    void captions();
    void writesInTheWindowOrder();
    void noFileGivesZeroEverywhere();
    void fortyThousandPhotos();
    void thirtyLensesFillOneRow();
};

void TestAnalysisResults::percentages_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("percent");
    QTest::addRow("empty class without files") << 0 << 0 << 0;
    QTest::addRow("empty class") << 0 << 7 << 0;
    QTest::addRow("1 of 3 gives 33") << 1 << 3 << 33;
    QTest::addRow("2 of 3 gives 66") << 2 << 3 << 66;
    QTest::addRow("3 of 3 gives 100") << 3 << 3 << 100;
    QTest::addRow("29 of 100 gives 28") << 29 << 100 << 28;
    QTest::addRow("29 of 50 gives 57") << 29 << 50 << 57;
    QTest::addRow("57 of 100 gives 56") << 57 << 100 << 56;
    QTest::addRow("12 of 35 gives 34") << 12 << 35 << 34;
    QTest::addRow("1 of 40000 gives 0") << 1 << 40000 << 0;
    QTest::addRow("39999 of 40000 gives 99") << 39999 << 40000 << 99;
    QTest::addRow("40000 of 40000 gives 100") << 40000 << 40000 << 100;
}

void TestAnalysisResults::percentages() {
    QFETCH(int, count);
    QFETCH(int, total);
    QFETCH(int, percent);
    QCOMPARE(percentage(count, total), percent);
}

void TestAnalysisResults::captions_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("caption");
    QTest::addRow("blank before the count only")
        << 5 << 12 << QStringLiteral(" 5 photos, soit 12%");
    QTest::addRow("empty class") << 0 << 0 << QStringLiteral(" 0 photos, soit 0%");
    QTest::addRow("all photos") << 40000 << 100 << QStringLiteral(" 40000 photos, soit 100%");
}

void TestAnalysisResults::captions() {
    QFETCH(int, count);
    QFETCH(int, percent);
    QFETCH(QString, caption);
    QCOMPARE(resultCaption(count, percent), caption);
}

void TestAnalysisResults::writesInTheWindowOrder() {
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
    const auto results = [&](ResultArray array, int count) {
        for (int e = 1; e <= count; ++e)
            expected << QStringLiteral("result %1 %2").arg(int(array)).arg(e);
    };
    results(ResultArray::Label5, 8);
    results(ResultArray::Label7, 4);
    results(ResultArray::Label9, 2);
    results(ResultArray::Label11, 24);
    expected << QStringLiteral("columns %1 2").arg(int(Chart::Lens));
    for (Chart chart : {Chart::Iso, Chart::Autofocus, Chart::Drive, Chart::Aperture, Chart::Lens})
        expected << QStringLiteral("chart %1").arg(int(chart));
    for (SummaryLine line : {SummaryLine::Label1, SummaryLine::Label2, SummaryLine::Label3})
        expected << QStringLiteral("summary %1").arg(int(line));
    QCOMPARE(sink.calls, expected);

    QCOMPARE(sink.result(ResultArray::Label5, 3), QStringLiteral(" 5 photos, soit 100%"));
    QCOMPARE(sink.result(ResultArray::Label7, 4), QStringLiteral(" 2 photos, soit 40%"));
    QCOMPARE(sink.result(ResultArray::Label9, 2), QStringLiteral(" 1 photos, soit 20%"));
    QCOMPARE(sink.result(ResultArray::Label11, 24), QStringLiteral(" 3 photos, soit 60%"));
    QCOMPARE(sink.result(ResultArray::Label11, 1), QStringLiteral(" 0 photos, soit 0%"));
    QCOMPARE(sink.summaries[SummaryLine::Label1], QStringLiteral("5 Fichiers RAW Analysés"));
    QCOMPARE(sink.summaries[SummaryLine::Label2], QStringLiteral("Type de Fichiers : RAW Canon"));
    QCOMPARE(sink.summaries[SummaryLine::Label3],
             QStringLiteral("Dossier d'analyse : /photos/2024"));

    const ChartTable iso{{0}, {0}, {100}, {0}, {0}, {0}, {0}, {0}};
    QCOMPARE(sink.tables[Chart::Iso], iso);
    QCOMPARE(sink.tables[Chart::Autofocus], (ChartTable{{0}, {0}, {0}, {40}}));
    QCOMPARE(sink.tables[Chart::Drive], (ChartTable{{0}, {20}}));
    QCOMPARE(sink.tables[Chart::Aperture].size(), 24);
    QCOMPARE(sink.tables[Chart::Aperture][23], QVector<int>{60});
    QCOMPARE(sink.tables[Chart::Lens], (ChartTable{{80, 20}}));

    const StatisticsResults computed = computeResults(stats, state, QString());
    QCOMPARE(computed.lenses.size(), 2);
    QCOMPARE(computed.lenses[0].name, QStringLiteral("Unknown 18-55mm"));
    QCOMPARE(computed.lenses[0].caption, QStringLiteral(" 4 photos, soit 80%"));
}

void TestAnalysisResults::noFileGivesZeroEverywhere() {
    Module1 state;
    RecordingSink sink;
    publier_statistiques(statistiques_exif{}, state, QString(), sink);

    QCOMPARE(sink.results.size(), size_t(8 + 4 + 2 + 24));
    for (const auto &entry : sink.results)
        QCOMPARE(entry.second, QStringLiteral(" 0 photos, soit 0%"));
    QCOMPARE(sink.summaries[SummaryLine::Label1], QStringLiteral("0 Fichiers RAW Analysés"));
    QCOMPARE(sink.summaries[SummaryLine::Label2], QStringLiteral("Type de Fichiers : RAW "));
    QCOMPARE(sink.columnCounts[Chart::Lens], 0);
    // One row without columns: the lens chart has no data to show.
    QCOMPARE(sink.tables[Chart::Lens], ChartTable(1));
    QCOMPARE(sink.tables[Chart::Iso], ChartTable(8, QVector<int>{0}));
}

void TestAnalysisResults::fortyThousandPhotos() {
    statistiques_exif stats;
    stats.nb_fichiers = 40000;
    stats.compte_iso[0] = 29000;
    stats.compte_iso[7] = 11000;
    stats.compte_drive[0] = 40000;
    Module1 state;
    RecordingSink sink;
    publier_statistiques(stats, state, QString(), sink);
    QCOMPARE(sink.result(ResultArray::Label5, 1), QStringLiteral(" 29000 photos, soit 72%"));
    QCOMPARE(sink.result(ResultArray::Label5, 8), QStringLiteral(" 11000 photos, soit 27%"));
    QCOMPARE(sink.result(ResultArray::Label9, 1), QStringLiteral(" 40000 photos, soit 100%"));
    QCOMPARE(sink.summaries[SummaryLine::Label1], QStringLiteral("40000 Fichiers RAW Analysés"));
}

void TestAnalysisResults::thirtyLensesFillOneRow() {
    statistiques_exif stats;
    stats.nb_fichiers = 30;
    Module1 state;
    state.nb_objectifs = 30;
    for (int s = 0; s < 30; ++s) {
        state.objectifs[size_t(s)] = QStringLiteral("Lens %1").arg(s + 1);
        stats.compte_objectifs[size_t(s)] = 1;
    }
    stats.compte_objectifs[29] = 3;
    RecordingSink sink;
    publier_statistiques(stats, state, QString(), sink);
    QCOMPARE(sink.columnCounts[Chart::Lens], 30);
    const ChartTable &lens = sink.tables[Chart::Lens];
    QCOMPARE(lens.size(), 1);
    QCOMPARE(lens[0].size(), 30);
    QCOMPARE(lens[0][0], 3);
    QCOMPARE(lens[0][29], 10);
}

QTEST_GUILESS_MAIN(TestAnalysisResults)
#include "tst_analysis_results.moc"
