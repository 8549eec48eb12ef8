#include "analysis/results.h"
#include "analysis/tag_rules.h"
#include "csv_reader.h"
#include "report/image_filter.h"
#include "report/report_format.h"
#include "support/text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace kadrilo;
using namespace kadrilo::report;

using kadrilo::test::s;

namespace {

// Lens names that a naive CSV writer would break: a comma, quotes, a line break.
const QStringList awkwardLenses{s("Canon EF 70-200mm f/2.8L, IS"), s("Sigma \"Art\" 35mm"),
                                s("Zoom\r\nsur deux lignes")};

// An analysis of 7 photos.
StatisticsResults sampleResults() {
    ShotCounts shots;
    for (const char *line : {"FocalLength: 55.0 mm", "FocalLength: 17.5 mm", "ExposureTime: 1/15",
                             "Model: Canon EOS 350D DIGITAL", "Model: =HYPERLINK(\"x\")\x1b[2J",
                             "Model: Canon EOS 350D DIGITAL"})
        shots.countLine(line);
    statistiques_exif stats;
    stats.nb_fichiers = 7;
    stats.compte_iso = {3, 0, 2, 0, 0, 0, 0, 1};
    stats.compte_drive = {6, 1};
    stats.nb_objectifs = 3;
    for (std::size_t i = 0; i < 3; ++i)
        stats.objectifs[i] = awkwardLenses.at(int(i));
    stats.compte_objectifs[0] = 4;
    stats.compte_objectifs[1] = 2;
    stats.compte_objectifs[2] = 1;
    return computeResults(stats, s("Canon"), s("/photos\ttab"), &shots);
}

// A report of 35 images asked for the 24-70 until the end of 2023, out of 40 before
// filtering: a zoom at two focal lengths, then 32 other lenses of which the last 3 are past
// the lens list's 30 slots.
StatisticsResults questionResults() {
    statistiques_exif stats;
    ShotCounts shots;
    const auto image = [&](const QByteArray &lines) {
        ++stats.nb_fichiers;
        countContent(lines, stats, shots);
    };
    image("LensID: Canon EF 24-70mm f/2.8L, USM\nFocalLength: 24.0 mm\n"
          "FocalLength35efl: 24.0 mm (35 mm equivalent: 38.4 mm)\n"
          "DateTimeOriginal: 2023:12:31 23:59:59\n");
    image("LensID: Canon EF 24-70mm f/2.8L, USM\nFocalLength: 70.0 mm\n");
    image("LensID: Canon EF 24-70mm f/2.8L, USM\nFocalLength: 70.0 mm\n");
    for (int lens = 1; lens <= 32; ++lens)
        image("LensID: Objectif " + QByteArray::number(lens) + '\n');
    ReportOptions options;
    options.lens = s("24-70");
    options.until = QDate(2023, 12, 31);
    StatisticsResults results = computeResults(stats, QString(), s("/photos"), &shots);
    describeFilters(results, ImageFilter(options), 40);
    return results;
}

// True when `text` holds a control character other than the line feeds that end its lines.
bool passesControls(const QString &text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c != u'\n' && (c < u' ' || c == u'\x7f'); });
}

} // namespace

class TestReportFormat : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void csvRoundTripKeepsNamesAndCounts() {
        const StatisticsResults results = sampleResults();
        const QVector<QStringList> rows = test::parseCsv(formatCsv(results));
        // 8 ISO bands, 24 apertures, 2 drive modes, 4 autofocus modes, the 3 lenses, then
        // 2 focal lengths, 1 exposure time and 2 bodies, 24 hours and 12 months.
        QCOMPARE(rows.size(), 1 + 8 + 24 + 2 + 4 + 3 + 5 + 24 + 12);
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
            const QStringList &row = rows.at(1 + 8 + 24 + 2 + 4 + i);
            QCOMPARE(row, (QStringList{s("objectifs"), visibleText(awkwardLenses.at(i)),
                                       QString::number(results.lenses[i].count),
                                       QString::number(percents[i])}));
        }
        QStringList lastRows;
        for (const QStringList &row : rows.mid(1 + 8 + 24 + 2 + 4 + 3, 5))
            lastRows << row.join(u',');
        QCOMPARE(lastRows.join(u'|'), s("focales,17 mm,1,14|focales,55 mm,1,14|vitesses,1/15,1,14|"
                                        "boitiers,Canon EOS 350D DIGITAL,2,28|"
                                        "boitiers,'=HYPERLINK(\"x\")\\u001B[2J,1,14"));
    }

    // Cells a spreadsheet would run as a formula get an apostrophe; control characters are
    // shown as \uXXXX, so no cell holds a line break any more.
    void csvFields_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("cell");
        QTest::addRow("plain name unchanged") << s("Canon EOS 5D") << s("Canon EOS 5D");
        QTest::addRow("equals sign") << s("=1+1") << s("'=1+1");
        QTest::addRow("plus sign") << s("+33 mm") << s("'+33 mm");
        QTest::addRow("minus sign") << s("-2+3") << s("'-2+3");
        QTest::addRow("at sign") << s("@SUM(A1)") << s("'@SUM(A1)");
        QTest::addRow("leading tab") << s("\t=1") << s("'\\u0009=1");
        QTest::addRow("leading carriage return") << s("\r=1") << s("'\\u000D=1");
        QTest::addRow("sign inside stays") << s("EF 70-200mm") << s("EF 70-200mm");
        QTest::addRow("line break shown, quote doubled")
            << s("Zoom\r\n\"II\"") << s("\"Zoom\\u000D\\u000A\"\"II\"\"\"");
        QTest::addRow("comma quoted after the guard") << s("=A1,B1") << s("\"'=A1,B1\"");
        QTest::addRow("delete and c1 controls") << s("a\x7f\u0085b") << s("a\\u007F\\u0085b");
    }

    void csvFields() {
        QFETCH(QString, field);
        QFETCH(QString, cell);
        QCOMPARE(csvField(field), cell);
    }

    // Names and the folder come from files anyone can write: no format passes a control
    // character on, JSON included (its own \u escapes would hand it back to the reader).
    void controlCharactersAreShownInEveryFormat() {
        const StatisticsResults results = sampleResults();
        const QString texte = formatTexte(results);
        QVERIFY(!passesControls(texte));
        QVERIFY(!passesControls(formatCsv(results)));
        QVERIFY(texte.contains(s("Zoom\\u000D\\u000Asur deux lignes : 1 photos, soit 14%")));
        QVERIFY(texte.contains(s("Dossier d'analyse : /photos\\u0009tab\n")));
        const QJsonObject json = QJsonDocument::fromJson(formatJson(results)).object();
        QCOMPARE(json.value(s("boitiers")).toArray().at(1).toObject().value(s("classe")),
                 s("=HYPERLINK(\"x\")\\u001B[2J"));
        QCOMPARE(json.value(s("resume")).toObject().value(s("dossier")), s("/photos\\u0009tab"));
        QVERIFY(!passesControls(
            json.value(s("objectifs")).toArray().at(2).toObject().value(s("classe")).toString()));
    }

    void texteWordsEveryClassAsTheWindow() {
        const QStringList lines = formatTexte(sampleResults()).split(u'\n');
        QCOMPARE(lines.mid(0, 5),
                 (QStringList{s("7 Fichiers RAW Analysés"), s("Type de Fichiers : RAW Canon"),
                              s("Dossier d'analyse : /photos\\u0009tab"), QString(), s("[ISO]")}));
        QVERIFY(lines.contains(s("400 : 2 photos, soit 28%")));
        QVERIFY(lines.contains(s("F/2.8 : 0 photos, soit 0%")));
        QVERIFY(lines.contains(s("Sigma \"Art\" 35mm : 2 photos, soit 28%")));
        // The window's last tab, then the report's own three categories.
        const int focal = int(lines.indexOf(s("[Focales]")));
        QCOMPARE(lines.value(focal + 14), s("[Focales en équivalent 35 mm]"));
        QCOMPARE(
            lines.mid(focal, 14),
            (QStringList{s("[Focales]"), s("Non fonctionnel pour le moment !"), QString(),
                         s("[Focales utilisées]"), s("17 mm : 1 photos, soit 14%"),
                         s("55 mm : 1 photos, soit 14%"), QString(), s("[Vitesses d'obturation]"),
                         s("1/15 : 1 photos, soit 14%"), QString(), s("[Boîtiers]"),
                         s("Canon EOS 350D DIGITAL : 2 photos, soit 28%"),
                         s("=HYPERLINK(\"x\")\\u001B[2J : 1 photos, soit 14%"), QString()}));
    }

    // The summary tells the filters; the lenses past the 30th follow the lens list; the focal
    // lengths come in one block per lens, whose percentages count within the lens.
    void texteAnswersTheQuestions() {
        const QStringList lines = formatTexte(questionResults()).split(u'\n');
        QCOMPARE(lines.mid(0, 5),
                 (QStringList{s("35 Fichiers RAW Analysés"), s("Type de Fichiers : RAW "),
                              s("Dossier d'analyse : /photos"),
                              s("Filtres : objectif contenant « 24-70 », jusqu'au 2023-12-31"),
                              s("Images avant filtrage : 40")}));
        const int lastLens = int(lines.indexOf(s("Objectif 29 : 1 photos, soit 2%")));
        QCOMPARE(
            lines.value(lastLens + 1),
            s("Objectifs non comptés, au-delà des 30 premiers : 3 objectifs, 3 photos, soit 8%"));
        QCOMPARE(lines.value(lastLens + 2), QString());
        for (const char *line : {"[Focales en équivalent 35 mm]", "38 mm : 1 photos, soit 2%",
                                 "23 h : 1 photos, soit 2%", "décembre : 1 photos, soit 2%",
                                 "2023 : 1 photos, soit 2%"})
            QVERIFY2(lines.contains(s(line)), line);
        const int block = int(lines.indexOf(s("[Focales par objectif]")));
        QCOMPARE(
            lines.mid(block, 7),
            (QStringList{s("[Focales par objectif]"), s("Canon EF 24-70mm f/2.8L, USM : 3 photos"),
                         s("  24 mm : 1 photos, soit 33%"), s("  70 mm : 2 photos, soit 66%"),
                         QString(), s("Objectif 1 : 1 photos"), QString()}));
        QCOMPARE(lines.value(lines.size() - 2), s("Objectif 32 : 1 photos"));
    }

    // Each lens's focal lengths are a category of their own, so that a spreadsheet's filter
    // on the first column picks one lens; the lenses past the 30th are one row after the lens
    // list. No row has more than the four columns of the header.
    void csvLayoutOfTheQuestions() {
        const QVector<QStringList> rows = test::parseCsv(formatCsv(questionResults()));
        QStringList joined;
        for (const QStringList &row : rows) {
            QCOMPARE(row.size(), 4);
            joined << row.join(u'|');
        }
        const int uncounted = int(joined.indexOf(s("objectifs_non_comptes|3 objectifs|3|8")));
        QCOMPARE(joined.value(uncounted - 1), s("objectifs|Objectif 29|1|2"));
        QCOMPARE(joined.value(uncounted + 1).section(u'|', 0, 0), s("focales"));
        const QString zoom = s("focales_par_objectif : Canon EF 24-70mm f/2.8L, USM|");
        QCOMPARE(joined.filter(s("focales_par_objectif")),
                 (QStringList{zoom + s("24 mm|1|33"), zoom + s("70 mm|2|66")}));
    }

    void jsonShapeOfTheQuestions() {
        QJsonParseError error;
        const QJsonObject root =
            QJsonDocument::fromJson(formatJson(questionResults()), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonObject summary = root.value(s("resume")).toObject();
        QCOMPARE(summary.value(s("fichiers")), 35);
        QCOMPARE(summary.value(s("fichiers_avant_filtre")), 40);
        QCOMPARE(summary.value(s("filtres")).toObject(),
                 (QJsonObject{{s("objectif"), s("24-70")}, {s("jusqu_au"), s("2023-12-31")}}));
        QCOMPARE(root.value(s("objectifs")).toArray().size(), 30);
        QCOMPARE(root.value(s("objectifs_non_comptes")).toObject(),
                 (QJsonObject{{s("objectifs"), 3}, {s("photos"), 3}}));
        // Every lens, those past the 30th too, in the order in which they first occur.
        const QJsonArray lenses = root.value(s("focales_par_objectif")).toArray();
        QCOMPARE(lenses.size(), 33);
        QCOMPARE(lenses.at(32).toObject(), (QJsonObject{{s("objectif"), s("Objectif 32")},
                                                        {s("photos"), 1},
                                                        {s("focales"), QJsonArray()}}));
        const QJsonObject zoom = lenses.at(0).toObject();
        QCOMPARE(zoom.value(s("objectif")), s("Canon EF 24-70mm f/2.8L, USM"));
        QCOMPARE(zoom.value(s("photos")), 3);
        QCOMPARE(
            zoom.value(s("focales")).toArray().at(1).toObject(),
            (QJsonObject{{s("classe"), s("70 mm")}, {s("photos"), 2}, {s("pourcentage"), 66}}));
        QCOMPARE(root.value(s("heures")).toArray().size(), 24);
        QCOMPARE(root.value(s("mois")).toArray().at(11).toObject().value(s("classe")),
                 s("décembre"));
        QCOMPARE(root.value(s("annees")).toArray(),
                 (QJsonArray{QJsonObject{
                     {s("classe"), s("2023")}, {s("photos"), 1}, {s("pourcentage"), 2}}}));
        QCOMPARE(root.value(s("focales_35mm")).toArray().size(), 1);
    }

    // Without a filter the summary says so in JSON, and texte keeps the window's three lines.
    void noFilterSummary() {
        const StatisticsResults results = sampleResults();
        const QJsonObject summary =
            QJsonDocument::fromJson(formatJson(results)).object().value(s("resume")).toObject();
        QCOMPARE(summary.value(s("fichiers_avant_filtre")), 7);
        QCOMPARE(summary.value(s("filtres")).toObject(), QJsonObject());
        QCOMPARE(formatTexte(results).split(u'\n').value(3), QString());
    }
};

QTEST_GUILESS_MAIN(TestReportFormat)
#include "tst_report_format.moc"
