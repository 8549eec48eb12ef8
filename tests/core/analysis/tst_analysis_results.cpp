#include "analysis/analyse.h"
#include "analysis/results.h"

#include <QTest>

using namespace kadrilo;

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

    void resultsOfOneAnalysis() {
        statistiques_exif stats;
        stats.nb_fichiers = 5;
        stats.compte_iso[2] = 5;
        stats.compte_af[3] = 2;
        stats.compte_drive[1] = 1;
        stats.compte_diaph[23] = 3;
        stats.compte_objectifs = {4, 1};
        stats.nb_objectifs = 2;
        stats.objectifs[0] = QStringLiteral("Unknown 18-55mm");
        stats.objectifs[1] = QStringLiteral("Canon EF 50mm f/1.8");
        const StatisticsResults results =
            computeResults(stats, QStringLiteral("Canon"), QStringLiteral("/photos/2024"));

        QCOMPARE(results.iso[2].caption + results.autofocus[3].caption + results.drive[1].caption +
                     results.aperture[23].caption,
                 QStringLiteral(" 5 photos, soit 100% 2 photos, soit 40% 1 photos, soit 20%"
                                " 3 photos, soit 60%"));
        // Unlike the results, the summary lines have no leading blank.
        QCOMPARE(QStringList({results.fileCountLine, results.rawTypeLine, results.folderLine})
                     .join(QLatin1Char('|')),
                 QStringLiteral("5 Fichiers RAW Analysés|Type de Fichiers : RAW Canon|"
                                "Dossier d'analyse : /photos/2024"));

        QCOMPARE(results.table(Chart::Iso), (ChartTable{{0}, {0}, {100}, {0}, {0}, {0}, {0}, {0}}));
        QCOMPARE(results.table(Chart::Autofocus), (ChartTable{{0}, {0}, {0}, {40}}));
        QCOMPARE(results.table(Chart::Drive), (ChartTable{{0}, {20}}));
        QCOMPARE(results.table(Chart::Aperture).value(23), QVector<int>{60});
        QCOMPARE(results.table(Chart::Lens), (ChartTable{{80, 20}}));
        QCOMPARE(results.table(Chart::Lens).first().size(), 2);
        QCOMPARE(results.lenses.size(), 2);
        QCOMPARE(results.lenses[0].name, QStringLiteral("Unknown 18-55mm"));
        QCOMPARE(results.lenses[0].caption, QStringLiteral(" 4 photos, soit 80%"));
    }

    void thirtyLensesFillOneRow() {
        statistiques_exif stats;
        stats.nb_fichiers = 30;
        stats.nb_objectifs = 30;
        for (int s = 0; s < 30; ++s) {
            stats.objectifs[size_t(s)] = QStringLiteral("Lens %1").arg(s + 1);
            stats.compte_objectifs[size_t(s)] = s == 29 ? 3 : 1;
        }
        const StatisticsResults results = computeResults(stats, QString(), QString());
        QCOMPARE(results.table(Chart::Lens).first().size(), 30);
        const ChartTable &lens = results.table(Chart::Lens);
        QCOMPARE(lens.size(), 1);
        QCOMPARE(lens[0].size(), 30);
        QCOMPARE(lens[0][0], 3);
        QCOMPARE(lens[0][29], 10);
    }
};

QTEST_GUILESS_MAIN(TestAnalysisResults)
#include "tst_analysis_results.moc"
