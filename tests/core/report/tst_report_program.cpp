// Runs the built kadrilo-rapport over raw fixtures, as a person or a script would.
#include "analysis/analyse.h"
#include "analysis/wording.h"
#include "csv_reader.h"
#include "run/extraction.h"
#include "run/module1.h"
#include "support/captured_results.h"
#include "support/cr2_writer.h"
#include "support/cr3_writer.h"
#include "support/fake_program.h"
#include "support/process_probe.h"
#include "support/program_folder.h"
#include "support/program_run.h"
#include "support/text.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <functional>
#include <map>
#include <unistd.h>

using namespace kadrilo;
namespace labels = kadrilo::wording;
using kadrilo::test::Run;
using kadrilo::test::s;
using Exiftool = kadrilo::test::ProgramFolder::Exiftool;
Q_DECLARE_METATYPE(Exiftool)

namespace {

const QString rapportPath = QStringLiteral(KADRILO_RAPPORT_PATH);

// The report's environment: private folders in `tmpDir`, its runtime folder, and a cache of
// its own for each run, so that a run reads its images with ExifTool as the test expects. A
// file as `tmpDir` stands in the cache folder's place too: no private folder can be made.
QProcessEnvironment reportEnvironment(const QString &tmpDir) {
    static QTemporaryDir caches;
    static int runs = 0;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(s("TMPDIR"), tmpDir);
    environment.insert(s("XDG_RUNTIME_DIR"), tmpDir);
    environment.insert(s("XDG_CACHE_HOME"), QFileInfo(tmpDir).isFile()
                                                ? tmpDir
                                                : caches.filePath(QString::number(++runs)));
    return environment;
}

void start(QProcess &process, const QString &program, const QStringList &arguments,
           const QString &tmpDir) {
    process.setProcessEnvironment(reportEnvironment(tmpDir));
    process.start(program, arguments);
}

Run runProgram(const QString &program, const QStringList &arguments, const QString &tmpDir) {
    QProcess process;
    start(process, program, arguments, tmpDir);
    return test::finishedRun(process);
}

// The report's own classes of a fixture: focal length (0: none), exposure time as a
// fraction (0: none) and body.
struct Shot {
    double focalLength;
    int exposureNumerator;
    int exposureDenominator;
    const char *model;
};

bool writePhoto(const QString &path, int iso, double fNumber, int focusMode, int drive, int lens,
                const Shot &shot, int selfTimer = 0) {
    test::Cr2Fixture fixture;
    fixture.focalLength = shot.focalLength;
    fixture.exposureNumerator = shot.exposureNumerator;
    fixture.exposureDenominator = shot.exposureDenominator;
    fixture.model = QString::fromUtf8(shot.model);
    fixture.iso = iso;
    fixture.fNumber = fNumber;
    fixture.focusMode = focusMode;
    fixture.continuousDrive = drive;
    fixture.selfTimer = selfTimer;
    test::applyLens(fixture, test::kCr2Lenses[lens]);
    return test::writeCr2(path, fixture);
}

QString lensName(int lens) {
    return s(test::kCr2Lenses[lens].lensId);
}

// What the window shows for a section: each caption followed by the result it received.
template <std::size_t N>
QStringList windowLines(QString (*caption)(int),
                        const std::array<kadrilo::ClassResult, N> &results) {
    QStringList lines;
    for (int i = 0; i < int(N); ++i)
        lines << caption(i + 1) + results[std::size_t(i)].caption;
    return lines;
}

bool isEmptyFolder(const QString &path) {
    return QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System |
                              QDir::NoDotAndDotDot);
}

// No private folder of a report left in the runtime folder `tmp` the test gave it.
bool noPrivateFolder(const QString &tmp) {
    return isEmptyFolder(tmp + s("/kadrilo"));
}

} // namespace

class TestReportProgram : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        KADRILO_REQUIRE_EXIFTOOL();
        QVERIFY(QFileInfo(rapportPath).isExecutable());
        QVERIFY(m_images.isValid() && m_tmp.isValid());

        const QDir photos(images());
        QVERIFY(QDir().mkpath(photos.filePath(s("sub"))));
        const Shot fiveD{17.5, 1, 8000, "Canon EOS 5D Mark II"};
        QVERIFY(writePhoto(photos.filePath(s("a.CR2")), 100, 2.8, 0, 0, 0, fiveD));
        QVERIFY(writePhoto(photos.filePath(s("b.cr2")), 200, 5.6, 1, 1, 3,
                           {55, 30, 1, "Canon EOS 350D DIGITAL"}));
        // Neither focal length nor exposure time recorded.
        QVERIFY(writePhoto(photos.filePath(s("c.cr2")), 3200, 8, 3, 0, 0, {0, 0, 1, fiveD.model}));
        QVERIFY(QFile(photos.filePath(s("d.jpg"))).open(QIODevice::WriteOnly));
        // In the sub-folder: a self-timer shot, counted in no drive mode.
        QVERIFY(writePhoto(photos.filePath(s("sub/e.CR2")), 12800, 22, 2, 0, 9,
                           {17, 1, 8000, "Canon EOS 350D DIGITAL"}, 100));

        for (const char *format : {"texte", "csv", "json"}) {
            for (const bool recursive : {false, true}) {
                QStringList arguments{s("--format"), s(format), images()};
                if (recursive)
                    arguments.prepend(s("--recursif"));
                const Run run = runProgram(rapportPath, arguments, m_tmp.path());
                QCOMPARE(run.status, 0);
                QCOMPARE(run.err, QByteArray()); // no progress when standard error is no terminal
                m_outputs.insert(s(format) + (recursive ? s("-r") : QString()), run.out);
            }
        }
        // Each successful run removed its private folder.
        QVERIFY(noPrivateFolder(m_tmp.path()));
    }

    void texteIsTheWindowAndJsonParses_data() {
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<int>("files");
        QTest::addColumn<QStringList>("lenses"); // the texte lines of the lens tab
        QTest::addColumn<QStringList>("shots");  // the texte lines of the report's own
        const QString ef50 = lensName(0) + s(" : 2 photos, soit ");
        QTest::addRow("this folder only")
            << false << 3 << QStringList{ef50 + s("66%"), lensName(3) + s(" : 1 photos, soit 33%")}
            << QStringList{s("[Focales utilisées]"),
                           s("17 mm : 1 photos, soit 33%"),
                           s("55 mm : 1 photos, soit 33%"),
                           QString(),
                           s("[Vitesses d'obturation]"),
                           s("1/8000 : 1 photos, soit 33%"),
                           s("30 : 1 photos, soit 33%"),
                           QString(),
                           s("[Boîtiers]"),
                           s("Canon EOS 5D Mark II : 2 photos, soit 66%"),
                           s("Canon EOS 350D DIGITAL : 1 photos, soit 33%")};
        // The form with sub-folders asks ExifTool for the exposure time and the model too.
        QTest::addRow("with sub-folders")
            << true << 4
            << QStringList{ef50 + s("50%"), lensName(3) + s(" : 1 photos, soit 25%"),
                           lensName(9) + s(" : 1 photos, soit 25%")}
            << QStringList{s("[Focales utilisées]"),
                           s("17 mm : 2 photos, soit 50%"),
                           s("55 mm : 1 photos, soit 25%"),
                           QString(),
                           s("[Vitesses d'obturation]"),
                           s("1/8000 : 2 photos, soit 50%"),
                           s("30 : 1 photos, soit 25%"),
                           QString(),
                           s("[Boîtiers]"),
                           s("Canon EOS 5D Mark II : 2 photos, soit 50%"),
                           s("Canon EOS 350D DIGITAL : 2 photos, soit 50%")};
    }

    void texteIsTheWindowAndJsonParses() {
        QFETCH(bool, recursive);
        QFETCH(int, files);
        QFETCH(QStringList, lenses);
        QFETCH(QStringList, shots);
        // What the statistics window receives from the same folder, through the same analysis.
        QTemporaryDir temp;
        Module1 state;
        state.type_raw = s("Canon");
        state.option_recursive = recursive ? 1 : 0;
        state.chemin_exiftool = test::installedExiftool();
        state.dossier_temp = QDir::toNativeSeparators(temp.path()) + QDir::separator();
        extraire_exif(state, images());
        test::CapturedResults view;
        analyse_exif(state, images(), view);
        const StatisticsResults &window = view.results;
        QCOMPARE(window.iso.front().caption, s(" 1 photos, soit %1%").arg(100 / files));
        const QStringList summary{window.fileCountLine, window.rawTypeLine, window.folderLine};
        QCOMPARE(summary.value(0), s("%1 Fichiers RAW Analysés").arg(files));
        QCOMPARE(summary.value(2), s("Dossier d'analyse : ") + images());

        // The window tab by tab: its captions followed by the results it received.
        QStringList expected = summary;
        const auto tab = [&](const char *name, const QStringList &lines) {
            expected << QString() << s(name) << lines;
        };
        tab("[ISO]", windowLines(labels::isoBandCaption, window.iso));
        tab("[Diaphragme]", windowLines(labels::apertureCaption, window.aperture));
        tab("[Vitesse]", {labels::notAvailableNotice()});
        tab("[motorisation / AF]", windowLines(labels::driveCaption, window.drive)
                                       << labels::selfTimerNote()
                                       << windowLines(labels::autofocusCaption, window.autofocus));
        tab("[Objectifs]", lenses);
        tab("[Focales]", {labels::notAvailableNotice()});
        expected << QString() << shots;
        expected << QString() << s("[Focales en équivalent 35 mm]"); // the report's newer ones
        QCOMPARE(QString::fromUtf8(output("texte", recursive)).split(u'\n').mid(0, expected.size()),
                 expected);

        QJsonParseError error;
        const QJsonObject root =
            QJsonDocument::fromJson(output("json", recursive), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(root.value(s("resume")).toObject(),
                 QJsonObject({{s("fichiers"), files},
                              {s("fichiers_avant_filtre"), files},
                              {s("filtres"), QJsonObject()},
                              {s("type"), s("Canon")},
                              {s("dossier"), images()},
                              {s("lignes"), QJsonArray::fromStringList(summary)}}));
        // Every member with the length of its array, in key order.
        QStringList members;
        for (auto it = root.constBegin(); it != root.constEnd(); ++it)
            members << it.key() + u':' + QString::number(it.value().toArray().size());
        QCOMPARE(
            members,
            QStringList({s("annees:0"), s("boitiers:2"), s("diaphragme:24"), s("focales:2"),
                         s("focales_35mm:0"), s("focales_par_objectif:%1").arg(lenses.size()),
                         s("heures:24"), s("iso:8"), s("mode_af:4"), s("mois:12"),
                         s("motorisation:2"), s("objectifs:%1").arg(lenses.size()),
                         s("objectifs_non_comptes:0"), s("resume:0"), s("vitesse_de_securite:5"),
                         s("vitesse_de_securite_par_objectif:0"), s("vitesses:2")}));
        const QJsonObject lens = root.value(s("objectifs")).toArray().at(1).toObject();
        QCOMPARE(lens.value(s("classe")).toString(), lensName(3));
        QCOMPARE(lens.value(s("photos")).toInt(), 1);
    }

    void csvCounts_data() {
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<QString>("row"); // parsed back, then joined with commas
        const auto add = [](const char *name, bool recursive, const QString &row) {
            QTest::addRow("%s", name) << recursive << row;
        };
        add("iso 100 band, one of three", false, s("iso,100 (50 à 125),1,33"));
        add("iso 12800 only with sub-folders", true, s("iso,H (au dela de 6400),1,25"));
        add("iso 12800 left out of this folder", false, s("iso,H (au dela de 6400),0,0"));
        add("f/22 in the last bucket", true, s("diaphragme,F/22,1,25"));
        add("self-timer shot counted nowhere", true, s("motorisation,Mode vue par vue,2,50"));
        add("ai focus in the sub-folder", true, s("mode_af,AI Focus,1,25"));
        add("the 50 mm twice, 66 not 67", false, s("objectifs,%1,2,66").arg(lensName(0)));
        add("teleconverter lens name", false, s("objectifs,%1,1,33").arg(lensName(3)));
        add("ambiguous lens name with or", true, s("objectifs,%1,1,25").arg(lensName(9)));
    }

    void csvCounts() {
        QFETCH(bool, recursive);
        QFETCH(QString, row);
        QStringList rows;
        int iso = 0;
        for (const QStringList &fields :
             test::parseCsv(QString::fromUtf8(output("csv", recursive)))) {
            rows << fields.join(u',');
            iso += fields.value(0) == QLatin1String("iso") ? fields.value(2).toInt() : 0;
        }
        QCOMPARE(rows.value(0), s("categorie,classe,photos,pourcentage"));
        QVERIFY2(rows.contains(row), qPrintable(rows.join(u'\n')));
        // Every photo is counted once per category where it matched a class.
        QCOMPARE(iso, recursive ? 4 : 3);
    }

    // The three real Canon files: a 350D and a Digital Rebel, 55 mm at 1/15 and 24 mm at 1/64,
    // and an EOS M50's CR3, 15 mm at 1/80.
    void realSamples() {
        const QString samples = test::samplesFolder();
        if (samples.isEmpty())
            QSKIP("the real Canon samples are absent (KADRILO_SAMPLES_DIR)");
        const Run run =
            runProgram(rapportPath, {s("--recursif"), s("--format=csv"), samples}, m_tmp.path());
        QCOMPARE(run.status, 0);
        QStringList rows;
        QStringList bodies;
        for (const QStringList &fields : test::parseCsv(QString::fromUtf8(run.out))) {
            // The three files are all named CanonRaw: their tag files take copy numbers in the
            // order ExifTool meets them, which is the order the file system lists them in.
            if (fields.value(0) == s("boitiers"))
                bodies << fields.join(u',');
            else if (fields.value(0) == s("focales") || fields.value(0) == s("vitesses") ||
                     fields.value(0) == s("focales_35mm") || fields.value(0) == s("annees") ||
                     (fields.value(0) == s("vitesse_de_securite") && fields.value(2) != s("0")))
                rows << fields.join(u',');
        }
        // The CR3's, CRW's and CR2's 35 mm equivalents, 23.3, 37.2 and 89.2 mm, and their years;
        // 1/80 s at 23.3 mm and 1/64 s at 37.2 mm are within the handheld limit, 1/15 s at
        // 89.2 mm is 2.57 stops slower.
        QCOMPARE(rows, QStringList({s("focales,15 mm,1,33"), s("focales,24 mm,1,33"),
                                    s("focales,55 mm,1,33"), s("vitesses,1/80,1,33"),
                                    s("vitesses,1/64,1,33"), s("vitesses,1/15,1,33"),
                                    s("focales_35mm,23 mm,1,33"), s("focales_35mm,37 mm,1,33"),
                                    s("focales_35mm,89 mm,1,33"), s("annees,2003,1,33"),
                                    s("annees,2005,1,33"), s("annees,2018,1,33"),
                                    s("vitesse_de_securite,à 1/focale ou plus rapide,2,66"),
                                    s("vitesse_de_securite,3 IL plus lent,1,33")}));
        bodies.sort();
        QCOMPARE(bodies, QStringList({s("boitiers,Canon EOS 350D DIGITAL,1,33"),
                                      s("boitiers,Canon EOS DIGITAL REBEL,1,33"),
                                      s("boitiers,Canon EOS M50,1,33")}));
    }

    // The questions of a photographer over a nested library of CR2 and CR3 images: what the
    // filters keep and what the categories count agree with the values ExifTool itself reads.
    void questionsAgreeWithExiftool_data() {
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<int>("kept");
        const auto row = [](const char *name, std::initializer_list<const char *> filters,
                            int kept) {
            QStringList list;
            for (const char *filter : filters)
                list << s(filter);
            QTest::addRow("%s", name) << list << kept;
        };
        row("no filter", {}, 6);
        row("a lens text that two lens names hold", {"--objectif", "18-55"}, 2);
        row("one of them, in another case", {"--objectif", "unknown 18-55"}, 1);
        // The first image falls on the day's last second; one 5D image has no date.
        row("a body between two days",
            {"--boitier", "5d", "--depuis", "2022-12-31", "--jusqu-au=2024-02-29"}, 2);
        row("since a day", {"--depuis", "2023-01-01"}, 4);
    }

    void questionsAgreeWithExiftool() {
        QFETCH(QStringList, filters);
        QFETCH(int, kept);
        const QDir library = questionLibrary();
        QVERIFY(library.exists());

        // What ExifTool reads, in the order of the image names, which is the order of the
        // report's tag files.
        QProcess exiftool;
        exiftool.start(test::installedExiftool(),
                       {s("-j"), s("-r"), s("-LensID"), s("-Model"), s("-DateTimeOriginal"),
                        s("-FocalLength#"), s("-FocalLength35efl#"), s("-ScaleFactor35efl#"),
                        s("-ExposureTime#"), library.path()});
        QVERIFY(exiftool.waitForFinished(60000) && exiftool.exitCode() == 0);
        QVariantList read =
            QJsonDocument::fromJson(exiftool.readAllStandardOutput()).toVariant().toList();
        QCOMPARE(read.size(), 6);
        std::sort(read.begin(), read.end(), [](const QVariant &a, const QVariant &b) {
            return QFileInfo(a.toMap().value(s("SourceFile")).toString()).fileName() <
                   QFileInfo(b.toMap().value(s("SourceFile")).toString()).fileName();
        });

        // The filters and categories worked out from those values, one line per class.
        const auto option = [&filters](const char *name) {
            const int at = int(filters.indexOf(s(name)));
            return at >= 0 ? filters.value(at + 1) : QString();
        };
        QString until = option("--jusqu-au");
        for (const QString &filter : filters) {
            if (filter.startsWith(s("--jusqu-au=")))
                until = filter.section(u'=', 1);
        }
        const QString since = option("--depuis");
        static const char *const months[] = {"janvier",   "février", "mars",     "avril",
                                             "mai",       "juin",    "juillet",  "août",
                                             "septembre", "octobre", "novembre", "décembre"};
        std::map<int, int> focal35, hours, monthCounts, years;
        QStringList lensOrder;
        QHash<QString, std::map<int, int>> lensFocal;
        QHash<QString, int> lensPhotos;
        // The handheld limit from ExifTool's numbers: log2(seconds x equivalent millimetres),
        // a hundredth of a stop of tolerance at each bound.
        static const char *const safetyNames[] = {"à 1/focale ou plus rapide", "1 IL plus lent",
                                                  "2 IL plus lent", "3 IL plus lent",
                                                  "plus de 3 IL plus lent"};
        std::map<int, int> safety;
        QHash<QString, std::map<int, int>> lensSafety;
        int keptImages = 0;
        for (const QVariant &entry : read) {
            const QVariantMap tags = entry.toMap();
            const QString lens = tags.value(s("LensID")).toString();
            const QString date = tags.value(s("DateTimeOriginal")).toString();
            const QString day = date.left(10).replace(u':', u'-');
            if (!lens.contains(option("--objectif"), Qt::CaseInsensitive) ||
                !tags.value(s("Model"))
                     .toString()
                     .contains(option("--boitier"), Qt::CaseInsensitive) ||
                ((!since.isEmpty() || !until.isEmpty()) && date.isEmpty()) ||
                (!since.isEmpty() && day < since) || (!until.isEmpty() && day > until))
                continue;
            ++keptImages;
            if (tags.contains(s("ScaleFactor35efl")))
                ++focal35[int(tags.value(s("FocalLength35efl")).toDouble())];
            if (tags.contains(s("ScaleFactor35efl")) && tags.contains(s("ExposureTime"))) {
                const double margin = std::log2(tags.value(s("ExposureTime")).toDouble() *
                                                tags.value(s("FocalLength35efl")).toDouble());
                const int safetyClass =
                    margin <= 0.01 ? 0 : std::min(4, int(std::ceil(margin - 0.01)));
                ++safety[safetyClass];
                ++lensSafety[lens][safetyClass];
            }
            if (!date.isEmpty()) {
                ++hours[date.mid(11, 2).toInt()];
                ++monthCounts[date.mid(5, 2).toInt()];
                ++years[date.left(4).toInt()];
            }
            if (!lensPhotos.contains(lens))
                lensOrder << lens;
            ++lensPhotos[lens];
            ++lensFocal[lens][int(tags.value(s("FocalLength")).toDouble())];
        }
        QCOMPARE(keptImages, kept);
        if (filters.isEmpty()) // the bounds land where they must
            QCOMPARE(safety, (std::map<int, int>{{0, 1}, {1, 2}, {2, 1}, {3, 1}}));
        QStringList expected;
        const auto classes = [&](const char *category, const std::map<int, int> &counts,
                                 const std::function<QString(int)> &name) {
            for (const auto &[value, count] : counts)
                expected << s("%1|%2|%3|%4")
                                .arg(s(category), name(value))
                                .arg(count)
                                .arg(count * 100 / kept);
        };
        const auto mm = [](int value) {
            return QString::number(value) + s(" mm");
        };
        classes("focales_35mm", focal35, mm);
        classes("heures", hours, [](int hour) { return QString::number(hour) + s(" h"); });
        classes("mois", monthCounts, [](int month) { return s(months[month - 1]); });
        classes("annees", years, [](int year) { return QString::number(year); });
        classes("vitesse_de_securite", safety, [](int k) { return s(safetyNames[k]); });
        for (const QString &lens : lensOrder) {
            expected << lens + s("|%1").arg(lensPhotos[lens]);
            for (const auto &[value, count] : lensFocal[lens])
                expected << s("  %1|%2|%3")
                                .arg(mm(value))
                                .arg(count)
                                .arg(count * 100 / lensPhotos[lens]);
        }
        for (const QString &lens : lensOrder) {
            const auto &classCounts = lensSafety[lens];
            int photos = 0;
            for (const auto &[safetyClass, count] : classCounts)
                photos += count;
            if (photos == 0)
                continue;
            expected << s("~") + lens + s("|%1").arg(photos);
            for (const auto &[safetyClass, count] : classCounts)
                expected << s("~  %1|%2|%3")
                                .arg(s(safetyNames[safetyClass]))
                                .arg(count)
                                .arg(count * 100 / photos);
        }

        const Run run = runProgram(rapportPath,
                                   QStringList{s("--recursif"), s("--format"), s("json")} +
                                       filters + QStringList{library.path()},
                                   m_tmp.path());
        QCOMPARE(run.status, 0);
        const QJsonObject root = QJsonDocument::fromJson(run.out).object();
        const QJsonObject summary = root.value(s("resume")).toObject();
        QCOMPARE(summary.value(s("fichiers")).toInt(), kept);
        QCOMPARE(summary.value(s("fichiers_avant_filtre")).toInt(), 6);
        QCOMPARE(summary.value(s("filtres")).toObject().size(),
                 filters.filter(QRegularExpression(s("^--"))).size());
        QStringList reported;
        for (const char *category :
             {"focales_35mm", "heures", "mois", "annees", "vitesse_de_securite"}) {
            for (const QJsonValue &value : root.value(s(category)).toArray()) {
                const QJsonObject item = value.toObject();
                if (item.value(s("photos")).toInt() > 0)
                    reported << s("%1|%2|%3|%4")
                                    .arg(s(category), item.value(s("classe")).toString())
                                    .arg(item.value(s("photos")).toInt())
                                    .arg(item.value(s("pourcentage")).toInt());
            }
        }
        for (const QJsonValue &value : root.value(s("focales_par_objectif")).toArray()) {
            const QJsonObject lens = value.toObject();
            reported << s("%1|%2")
                            .arg(lens.value(s("objectif")).toString())
                            .arg(lens.value(s("photos")).toInt());
            for (const QJsonValue &focal : lens.value(s("focales")).toArray())
                reported << s("  %1|%2|%3")
                                .arg(focal[s("classe")].toString())
                                .arg(focal[s("photos")].toInt())
                                .arg(focal[s("pourcentage")].toInt());
        }
        for (const QJsonValue &value :
             root.value(s("vitesse_de_securite_par_objectif")).toArray()) {
            const QJsonObject lens = value.toObject();
            reported << s("~%1|%2")
                            .arg(lens.value(s("objectif")).toString())
                            .arg(lens.value(s("photos")).toInt());
            for (const QJsonValue &item : lens.value(s("classes")).toArray()) {
                if (item[s("photos")].toInt() > 0)
                    reported << s("~  %1|%2|%3")
                                    .arg(item[s("classe")].toString())
                                    .arg(item[s("photos")].toInt())
                                    .arg(item[s("pourcentage")].toInt());
            }
        }
        QCOMPARE(reported, expected);
    }

    // Each group of --par is exactly what a run filtered to that group gives, in every
    // category; "inconnu" (an image without a date) has no such filter.
    void groupsEqualFilteredRuns_data() {
        QTest::addColumn<QString>("by");
        QTest::addColumn<QStringList>("groups");
        QTest::addRow("per year") << s("annee")
                                  << QStringList{s("2022"), s("2023"), s("2024"), s("inconnu")};
        QTest::addRow("per body") << s("boitier")
                                  << QStringList{s("Canon EOS 5D Mark II"),
                                                 s("Canon EOS 350D DIGITAL"),
                                                 s("Canon EOS DIGITAL REBEL")};
        QTest::addRow("per lens") << s("objectif")
                                  << QStringList{lensName(5), lensName(1), lensName(10),
                                                 lensName(0)};
    }

    void groupsEqualFilteredRuns() {
        QFETCH(QString, by);
        QFETCH(QStringList, groups);
        const QDir library = questionLibrary();
        QVERIFY(library.exists());
        const QStringList common{s("--recursif"), s("--format=json")};
        const Run grouped = runProgram(
            rapportPath, common + QStringList{s("--par"), by, library.path()}, m_tmp.path());
        QCOMPARE(grouped.status, 0);
        const QJsonObject root = QJsonDocument::fromJson(grouped.out).object();
        QCOMPARE(root.value(s("resume")).toObject().value(s("par")).toString(), by);
        const QJsonArray shown = root.value(s("groupes")).toArray();
        QStringList names;
        for (const QJsonValue &group : shown)
            names << group[s("groupe")].toString();
        QCOMPARE(names, groups);
        for (QJsonValue value : shown) {
            QJsonObject group = value.toObject();
            const QString name = group.take(s("groupe")).toString();
            if (name == s("inconnu"))
                continue;
            const QStringList filter = by == s("annee")
                                           ? QStringList{s("--depuis=%1-01-01").arg(name),
                                                         s("--jusqu-au=%1-12-31").arg(name)}
                                       : by == s("boitier") ? QStringList{s("--boitier"), name}
                                                            : QStringList{s("--objectif"), name};
            const Run filtered = runProgram(
                rapportPath, common + filter + QStringList{library.path()}, m_tmp.path());
            QCOMPARE(filtered.status, 0);
            QJsonObject alone = QJsonDocument::fromJson(filtered.out).object();
            QCOMPARE(group.take(s("fichiers")),
                     alone.take(s("resume")).toObject().value(s("fichiers")));
            QCOMPARE(group.keys(), alone.keys());
            for (const QString &category : group.keys())
                QVERIFY2(group.value(category) == alone.value(category), qPrintable(category));
        }
    }

    // Images shared among three processes give the very report of one: nested folders, equal
    // names in several of them, accents, blanks, a line break, hidden files and folders.
    void threeProcessesReportAsOne() {
        QTemporaryDir root;
        const QDir photos(root.filePath(s("mes photos")));
        QVERIFY(photos.mkpath(s("été 2010/sous dossier")) && photos.mkpath(s("hiver 2011")) &&
                photos.mkpath(s(".cache")));
        // Equal names share their lens and body, so even their order cannot differ.
        const char *const images[] = {"IMG_0001.CR2",
                                      "été 2010/IMG_0001.CR2",
                                      "été 2010/sous dossier/IMG_0001.cr2",
                                      "hiver 2011/IMG_0001.CR2",
                                      "été 2010/photo à la mer.cr2",
                                      "hiver 2011/Zèbre.CR2",
                                      "hiver 2011/retour\nà la ligne.cr2",
                                      "hiver 2011/.cachée.CR2",
                                      ".cache/IMG_0009.CR2",
                                      "été 2010/IMG_0002.CR2"};
        int i = 0;
        for (const char *image : images) {
            const QString name = QFileInfo(s(image)).fileName();
            const int lens = name.startsWith(s("IMG_0001")) ? 1 : 2 + i % 4;
            const Shot shot{18.0 + i, 1, 60 << (i % 3),
                            lens == 1 ? "Canon EOS 5D Mark II" : "Canon EOS 350D DIGITAL"};
            QVERIFY(writePhoto(photos.filePath(s(image)), 100 << (i % 5), 2.8, i % 3, i % 2, lens,
                               shot));
            ++i;
        }
        QByteArray outputs[2];
        for (const int processes : {1, 3}) {
            const Run run = runProgram(
                rapportPath,
                {s("--recursif"), s("--processus"), QString::number(processes), photos.path()},
                m_tmp.path());
            QCOMPARE(run.status, 0);
            outputs[processes / 3] = run.out;
        }
        QVERIFY2(outputs[0].startsWith("9 Fichiers RAW Analysés\n"), outputs[0].constData());
        QCOMPARE(outputs[1], outputs[0]);
        QVERIFY(noPrivateFolder(m_tmp.path()));
    }

    void failures_data() {
        QTest::addColumn<QStringList>("arguments"); // "@name": a folder made by the test
        QTest::addColumn<int>("status");
        QTest::addColumn<Exiftool>("exiftool");
        QTest::addColumn<bool>("tmpDirIsAFile");
        const auto row = [](const char *name, const QStringList &arguments, int status,
                            Exiftool exiftool = Exiftool::Linked, bool tmpDirIsAFile = false) {
            QTest::addRow("%s", name) << arguments << status << exiftool << tmpDirIsAFile;
        };
        const QString photos = images();
        row("no argument", {}, 2);
        row("unknown format", {s("--format"), s("xml"), photos}, 2);
        row("folder missing", {photos + s("/absent")}, 3);
        row("a file given as the folder", {photos + s("/a.CR2")}, 3);
        row("folder unreadable", {s("@locked")}, 3);
        row("exiftool.exe missing beside the program", {photos}, 4, Exiftool::Missing);
        row("exiftool.exe is a folder", {photos}, 4, Exiftool::Folder);
        row("no raw image: no tag file", {s("@empty")}, 5);
        row("jpeg only, with sub-folders: no tag file", {s("--recursif"), s("@jpeg")}, 5);
        row("private folder cannot be made", {photos}, 6, Exiftool::Linked, true);
    }

    void failures() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(Exiftool, exiftool);
        QFETCH(bool, tmpDirIsAFile);

        QTemporaryDir scratch;
        QTemporaryDir tmp;
        QVERIFY(scratch.isValid() && tmp.isValid());
        const QDir made(scratch.path());
        QVERIFY(made.mkpath(s("empty")) && made.mkpath(s("jpeg/sub")) && made.mkpath(s("locked")));
        QVERIFY(QFile(made.filePath(s("jpeg/sub/IMG_0001.JPG"))).open(QIODevice::WriteOnly));
        QVERIFY(QFile(made.filePath(s("a-file"))).open(QIODevice::WriteOnly));
        QVERIFY(QFile::setPermissions(made.filePath(s("locked")), QFileDevice::WriteOwner));
        if (arguments.contains(s("@locked")) && ::geteuid() == 0)
            QSKIP("root reads every folder");
        for (QString &argument : arguments) {
            if (argument.startsWith(u'@'))
                argument = made.filePath(argument.mid(1));
        }
        // A copy of the program in a program folder of its own, ExifTool as the row wants it.
        const test::ProgramFolder folder(exiftool);
        const QString program = folder.filePath(s("kadrilo-rapport"));
        QVERIFY(QFile::copy(rapportPath, program));
        const QString tmpDir = tmpDirIsAFile ? made.filePath(s("a-file")) : tmp.path();

        const Run run = runProgram(program, arguments, tmpDir);
        QCOMPARE(run.status, status);
        QCOMPARE(run.out, QByteArray());
        QVERIFY2(run.err.startsWith("kadrilo-rapport : "), run.err.constData());
        QVERIFY(noPrivateFolder(tmp.path())); // the private folder is gone after a failure too
    }

    void progressOnATerminal() {
        // `script` gives the program a terminal as standard error.
        const QString script = QStandardPaths::findExecutable(s("script"));
        if (script.isEmpty())
            QSKIP("no `script` to provide a terminal");
        const QString command = s("'%1' --recursif '%2' >/dev/null").arg(rapportPath, images());
        const Run run =
            runProgram(script, {s("-q"), s("-e"), s("-c"), command, s("/dev/null")}, m_tmp.path());
        QCOMPARE(run.status, 0);
        const QString shown = QString::fromUtf8(run.err + run.out);
        QVERIFY2(shown.contains(s("Extraction : 0 / 4 images")), qPrintable(shown));
        QVERIFY2(shown.contains(s("Extraction : 4 / 4 images")), qPrintable(shown));
        QVERIFY(noPrivateFolder(m_tmp.path()));
    }

    // Endings that once looked like success. Each row is a bash command with R the program,
    // P the photos, T the runtime folder (and TMPDIR) and S a scratch folder.
    void endingsThatAreTold_data() {
        QTest::addColumn<QByteArray>("exiftool"); // a stand-in's script; empty: the real one
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("needs"); // "root", "mount", "script", "python3" or empty
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // in standard output (empty: nothing there)
        QTest::addColumn<QString>("err"); // in standard error
        const auto row = [](const char *name, const QByteArray &exiftool, const char *command,
                            const char *needs, int status, const char *out, const char *err) {
            QTest::addRow("%s", name)
                << exiftool << s(command) << s(needs) << status << s(out) << s(err);
        };
        row("ExifTool killed", "kill -KILL $$", R"("$R" "$P")", "", 7, "",
            "(arrêté par le signal 9) : aucune des 3 images n'a été lue");
        row("exiftool.exe that is no program",
            "\x7f"
            "ELF",
            R"("$R" "$P")", "", 4, "", "ExifTool n'a pas pu être lancé");
        // A private folder on a 5-entry file system: the second tag file cannot be created.
        row("no file entry left for the tag files", "",
            R"(unshare -rm sh -c 'mount -t tmpfs -o nr_inodes=5,mode=700 t "$T" && exec "$R" "$P"')",
            "mount", 8, "", "n'accepte plus de nouveau fichier");
        row("unreadable image, unreadable folder, path over 4096 bytes", "",
            R"(mkdir -p "$S/p/locked" && cp "$P/a.CR2" "$P/b.cr2" "$S/p/" && cp "$P/a.CR2" "$S/p/locked/" &&
               cp "$P/c.cr2" "$S/p/unreadable.cr2" && chmod 0 "$S/p/unreadable.cr2" "$S/p/locked" &&
               (cd "$S/p" && for i in $(seq 22); do mkdir d$(printf %0200d 0) && cd -P d$(printf %0200d 0); done &&
               cp "$P/a.CR2" deep.CR2) && chown 65534 "$T" && chmod a+rx "$S" &&
               setpriv --reuid=65534 --regid=65534 --clear-groups "$R" --recursif "$S/p")",
            "root", 9, "2 Fichiers RAW Analysés", "2 des 4 images n'ont pas pu être lues :\n« /");
        row("current folder longer than 4096 bytes", "",
            R"(cd "$S" && for i in $(seq 22); do mkdir d$(printf %0200d 0) && cd -P d$(printf %0200d 0); done &&
               cp "$P/a.CR2" . && "$R" .)",
            "", 0, "1 Fichiers RAW Analysés", "");
        row("only an image whose name starts with a dot", "",
            R"(cp "$P/a.CR2" "$S/.only.cr2" && "$R" "$S")", "", 0, "1 Fichiers RAW Analysés", "");
        row("a filter that keeps no image", "", R"("$R" --objectif 24-70 "$P")", "", 5, "",
            "kadrilo-rapport : Aucune image ne répond aux filtres : objectif contenant « 24-70 "
            "»\n");
        row("every filter named when none keeps an image", "",
            R"("$R" --objectif 24-70 --boitier R5 --depuis 2030-01-01 "$P")", "", 5, "",
            "filtres : objectif contenant « 24-70 », boîtier contenant « R5 » et depuis le "
            "2030-01-01\n");
        // A JPEG named like a raw image is read, then set apart with sub-folders: the cache
        // gives it on the second run, yet it is not among the images already read.
        row("cache line counts only images then counted", "",
            R"(cp "$P/a.CR2" "$S/" && printf '\377\330\377\331' > "$S/x.CR2" && sleep 2.1 &&
               "$R" --recursif "$S" >/dev/null 2>&1;
               script -q -e -c "'$R' --recursif '$S' >/dev/null" /dev/null >&2)",
            "script", 9, "", "Cache : 1 image déjà lue,");
        // The folder is the one the system names: by its own bytes, whatever the other
        // arguments or the current folder's name, links followed before "..".
        row("Latin-1 folder beside a filter of other Latin-1 bytes", "",
            R"(mkdir "$S/ph"$'\xe8' && cp "$P/a.CR2" "$S/ph"$'\xe8'/ && cd "$S" &&
               "$R" --objectif $'ph\xe9' $'ph\xe8')",
            "", 5, "", "Aucune image ne répond aux filtres : objectif contenant");
        row("relative folder under a current folder named in Latin-1", "",
            R"(mkdir "$S/photos"$'\xe9t\xe9' && cp "$P/a.CR2" "$S/photos"$'\xe9t\xe9'/ &&
               cd "$S/photos"$'\xe9t\xe9' && "$R" .)",
            "", 0, "1 Fichiers RAW Analysés", "");
        row("a link before \"..\": the link's parent", "",
            R"(mkdir -p "$S/real" "$S/other/inner" && cp "$P/a.CR2" "$S/real/" &&
               cp "$P/a.CR2" "$P/b.cr2" "$S/other/" && ln -s "$S/other/inner" "$S/real/link" &&
               cd "$S" && "$R" real/link/..)",
            "", 0, "2 Fichiers RAW Analysés", "");
        // Only what ExifTool takes for a Canon raw image counts, whatever its name.
        const char *jpegAsCr3 =
            R"sh(mkdir -p "$S/j/sub" && cp "$P/a.CR2" "$S/j/" && f="$P/b.cr2" &&
               n=$(( $(stat -c%s "$f") + 8 )) &&
               { printf '\xff\xd8\xff\xe1'; printf "\\x$(printf %02x $((n>>8)))\\x$(printf %02x $((n&255)))";
                 printf 'Exif\0\0'; cat "$f"; printf '\xff\xd9'; } > "$S/j/sub/x.CR3" &&
               cp "$S/j/sub/x.CR3" "$S/j/y.CR3" && "$R" )sh";
        row("JPEG renamed CR3, this folder only", "",
            (QByteArray(jpegAsCr3) + R"("$S/j")").constData(), "", 9, "1 Fichiers RAW Analysés",
            "ce n'est pas une image RAW Canon : JPEG");
        row("JPEG renamed CR3, with sub-folders", "",
            (QByteArray(jpegAsCr3) + R"(--recursif "$S/j")").constData(), "", 9,
            "1 Fichiers RAW Analysés", "2 des 3 images n'ont pas pu être lues");
        row("standard output on a full device", "", R"("$R" "$P" > /dev/full)", "", 10, "",
            "impossible d'écrire sur la sortie standard : plus de place sur le périphérique.");
        row("standard output closed", "", R"("$R" "$P" >&-)", "", 10, "",
            "impossible d'écrire sur la sortie standard : la sortie standard est fermée.");
        row("image linked to /proc/self/pagemap: never read", "",
            R"(ln -s /proc/self/pagemap "$S/zz.CR2" && cp "$P/a.CR2" "$S/" && "$R" --processus 2 "$S")",
            "", 9, "1 Fichiers RAW Analysés",
            "zz.CR2 » : le fichier est sur un système de fichiers virtuel");
        row("empty image: never read", "",
            R"(: > "$S/vide.CR2" && cp "$P/a.CR2" "$S/" && "$R" "$S")", "", 9,
            "1 Fichiers RAW Analysés", "vide.CR2 » : le fichier est vide");
        row("/dev/urandom inherited: a slow ExifTool runs on", R"(sleep 4; exec exiftool "$@")",
            R"(exec 3</dev/urandom; "$R" "$P")", "", 0, "3 Fichiers RAW Analysés", "");
        row("FIFOs where the tag files should be",
            R"(for a in "$@"; do [ "$p" = -w ] && o="$a"; p="$a"; done
            for i in 0 1 2; do mkfifo "$(dirname "$o")/$i.txt"; done)",
            R"("$R" "$P")", "", 5, "", "c'est un tube nommé (FIFO), pas un fichier");
        row("private folder is a link: refused", "", R"(ln -s "$S" "$T/kadrilo" && "$R" "$P")", "",
            6, "", "est un lien ou un fichier");
        row("private folder of another user: refused", "",
            R"(mkdir "$T/kadrilo" && chown 65534 "$T/kadrilo" && "$R" "$P")", "root", 6, "",
            "appartient à un autre utilisateur");
        row("private folder open to others: closed", "",
            R"(mkdir -m 777 "$T/kadrilo" && "$R" "$P" >/dev/null && stat -c %a "$T/kadrilo")", "",
            0, "700", "");
        row("runtime folder open to others: the cache folder instead", "",
            R"(chmod 755 "$T" && "$R" "$P" >/dev/null && stat -c %a "$XDG_CACHE_HOME/kadrilo/rapport")",
            "", 0, "700", "");
        row("folders of dead reports removed, lock or no lock", "",
            R"x(mkdir -p "$T/kadrilo/rapport-dead/part-1" "$T/kadrilo/rapport-old" && chmod 700 "$T/kadrilo" &&
               printf '99999999\nkadrilo-rapport\n%s\n' "$(hostname)" > "$T/kadrilo/rapport-dead/.kadrilo.lock" &&
               touch -d '-2 min' "$T/kadrilo/rapport-old" && "$R" "$P" >/dev/null && ls -A "$T/kadrilo")x",
            "", 0, "", "");
        // Another program holds the cache while the report waits for it, outside any event
        // loop: the signal still ends the report within a second.
        for (const char *signal : {"TERM", "INT", "HUP"}) {
            const QByteArray name =
                QByteArray("SIG") + signal + " while the cache waits for a lock";
            const QByteArray command =
                R"(mkdir -p "$XDG_CACHE_HOME/kadrilo" && python3 -c 'import os, sqlite3, sys, time
c = sqlite3.connect(sys.argv[1], isolation_level=None); c.execute("BEGIN EXCLUSIVE")
print(os.getpid(), flush=True); time.sleep(30)' "$XDG_CACHE_HOME/kadrilo/balises.sqlite" |
                   { read p; "$R" "$P" & r=$!; sleep 0.5; kill -)" +
                QByteArray(signal) + R"( $r; t=$(date +%s%N); wait $r; s=$?; kill $p
                     echo $(( ($(date +%s%N) - t) / 1000000 < 1000 )); exit $s; })";
            row(name.constData(), "", command.constData(), "python3", 130, "1", "interrompu.");
        }
        row("SIGTERM while the cache is stored: the private folder goes too",
            R"(sleep 1; exec exiftool "$@")",
            R"x(mkdir -p "$XDG_CACHE_HOME/kadrilo" && python3 -c 'import glob, os, sqlite3, sys, time
while not glob.glob(sys.argv[2] + "/kadrilo/rapport-*"): time.sleep(0.05)
c = sqlite3.connect(sys.argv[1], isolation_level=None); c.execute("BEGIN EXCLUSIVE")
print(os.getpid(), flush=True); time.sleep(30)' "$XDG_CACHE_HOME/kadrilo/balises.sqlite" "$T" |
                { "$R" "$P" & r=$!; read p; sleep 3; kill -TERM $r; t=$(date +%s%N); wait $r; s=$?
                  kill $p; echo $(( ($(date +%s%N) - t) / 1000000 < 1000 )); exit $s; })x",
            "python3", 130, "1", "interrompu.");
        row("another user's folder in the shared temporary folder: never touched", "",
            R"x(mkdir -p "$T/kadrilo-rapport-zz/sub" && touch "$T/kadrilo-rapport-zz/sub/f" &&
               printf '99999999\nkadrilo-rapport\n%s\n' "$(hostname)" > "$T/kadrilo-rapport-zz/.kadrilo.lock" &&
               chown -R 65534 "$T/kadrilo-rapport-zz" && "$R" "$P" >/dev/null && ls "$T/kadrilo-rapport-zz/sub")x",
            "root", 0, "f", "");
    }

    void endingsThatAreTold() {
        QFETCH(QByteArray, exiftool);
        QFETCH(QString, command);
        QFETCH(QString, needs);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        if (needs == s("python3") && QStandardPaths::findExecutable(needs).isEmpty())
            QSKIP("python3 holds the cache's lock");
        if (needs == s("root") && ::geteuid() != 0)
            QSKIP("needs root: another user is played by uid 65534 (setpriv, chown)");
        if (needs == s("script") && QStandardPaths::findExecutable(s("script")).isEmpty())
            QSKIP("no `script` to provide a terminal");
        if (needs == s("mount") &&
            QProcess::execute(s("unshare"), {s("-rm"), s("mount"), s("-t"), s("tmpfs"), s("t"),
                                             QDir::tempPath()}) != 0)
            QSKIP("no private mount available (unshare -rm)");

        const test::ProgramFolder folder(exiftool.isEmpty() ? Exiftool::Linked : Exiftool::Missing);
        const QString program = folder.filePath(s("kadrilo-rapport"));
        QVERIFY(QFile::copy(rapportPath, program));
        if (!exiftool.isEmpty())
            QVERIFY(test::writeFakeProgram(
                folder.filePath(s("exiftool.exe")), exiftool,
                exiftool.startsWith('\x7f') ? test::FakeProgram::Raw : test::FakeProgram::Script));
        QVERIFY(QFile::setPermissions(folder.path(),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther));
        QTemporaryDir tmp, scratch;
        QProcess process;
        QProcessEnvironment environment = reportEnvironment(tmp.path());
        environment.insert(s("R"), program);
        environment.insert(s("P"), images());
        environment.insert(s("T"), tmp.path());
        environment.insert(s("S"), scratch.path());
        process.setProcessEnvironment(environment);
        process.start(s("bash"), {s("-c"), command});
        QVERIFY(process.waitForFinished(60000));
        const QString shownOut = QString::fromUtf8(process.readAllStandardOutput());
        const QString shownErr = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(process.exitCode(), status);
        QVERIFY2(out.isEmpty() ? shownOut.isEmpty() : shownOut.contains(out), qPrintable(shownOut));
        QVERIFY2(shownErr.contains(err), qPrintable(shownErr));
        QVERIFY(noPrivateFolder(tmp.path()));
        // rm walks paths longer than the system's limit, which QDir cannot remove.
        QProcess::execute(s("chmod"), {s("-R"), s("u+rwX"), scratch.path()});
        QProcess::execute(s("rm"), {s("-rf"), scratch.path()});
    }

    // No ExifTool, nothing it started, and no private folder outlives the report, however it
    // ends.
    void nothingOutlivesTheReport_data() {
        QTest::addColumn<int>("signal"); // 0: none, the report ends by itself
        QTest::addColumn<int>("status"); // -1: killed, no status
        QTest::addColumn<int>("processes");
        QTest::addColumn<bool>("child"); // the wrapper leaves a child of its own
        QTest::addRow("SIGTERM") << int(SIGTERM) << 130 << 1 << true;
        QTest::addRow("SIGINT") << int(SIGINT) << 130 << 1 << true;
        QTest::addRow("SIGHUP") << int(SIGHUP) << 130 << 1 << true;
        QTest::addRow("SIGKILL: the kernel ends ExifTool, the next report the folder")
            << int(SIGKILL) << -1 << 1 << false;
        QTest::addRow("SIGINT with three processes") << int(SIGINT) << 130 << 3 << true;
        QTest::addRow("SIGKILL with three processes") << int(SIGKILL) << -1 << 3 << false;
        QTest::addRow("SIGKILL: the wrapper's child goes too") << int(SIGKILL) << -1 << 1 << true;
        QTest::addRow("normal end: the wrapper's child goes too") << 0 << 5 << 1 << true;
        QTest::addRow("normal end with three processes") << 0 << 5 << 3 << true;
    }

    void nothingOutlivesTheReport() {
        QFETCH(int, signal);
        QFETCH(int, status);
        QFETCH(int, processes);
        QFETCH(bool, child);
        // An ExifTool that never ends, or one that ends at once; as a wrapper, it leaves a child
        // of its own. Each notes its process on a line of its own.
        const test::ProgramFolder folder(test::ProgramFolder::Exiftool::Missing);
        const QString program = folder.filePath(s("kadrilo-rapport"));
        QVERIFY(QFile::copy(rapportPath, program));
        const QString pidFile = folder.filePath(s("pid"));
        const QString childFile = folder.filePath(s("child"));
        QVERIFY(
            test::writeFakeProgram(folder.filePath(s("exiftool.exe")),
                                   "echo $$ >> '" + pidFile.toUtf8() + "'\n" +
                                       (child ? "sleep 300 &\necho $! >> '" + childFile.toUtf8() +
                                                    "'\n" + (signal == 0 ? "exit 0" : "wait")
                                              : QByteArray("exec sleep 60"))));
        const auto noted = [](const QString &file) {
            QFile lines(file);
            return lines.open(QIODevice::ReadOnly) ? lines.readAll().split('\n') : QByteArrayList();
        };

        QTemporaryDir tmp;
        QProcess process;
        // The folder holds three images: one for each process.
        start(process, program, {s("--processus"), QString::number(processes), images()},
              tmp.path());
        if (signal != 0) {
            QTRY_COMPARE_WITH_TIMEOUT(noted(child ? childFile : pidFile).size(),
                                      qsizetype(processes + 1), 10000);
            ::kill(pid_t(process.processId()), signal);
        }
        QElapsedTimer ending;
        ending.start();
        QVERIFY(process.waitForFinished(10000));
        if (signal != 0)
            QVERIFY2(ending.elapsed() < 1000, qPrintable(QString::number(ending.elapsed())));
        if (status >= 0) {
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(process.exitCode(), status);
            QCOMPARE(process.readAllStandardOutput(), QByteArray());
        }
        QCOMPARE(noted(pidFile).size(), qsizetype(processes + 1));
        for (const QString &file : {pidFile, childFile}) {
            for (const QByteArray &pid : noted(file))
                QTRY_VERIFY2(!test::processRuns(pid.toLongLong()), pid.constData());
        }
        if (status < 0) {
            QVERIFY(!noPrivateFolder(tmp.path())); // left by the killed report...
            const Run next = runProgram(rapportPath, {images()}, tmp.path());
            QCOMPARE(next.status, 0);
            QCOMPARE(next.err, QByteArray()); // no word on the lock it took over
        }
        QVERIFY(noPrivateFolder(tmp.path())); // ...and removed by the next one
    }

    // Names of files and folders reach standard error, often a terminal: their control
    // characters must not retitle the window, clear the screen or move the cursor there.
    void controlCharactersStayVisible_data() {
        QTest::addColumn<QByteArray>("exiftool"); // a stand-in's script; empty: the real one
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("shown");
        const QString hostile = s("\x1b]0;titre\x07\x1b[2J\r\t");
        const QString visible = s("\\u001B]0;titre\\u0007\\u001B[2J\\u000D\\u0009");
        QTest::addRow("folder not found")
            << QByteArray() << QStringList{images() + u'/' + hostile} << 3 << visible;
        QTest::addRow("unknown format")
            << QByteArray() << QStringList{s("--format"), hostile} << 2 << visible;
        QTest::addRow("what ExifTool said as it stopped")
            << QByteArray(R"(printf 'Error: \033[2J\r - x.CR2\n' >&2; exit 2)")
            << QStringList{images()} << 7 << s("Error: \\u001B[2J\\u000D - x.CR2");
    }

    void controlCharactersStayVisible() {
        QFETCH(QByteArray, exiftool);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, shown);
        const test::ProgramFolder folder(exiftool.isEmpty() ? Exiftool::Linked : Exiftool::Missing);
        const QString program = folder.filePath(s("kadrilo-rapport"));
        QVERIFY(QFile::copy(rapportPath, program));
        if (!exiftool.isEmpty())
            QVERIFY(test::writeFakeProgram(folder.filePath(s("exiftool.exe")), exiftool));
        const Run run = runProgram(program, arguments, m_tmp.path());
        QCOMPARE(run.status, status);
        const QString err = QString::fromUtf8(run.err);
        QVERIFY2(err.contains(shown), qPrintable(err));
        // The message's own line breaks are the only control characters left.
        for (const QChar c : err)
            QVERIFY2(c == u'\n' || (c >= u' ' && c != u'\x7f'), qPrintable(err));
    }

    // Ctrl+Z stops the report and its ExifTool processes, which run in groups of their own;
    // fg lets them all go on.
    void jobControlStopsExiftool_data() {
        QTest::addColumn<int>("processes");
        QTest::addRow("one process") << 1;
        QTest::addRow("three processes") << 3;
    }

    void jobControlStopsExiftool() {
        QFETCH(int, processes);
        const test::ProgramFolder folder(test::ProgramFolder::Exiftool::Missing);
        const QString program = folder.filePath(s("kadrilo-rapport"));
        QVERIFY(QFile::copy(rapportPath, program));
        const QString pidFile = folder.filePath(s("pid"));
        QVERIFY(test::writeFakeProgram(folder.filePath(s("exiftool.exe")),
                                       "echo $$ >> '" + pidFile.toUtf8() + "'\nexec sleep 60"));
        const auto pids = [&pidFile] {
            QFile lines(pidFile);
            QList<qint64> all;
            if (lines.open(QIODevice::ReadOnly)) {
                for (const QByteArray &line : lines.readAll().split('\n'))
                    if (!line.isEmpty())
                        all << line.toLongLong();
            }
            return all;
        };
        // Stopped ("T"), or not, as /proc tells.
        const auto stopped = [](qint64 pid) {
            QFile stat(s("/proc/%1/stat").arg(pid));
            const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
            return line.mid(line.lastIndexOf(')') + 2, 1) == "T";
        };
        QTemporaryDir tmp;
        QProcess process;
        const auto allStopped = [&](bool state) {
            QList<qint64> all = pids();
            all << process.processId();
            return std::all_of(all.begin(), all.end(),
                               [&](qint64 pid) { return stopped(pid) == state; });
        };

        // A job of its own, as a shell with job control makes it: a stop signal stops it.
        process.setChildProcessModifier([] { ::setpgid(0, 0); });
        start(process, program, {s("--processus"), QString::number(processes), images()},
              tmp.path());
        QTRY_COMPARE_WITH_TIMEOUT(pids().size(), qsizetype(processes), 10000);
        ::kill(pid_t(process.processId()), SIGTSTP);
        QTRY_VERIFY(allStopped(true));
        ::kill(pid_t(process.processId()), SIGCONT);
        QTRY_VERIFY(allStopped(false));
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitCode(), 130);
        for (const qint64 pid : pids())
            QTRY_VERIFY(!test::processRuns(pid));
    }

private:
    // Six images of three years (and one without a date) on three bodies and three lenses, made
    // once.
    QDir questionLibrary() {
        const QDir library(m_images.filePath(s("bibliotheque")));
        if (!library.exists()) {
            struct Image {
                const char *path;
                int lens;
                const char *model;
                double focalLength;
                int focalLengthIn35mm;
                const char *dateTimeOriginal;
                int exposureDenominator; // 1/N s; 0: no ExposureTime
            };
            const Image images[] = {
                // Full frame and 1.6 crop bodies, with the handheld limit's bounds: 1/4 s at
                // 32 mm (3 stops), 1/40 s at 28 mm x 1.6, 1/50 s at 50 mm (the limit), 1/25 s
                // at 50 mm (1 stop); an image without a 35 mm equivalent counts in no class.
                {"IMG_1.CR2", 5, "Canon EOS 5D Mark II", 32, 32, "2022:12:31 23:59:59", 4},
                {"2023/IMG_2.CR3", 5, "Canon EOS 350D DIGITAL", 105, 168, "2023:01:01 00:00:00",
                 60},
                {"2023/été/IMG_3.cr2", 1, "Canon EOS 350D DIGITAL", 28, 45, "2023:07:14 12:30:00",
                 40},
                {"2023/été/IMG_4.CR2", 10, "Canon EOS DIGITAL REBEL", 55.5, 0,
                 "2023:07:14 18:00:00", 100},
                {"2023/IMG_5.CR2", 0, "Canon EOS 5D Mark II", 50, 50, "", 50},
                {"2024/IMG_6.cr3", 5, "Canon EOS 5D Mark II", 50, 50, "2024:02:29 09:15:00", 25},
            };
            for (const Image &image : images) {
                test::Cr2Fixture fixture;
                test::applyLens(fixture, test::kCr2Lenses[image.lens]);
                fixture.model = s(image.model);
                fixture.focalLength = image.focalLength;
                fixture.focalLengthIn35mm = image.focalLengthIn35mm;
                fixture.dateTimeOriginal = s(image.dateTimeOriginal);
                fixture.exposureNumerator = image.exposureDenominator > 0 ? 1 : 0;
                fixture.exposureDenominator = std::max(1, image.exposureDenominator);
                const QString path = library.filePath(s(image.path));
                const bool cr3 = path.endsWith(u'3');
                if (!QDir().mkpath(QFileInfo(path).path()) ||
                    !(cr3 ? test::writeCr3(path, fixture) : test::writeCr2(path, fixture)))
                    return QDir(s("/nonexistent"));
            }
        }
        return library;
    }

    QString images() const { return m_images.filePath(s("photos")); }
    QByteArray output(const char *format, bool recursive) const {
        return m_outputs.value(s(format) + (recursive ? s("-r") : QString()));
    }

    QTemporaryDir m_images;
    QTemporaryDir m_tmp;
    QHash<QString, QByteArray> m_outputs; // by format and recursion, from one run each
};

QTEST_GUILESS_MAIN(TestReportProgram)
#include "tst_report_program.moc"
