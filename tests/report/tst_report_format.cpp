#include "analysis/results.h"
#include "csv_reader.h"
#include "report/report_format.h"
#include "run/module1.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
    ShotCounts shots;
    for (const char *line : {"FocalLength: 55.0 mm", "FocalLength: 17.5 mm", "ExposureTime: 1/15",
                             "Model: Canon EOS 350D DIGITAL", "Model: =HYPERLINK(\"x\")\x1b[2J",
                             "Model: Canon EOS 350D DIGITAL"})
        shots.countLine(line);
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
    return computeResults(stats, state, s("/photos\ttab"), &shots);
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
        // 2 focal lengths, 1 exposure time and 2 bodies.
        QCOMPARE(rows.size(), 1 + 8 + 24 + 2 + 4 + 3 + 5);
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
        for (const QStringList &row : rows.mid(rows.size() - 5))
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
        QCOMPARE(
            lines.mid(focal),
            (QStringList{s("[Focales]"), s("Non fonctionnel pour le moment !"), QString(),
                         s("[Focales utilisées]"), s("17 mm : 1 photos, soit 14%"),
                         s("55 mm : 1 photos, soit 14%"), QString(), s("[Vitesses d'obturation]"),
                         s("1/15 : 1 photos, soit 14%"), QString(), s("[Boîtiers]"),
                         s("Canon EOS 350D DIGITAL : 2 photos, soit 28%"),
                         s("=HYPERLINK(\"x\")\\u001B[2J : 1 photos, soit 14%"), QString()}));
    }
};

QTEST_GUILESS_MAIN(TestReportFormat)
#include "tst_report_format.moc"
