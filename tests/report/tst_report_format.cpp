#include "csv_reader.h"
#include "report/recording_sink.h"
#include "report/report_format.h"
#include "report/report_results.h"
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

// An analysis of 7 photos as the report assembles it: counts and lens names from the record,
// captions and percentages from what the analysis wrote into the window (here, a sink).
ReportResults sampleResults() {
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

    RecordingSink sink;
    ChartTable iso(8, QVector<int>(1, 0));
    iso[2][0] = 28;
    sink.setChartData(Chart::Iso, iso);
    sink.setResult(ResultArray::Label5, 3, s(" 2 photos, soit 28%"));
    sink.setColumnCount(Chart::Lens, 3);
    sink.setChartData(Chart::Lens, ChartTable{{57, 28, 14}});
    return assembleResults(stats, state, s("/photos"), sink.recorded());
}

} // namespace

class TestReportFormat : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void csvRoundTripKeepsNamesAndCounts() {
        const ReportResults results = sampleResults();
        const QVector<QStringList> rows = test::parseCsv(formatCsv(results));
        QVector<QStringList> expected{{s("categorie"), s("classe"), s("photos"), s("pourcentage")}};
        for (const ReportCategory &category : results.categories) {
            for (const ReportClass &item : category.classes)
                expected << QStringList{category.key, item.name, QString::number(item.photos),
                                        QString::number(item.percent)};
        }
        QCOMPARE(rows, expected);
        // 8 ISO bands, 24 apertures, 2 drive modes, 4 autofocus modes, then the 3 lenses.
        QCOMPARE(rows.size(), 1 + 8 + 24 + 2 + 4 + 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(rows.at(rows.size() - 3 + i).at(1), awkwardLenses.at(i));
        QCOMPARE(rows.at(rows.size() - 3).at(2), s("4"));
        // A bare carriage return would end the row for many readers.
        QVERIFY(formatCsv(results).contains(s(",\"Zoom\r\nsur deux lignes\",")));
    }

    void resultsTakeCaptionsFromTheSinkAndCountsFromTheRecord() {
        const ReportResults results = sampleResults();
        QCOMPARE(results.categories.size(), 5);
        // Result, photos and percent of class `i` of a category.
        const auto at = [&](const char16_t *key, int i) {
            const ReportCategory *category = results.category(QString::fromUtf16(key));
            if (!category || i >= category->classes.size())
                return QStringList();
            const ReportClass &item = category->classes.at(i);
            return QStringList{item.result, QString::number(item.photos),
                               QString::number(item.percent)};
        };
        QCOMPARE(at(keyIso, 2), QStringList({s(" 2 photos, soit 28%"), s("2"), s("28")}));
        // The drive results were never written: the window would still show its design text,
        // the report shows nothing, and a missing table reads as 0 per cent.
        QCOMPARE(at(keyDrive, 0), QStringList({QString(), s("6"), s("0")}));
        QCOMPARE(at(keyLens, 2), QStringList({s(" 1 photos, soit 14%"), s("1"), s("14")}));
        QCOMPARE(at(keyLens, 3), QStringList()); // one class per collected lens
    }

    void sinkDropsWritesOutsideTheWindowSlots() {
        RecordingSink sink;
        sink.setResult(ResultArray::Label11, 25, s("beyond the 24 apertures"));
        sink.setResult(ResultArray::Label5, 0, s("hidden placeholder"));
        sink.setResult(ResultArray::Label11, 24, s("F/22"));
        sink.setColumnCount(Chart::Iso, 9);
        const RecordedStatistics &recorded = sink.recorded();
        QCOMPARE(recorded.label11.back(), s("F/22"));
        QCOMPARE(recorded.label5.front(), QString());
        QCOMPARE(recorded.lensColumnCount, -1);
        QCOMPARE(recorded.cell(Chart::Lens, 1, 1), 0);
    }
};

QTEST_GUILESS_MAIN(TestReportFormat)
#include "tst_report_format.moc"
