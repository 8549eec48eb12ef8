#include "analysis/results.h"
#include "analysis/tag_rules.h"
#include "csv_reader.h"
#include "report/image_filter.h"
#include "report/report_format.h"
#include "report/report_groups.h"
#include "report/report_html.h"
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
        countImage(readImageTags(lines), stats, shots);
    };
    image("LensID: Canon EF 24-70mm f/2.8L, USM\nFocalLength: 24.0 mm\n"
          "FocalLength35efl: 24.0 mm (35 mm equivalent: 38.4 mm)\n"
          "DateTimeOriginal: 2023:12:31 23:59:59\nExposureTime: 1/15\n");
    image("LensID: Canon EF 24-70mm f/2.8L, USM\nFocalLength: 70.0 mm\n");
    image("LensID: Canon EF 24-70mm f/2.8L, USM\nFocalLength: 70.0 mm\n");
    for (int lens = 1; lens <= 32; ++lens)
        image("LensID: Objectif " + QByteArray::number(lens) + '\n');
    return computeResults(stats, QString(), s("/photos"), &shots);
}

// What that report filtered.
ReportSummary questionSummary() {
    ReportOptions options;
    options.lens = s("24-70");
    options.until = QDate(2023, 12, 31);
    return describeFilters(ImageFilter(options), 40);
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
        // 2 focal lengths, 1 exposure time and 2 bodies, 24 hours and 12 months, the 5 classes
        // of shutter safety.
        QCOMPARE(rows.size(), 1 + 8 + 24 + 2 + 4 + 3 + 5 + 24 + 12 + 5);
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
        const QStringList lines = formatTexte(questionResults(), questionSummary()).split(u'\n');
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
            QJsonDocument::fromJson(formatJson(questionResults(), questionSummary()), &error)
                .object();
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
        // 1/15 s at 38.4 mm: 1.36 stops too slow; the percentages count among all the images.
        const QJsonArray safety = root.value(s("vitesse_de_securite")).toArray();
        QCOMPARE(safety.size(), 5);
        QCOMPARE(safety.at(2).toObject(),
                 (QJsonObject{
                     {s("classe"), s("2 IL plus lent")}, {s("photos"), 1}, {s("pourcentage"), 2}}));
        const QJsonArray safetyPerLens =
            root.value(s("vitesse_de_securite_par_objectif")).toArray();
        QCOMPARE(safetyPerLens.size(), 1);
        const QJsonObject lens = safetyPerLens.at(0).toObject();
        QCOMPARE(lens.value(s("objectif")), s("Canon EF 24-70mm f/2.8L, USM"));
        QCOMPARE(lens.value(s("photos")), 1);
        QCOMPARE(lens.value(s("classes")).toArray().at(2).toObject().value(s("pourcentage")), 100);
    }

    // Groups side by side: bodies in the order in which they first occur, years ascending,
    // the images without the value last, past 12 groups the 11 first and "autres".
    void groupsInOrder_data() {
        QTest::addColumn<QByteArray>("images");
        QTest::addColumn<int>("by");
        QTest::addColumn<QString>("groups"); // name=files, in their order
        QTest::addRow("bodies as they first occur, one without a model last")
            << QByteArray("Model: R6|ISO: 100|Model: 5D|Model: R6|Model: \n") << int(GroupBy::Body)
            << s("R6=2; 5D=1; inconnu=2");
        QTest::addRow("years ascending, a date that names no day is unknown")
            << QByteArray("DateTimeOriginal: 2024:01:01 10:00:00|"
                          "DateTimeOriginal: 0000:00:00 00:00:00|"
                          "DateTimeOriginal: 999:01:01 10:00:00|"
                          "DateTimeOriginal: 2023:12:31 23:59:59|"
                          "DateTimeOriginal: 2024:05:01 10:00:00")
            << int(GroupBy::Year) << s("2023=1; 2024=2; inconnu=2");
        QTest::addRow("lenses by their first LensID")
            << QByteArray("LensID: B\nLensID: A|LensID: A|LensIDNumber: 3") << int(GroupBy::Lens)
            << s("B=1; A=1; inconnu=1");
        QByteArray twelve, thirteen;
        for (int body = 1; body <= 12; ++body)
            twelve += "Model: " + QByteArray::number(body) + '|';
        thirteen = twelve + "Model: 13|Model: 1|Model: 13";
        QTest::addRow("twelve groups fit") << twelve.chopped(1) << int(GroupBy::Body)
                                           << s("1=1; 2=1; 3=1; 4=1; 5=1; 6=1; 7=1; 8=1; 9=1; "
                                                "10=1; 11=1; 12=1");
        QTest::addRow("thirteen: the last two summed in autres")
            << thirteen << int(GroupBy::Body)
            << s("1=2; 2=1; 3=1; 4=1; 5=1; 6=1; 7=1; 8=1; 9=1; 10=1; 11=1; autres (2 groupes)=3");
    }

    void groupsInOrder() {
        QFETCH(QByteArray, images);
        QFETCH(int, by);
        QFETCH(QString, groups);
        ImageGroups split{GroupBy(by)};
        for (const QByteArray &image : images.split('|'))
            split.add(image, readImageTags(image));
        QStringList counted;
        for (const ReportGroup &group : split.count(s("Canon"), s("/p")).groups)
            counted << s("%1%2=%3")
                           .arg(group.name, group.groupsHeld > 1
                                                ? s(" (%1 groupes)").arg(group.groupsHeld)
                                                : QString())
                           .arg(group.results.files);
        QCOMPARE(counted.join(s("; ")), groups);
    }

    // Each format shows the groups side by side, percentages within the group.
    void groupedFormats() {
        ImageGroups split(GroupBy::Body);
        statistiques_exif stats;
        ShotCounts shots;
        for (const QByteArray &image : {QByteArray("Model: Canon EOS R6\nFocalLength: 55.0 mm\n"),
                                        QByteArray("Model: Canon EOS R6\nFocalLength: 24.0 mm\n"),
                                        QByteArray("Model: 5D\nFocalLength: 55.0 mm\n")}) {
            ++stats.nb_fichiers;
            countImage(readImageTags(image), stats, shots);
            split.add(image, readImageTags(image));
        }
        const StatisticsResults results = computeResults(stats, s("Canon"), s("/p"), &shots);
        const ReportGroups groups = split.count(s("Canon"), s("/p"));

        const QStringList lines = formatGroupedTexte(results, {}, groups).split(u'\n');
        QVERIFY(lines.contains(s("Groupes par boîtier : Canon EOS R6 (2 photos) | 5D (1 photos)")));
        const int focal = int(lines.indexOf(s("[Focales utilisées]")));
        QCOMPARE(lines.mid(focal + 1, 3),
                 (QStringList{s("        Canon EOS R6   | 5D"),
                              s("24 mm : 1 photos (50%) | 0 photos (0%)"),
                              s("55 mm : 1 photos (50%) | 1 photos (100%)")}));

        const QVector<QStringList> rows = test::parseCsv(formatCsv(results, groups));
        QCOMPARE(rows.first(), (QStringList{s("categorie"), s("classe"), s("groupe"), s("photos"),
                                            s("pourcentage")}));
        QVERIFY(rows.contains(QStringList{s("focales"), s("55 mm"), s("5D"), s("1"), s("100")}));
        QVERIFY(std::all_of(rows.begin(), rows.end(),
                            [](const QStringList &row) { return row.size() == 5; }));
    }

    // Lens, body and folder names are text anyone can write: the page shows them as text,
    // never as markup, in a table cell, in a bar's title and in the summary alike.
    void htmlShowsNamesAsText_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::addRow("script element")
            << s("<script>alert(1)</script>") << s("&lt;script&gt;alert(1)&lt;/script&gt;");
        QTest::addRow("attribute breakout") << s("\"><img src=x onerror=alert(1)>")
                                            << s("&quot;&gt;&lt;img src=x onerror=alert(1)&gt;");
        QTest::addRow("character reference kept as typed") << s("&amp;") << s("&amp;amp;");
        QTest::addRow("line break shown") << s("Zoom\nII") << s("Zoom\\u000AII");
        QTest::addRow("apostrophe") << s("l'objectif") << s("l&#39;objectif");
    }

    void htmlShowsNamesAsText() {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        ShotCounts shots;
        shots.countLine("Model: " + name.toUtf8());
        shots.countLine("LensID: " + name.toUtf8());
        statistiques_exif stats;
        stats.nb_fichiers = 1;
        stats.nb_objectifs = 1;
        stats.objectifs[0] = name;
        stats.compte_objectifs[0] = 1;
        const StatisticsResults results = computeResults(stats, s("Canon"), name, &shots);
        ReportSummary summary;
        summary.unreadImages = {{name, name}};
        const QString page = formatHtml(results, summary);
        // The lens row with its bar title, the body row with its bar title, the lens's own
        // chart, the folder line and the unread image's path and reason.
        QCOMPARE(page.count(s("<th>") + shown + s("</th>")), 2);
        QCOMPARE(page.count(s("<title>") + shown + s(" : 1 photos, soit 100%</title>")), 2);
        QCOMPARE(page.count(s("<h3>") + shown + s("</h3>")), 1);
        QVERIFY(page.contains(s("<p>Dossier d&#39;analyse : ") + shown + s("</p>")));
        QVERIFY(page.contains(s("<li>") + shown + s(" : ") + shown + s("</li>")));
        QCOMPARE(page.count(s("<script")), 0);
        QCOMPARE(page.count(s("<img")), 0);
        QVERIFY(!passesControls(page));
        QVERIFY(page.contains(s("<html lang=\"fr\">")));
        QVERIFY(page.contains(s("<meta http-equiv=\"Content-Security-Policy\" "
                                "content=\"default-src 'none'; style-src 'unsafe-inline'; "
                                "img-src data:\">")));
    }

    // The summary names ten unread images, then tells the others behind a summary that opens
    // to them; the lenses past the 30th follow the lens chart.
    void htmlSummaryOfTheQuestions_data() {
        QTest::addColumn<int>("unread");
        QTest::addColumn<int>("listed");
        QTest::addColumn<QString>("others");
        QTest::addRow("none") << 0 << 0 << QString();
        QTest::addRow("one") << 1 << 1 << QString();
        QTest::addRow("ten, no summary") << 10 << 10 << QString();
        QTest::addRow("eleven") << 11 << 11 << s("<summary>… et 1 autre</summary>");
        QTest::addRow("twelve") << 12 << 12 << s("<summary>… et 2 autres</summary>");
    }

    void htmlSummaryOfTheQuestions() {
        QFETCH(int, unread);
        QFETCH(int, listed);
        QFETCH(QString, others);
        ReportSummary summary = questionSummary();
        for (int i = 0; i < unread; ++i)
            summary.unreadImages.append({s("/photos/IMG_%1.CR2").arg(i), s("File format error")});
        const QString page = formatHtml(questionResults(), summary);
        QCOMPARE(page.count(s(" : format de fichier non reconnu (File format error)</li>")),
                 listed);
        QCOMPARE(page.count(s("<summary>")), others.isEmpty() ? 0 : 1);
        QVERIFY(others.isEmpty() || page.contains(others));
        QCOMPARE(page.contains(s("1 image n'a pas pu être lue :")), unread == 1);
        QVERIFY(page.contains(
            s("<p>Filtres : objectif contenant « 24-70 », jusqu&#39;au 2023-12-31</p>")));
        QVERIFY(page.contains(s("data-objectifs=\"3\" data-photos=\"3\">Objectifs non comptés, "
                                "au-delà des 30 premiers : 3 objectifs, 3 photos, soit 8%</p>")));
        // Every lens has its small chart, those past the 30th too.
        QCOMPARE(page.mid(page.indexOf(s("id=\"focales_par_objectif\""))).count(s("<figure>")), 33);
    }

    // A large library: 30 lenses at 100 focal lengths each, 100 exposure times, 30 bodies
    // over 20 years; its page stays under 1 MB.
    void htmlPageOfALargeLibraryStaysSmall() {
        statistiques_exif stats;
        ShotCounts shots;
        for (int i = 0; i < 30 * 100; ++i) {
            const QByteArray lens = QByteArray::number(i % 30);
            const QByteArray focal = QByteArray::number(10 + i / 30);
            const QByteArray number = QByteArray::number(i % 100 + 1);
            ++stats.nb_fichiers;
            countImage(
                readImageTags("LensID: Canon EF 100-400mm f/4.5-5.6L IS II USM n" + lens +
                              "\nFocalLength: " + focal + ".0 mm\nFocalLength35efl: " + focal +
                              ".0 mm (35 mm equivalent: " + focal + "1.0 mm)\nExposureTime: 1/" +
                              number + "\nModel: Canon EOS " + lens +
                              "D\nDateTimeOriginal: " + QByteArray::number(2000 + i % 20) + ":0" +
                              QByteArray::number(i % 9 + 1) + ":01 " +
                              QByteArray::number(10 + i % 14) + ":00:00\n"),
                stats, shots);
        }
        const StatisticsResults results = computeResults(stats, s("Canon"), s("/photos"), &shots);
        QCOMPARE(results.lensFocalLengths.size(), 30);
        QCOMPARE(results.lensFocalLengths.at(0).focalLengths.size(), 100);
        const QByteArray page = formatHtml(results).toUtf8();
        QVERIFY2(page.size() < 1024 * 1024, qPrintable(QString::number(page.size())));
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
