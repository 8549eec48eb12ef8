#include "analysis/results.h"
#include "csv_reader.h"
#include "report/recording_sink.h"
#include "report/report_format.h"
#include "report/report_results.h"
#include "run/module1.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace kadrilo;
using namespace kadrilo::report;

namespace {

// A complete analysis of 7 photos written into a recording sink, with awkward lens names.
struct Fixture {
    statistiques_exif stats;
    Module1 state;
    RecordingSink sink;

    Fixture() {
        stats.nb_fichiers = 7;
        stats.compte_iso = {3, 0, 2, 0, 0, 0, 0, 1};
        stats.compte_diaph[7] = 4; // F/2.8
        stats.compte_diaph[23] = 1;
        stats.compte_af = {5, 1, 0, 1};
        stats.compte_drive = {6, 1};
        state.type_raw = QStringLiteral("Canon");
        const QStringList lenses{QStringLiteral("Canon EF 70-200mm f/2.8L, IS"),
                                 QStringLiteral("Sigma \"Art\" 35mm"),
                                 QStringLiteral("Zoom\nsur deux lignes")};
        for (int s = 0; s < lenses.size(); ++s)
            state.objectifs[std::size_t(s)] = lenses.at(s);
        state.nb_objectifs = int(lenses.size());
        stats.compte_objectifs[0] = 4;
        stats.compte_objectifs[1] = 2;
        stats.compte_objectifs[2] = 1;

        // What the analysis writes: percentages into the tables, captions into the labels.
        ChartTable iso(8, QVector<int>(1, 0));
        for (int k = 0; k < 8; ++k) {
            iso[k][0] = stats.compte_iso[std::size_t(k)] * 100 / 7;
            sink.setResult(ResultArray::Label5, k + 1,
                           resultCaption(stats.compte_iso[std::size_t(k)], iso[k][0]));
        }
        sink.setChartData(Chart::Iso, iso);
        sink.setColumnCount(Chart::Lens, 3);
        sink.setChartData(Chart::Lens, ChartTable{{57, 28, 14}});
        sink.setSummary(SummaryLine::Label1, QStringLiteral("7 Fichiers RAW Analysés"));
        sink.setSummary(SummaryLine::Label2, QStringLiteral("Type de Fichiers : RAW Canon"));
        sink.setSummary(SummaryLine::Label3, QStringLiteral("Dossier d'analyse : /photos"));
    }

    ReportResults results() const {
        return assembleResults(stats, state, QStringLiteral("/photos"), sink.recorded());
    }
};

} // namespace

class TestReportFormat : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void csvField_data();
    void csvField();
    void csvRoundTripKeepsNamesAndCounts();
    void jsonParsesWithOneArrayPerCategory();
    void texteFollowsTheWindowTabByTab();
    void resultsTakeCaptionsFromTheSinkAndCountsFromTheRecord();
    void sinkDropsWritesOutsideTheWindowSlots();
};

void TestReportFormat::csvField_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("written");
    QTest::addRow("plain text stays bare") << QStringLiteral("F/2.8") << QStringLiteral("F/2.8");
    QTest::addRow("accents stay bare")
        << QStringLiteral("100 (50 à 125)") << QStringLiteral("100 (50 à 125)");
    QTest::addRow("empty field stays empty") << QString() << QString();
    QTest::addRow("comma is quoted")
        << QStringLiteral("f/2.8L, IS") << QStringLiteral("\"f/2.8L, IS\"");
    QTest::addRow("quote is doubled and quoted")
        << QStringLiteral("Sigma \"Art\"") << QStringLiteral("\"Sigma \"\"Art\"\"\"");
    QTest::addRow("line feed is quoted") << QStringLiteral("a\nb") << QStringLiteral("\"a\nb\"");
    QTest::addRow("carriage return is quoted")
        << QStringLiteral("a\rb") << QStringLiteral("\"a\rb\"");
    QTest::addRow("blanks alone are not quoted")
        << QStringLiteral(" a b ") << QStringLiteral(" a b ");
}

void TestReportFormat::csvField() {
    QFETCH(QString, field);
    QFETCH(QString, written);
    QCOMPARE(report::csvField(field), written);
}

void TestReportFormat::csvRoundTripKeepsNamesAndCounts() {
    const Fixture fixture;
    const ReportResults results = fixture.results();
    const QVector<QStringList> rows = kadrilo::test::parseCsv(formatCsv(results));

    QVERIFY(!rows.isEmpty());
    QCOMPARE(rows.first(), QStringList({QStringLiteral("categorie"), QStringLiteral("classe"),
                                        QStringLiteral("photos"), QStringLiteral("pourcentage")}));
    int row = 1;
    for (const ReportCategory &category : results.categories) {
        for (const ReportClass &item : category.classes) {
            QVERIFY2(row < rows.size(), "a class is missing from the CSV");
            const QStringList expected{category.key, item.name, QString::number(item.photos),
                                       QString::number(item.percent)};
            QCOMPARE(rows.at(row), expected);
            ++row;
        }
    }
    QCOMPARE(rows.size(), row);
    // 8 ISO bands, 24 apertures, 2 drive modes, 4 autofocus modes, 3 lenses.
    QCOMPARE(rows.size(), 1 + 8 + 24 + 2 + 4 + 3);
    QCOMPARE(rows.at(rows.size() - 3).at(1), QStringLiteral("Canon EF 70-200mm f/2.8L, IS"));
    QCOMPARE(rows.at(rows.size() - 3).at(2), QStringLiteral("4"));
    QCOMPARE(rows.at(rows.size() - 2).at(1), QStringLiteral("Sigma \"Art\" 35mm"));
    QCOMPARE(rows.at(rows.size() - 1).at(1), QStringLiteral("Zoom\nsur deux lignes"));
}

void TestReportFormat::jsonParsesWithOneArrayPerCategory() {
    const Fixture fixture;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(formatJson(fixture.results()), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QVERIFY(document.isObject());
    const QJsonObject root = document.object();

    QCOMPARE(root.keys(), QStringList({QStringLiteral("diaphragme"), QStringLiteral("iso"),
                                       QStringLiteral("mode_af"), QStringLiteral("motorisation"),
                                       QStringLiteral("objectifs"), QStringLiteral("resume")}));
    const QJsonObject summary = root.value(QStringLiteral("resume")).toObject();
    QCOMPARE(summary.value(QStringLiteral("fichiers")).toInt(), 7);
    QCOMPARE(summary.value(QStringLiteral("type")).toString(), QStringLiteral("Canon"));
    QCOMPARE(summary.value(QStringLiteral("dossier")).toString(), QStringLiteral("/photos"));
    QCOMPARE(summary.value(QStringLiteral("lignes")).toArray().at(0).toString(),
             QStringLiteral("7 Fichiers RAW Analysés"));

    QCOMPARE(root.value(QStringLiteral("iso")).toArray().size(), 8);
    QCOMPARE(root.value(QStringLiteral("diaphragme")).toArray().size(), 24);
    QCOMPARE(root.value(QStringLiteral("motorisation")).toArray().size(), 2);
    QCOMPARE(root.value(QStringLiteral("mode_af")).toArray().size(), 4);
    const QJsonArray lenses = root.value(QStringLiteral("objectifs")).toArray();
    QCOMPARE(lenses.size(), 3);
    const QJsonObject second = lenses.at(1).toObject();
    QCOMPARE(second.value(QStringLiteral("classe")).toString(),
             QStringLiteral("Sigma \"Art\" 35mm"));
    QCOMPARE(second.value(QStringLiteral("photos")).toInt(), 2);
    QCOMPARE(second.value(QStringLiteral("pourcentage")).toInt(), 28);
    const QJsonObject isoBand1 = root.value(QStringLiteral("iso")).toArray().at(0).toObject();
    QCOMPARE(isoBand1.value(QStringLiteral("classe")).toString(), QStringLiteral("100 (50 à 125)"));
    QCOMPARE(isoBand1.value(QStringLiteral("photos")).toInt(), 3);
    QCOMPARE(isoBand1.value(QStringLiteral("pourcentage")).toInt(), 42);
}

void TestReportFormat::texteFollowsTheWindowTabByTab() {
    const Fixture fixture;
    const QStringList lines = formatTexte(fixture.results()).split(QLatin1Char('\n'));

    QCOMPARE(lines.mid(0, 3), QStringList({QStringLiteral("7 Fichiers RAW Analysés"),
                                           QStringLiteral("Type de Fichiers : RAW Canon"),
                                           QStringLiteral("Dossier d'analyse : /photos")}));
    // The tabs in the window's order.
    QStringList tabs;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1Char('[')))
            tabs << line;
    }
    QCOMPARE(tabs, QStringList({QStringLiteral("[ISO]"), QStringLiteral("[Diaphragme]"),
                                QStringLiteral("[Vitesse]"), QStringLiteral("[motorisation / AF]"),
                                QStringLiteral("[Objectifs]"), QStringLiteral("[Focales]")}));
    // Each ISO line is the window's caption followed by the result it received.
    const int iso = int(lines.indexOf(QStringLiteral("[ISO]")));
    QCOMPARE(lines.at(iso + 1), QStringLiteral("100 : 3 photos, soit 42%"));
    QCOMPARE(lines.at(iso + 8), QStringLiteral("H  1 photos, soit 14%"));
    QCOMPARE(lines.at(int(lines.indexOf(QStringLiteral("[Vitesse]"))) + 1),
             QStringLiteral("Non fonctionnel pour le moment !"));
    const int lens = int(lines.indexOf(QStringLiteral("[Objectifs]")));
    QCOMPARE(lines.at(lens + 1),
             QStringLiteral("Canon EF 70-200mm f/2.8L, IS : 4 photos, soit 57%"));
    QVERIFY(lines.contains(QStringLiteral("Mode rafale          :")));
}

void TestReportFormat::resultsTakeCaptionsFromTheSinkAndCountsFromTheRecord() {
    const Fixture fixture;
    const ReportResults results = fixture.results();
    QCOMPARE(results.categories.size(), 5);
    const ReportCategory *iso = results.category(QString::fromUtf16(keyIso));
    QVERIFY(iso);
    QCOMPARE(iso->classes.at(2).result, QStringLiteral(" 2 photos, soit 28%"));
    QCOMPARE(iso->classes.at(2).photos, 2);
    QCOMPARE(iso->classes.at(2).percent, 28);
    // The drive results were never written: the window would still show its design text,
    // the report shows nothing, and a missing table reads as 0 per cent.
    const ReportCategory *drive = results.category(QString::fromUtf16(keyDrive));
    QVERIFY(drive);
    QCOMPARE(drive->classes.at(0).result, QString());
    QCOMPARE(drive->classes.at(0).photos, 6);
    QCOMPARE(drive->classes.at(0).percent, 0);
    const ReportCategory *lenses = results.category(QString::fromUtf16(keyLens));
    QVERIFY(lenses);
    QCOMPARE(lenses->classes.size(), 3);
    QCOMPARE(lenses->classes.at(2).percent, 14);
    QCOMPARE(lenses->classes.at(2).result, QStringLiteral(" 1 photos, soit 14%"));
}

void TestReportFormat::sinkDropsWritesOutsideTheWindowSlots() {
    RecordingSink sink;
    sink.setResult(ResultArray::Label11, 25, QStringLiteral("beyond the 24 apertures"));
    sink.setResult(ResultArray::Label5, 0, QStringLiteral("hidden placeholder"));
    sink.setResult(ResultArray::Label11, 24, QStringLiteral("F/22"));
    sink.setColumnCount(Chart::Iso, 9);
    const RecordedStatistics &recorded = sink.recorded();
    QCOMPARE(recorded.label11.back(), QStringLiteral("F/22"));
    QCOMPARE(recorded.label5.front(), QString());
    QCOMPARE(recorded.lensColumnCount, -1);
    QCOMPARE(recorded.cell(Chart::Lens, 1, 1), 0);
}

QTEST_GUILESS_MAIN(TestReportFormat)
#include "tst_report_format.moc"
