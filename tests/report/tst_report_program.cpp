// Runs the built kadrilo-rapport over raw fixtures, as a person or a script would.
#include "analysis/analyse.h"
#include "csv_reader.h"
#include "report/recording_sink.h"
#include "run/extraction.h"
#include "run/module1.h"
#include "support/cr2_writer.h"
#include "support/program_folder.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace kadrilo;
using kadrilo::test::Cr2Fixture;

namespace {

const QString rapportPath = QStringLiteral(KADRILO_RAPPORT_PATH);

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

Run runProgram(const QString &program, const QStringList &arguments, const QString &tmpDir) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), tmpDir);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

Cr2Fixture photo(int iso, double fNumber, int focusMode, int continuousDrive, int lens,
                 int selfTimer = 0) {
    Cr2Fixture fixture;
    fixture.iso = iso;
    fixture.fNumber = fNumber;
    fixture.focusMode = focusMode;
    fixture.continuousDrive = continuousDrive;
    fixture.selfTimer = selfTimer;
    kadrilo::test::applyLens(fixture, kadrilo::test::kCr2Lenses[lens]);
    return fixture;
}

QString lensName(int lens) {
    return QString::fromUtf8(kadrilo::test::kCr2Lenses[lens].lensId);
}

// The statistics window's captions beside the results, in the order of the report's lines.
const QStringList isoCaptions{QStringLiteral("100 :"),  QStringLiteral("200 :"),
                              QStringLiteral("400 :"),  QStringLiteral("800 :"),
                              QStringLiteral("1600 :"), QStringLiteral("3200 :"),
                              QStringLiteral("6400 :"), QStringLiteral("H ")};
const QStringList apertureCaptions{
    QStringLiteral("F/1.2  :"), QStringLiteral("F/1.4  :"),  QStringLiteral("F/1.6  :"),
    QStringLiteral("F/1.8  :"), QStringLiteral("F/2    :"),  QStringLiteral("F/2.2 :"),
    QStringLiteral("F/2.5 :"),  QStringLiteral("F/2.8 :"),   QStringLiteral("F/3.2  :"),
    QStringLiteral("F/3.5  :"), QStringLiteral("F/4     :"), QStringLiteral("F/4.5  :"),
    QStringLiteral("F/5    :"), QStringLiteral("F/5.6 :"),   QStringLiteral("F/6.3 :"),
    QStringLiteral("F/7.1 :"),  QStringLiteral("F/8    :"),  QStringLiteral("F/9    :"),
    QStringLiteral("F/10  :"),  QStringLiteral("F/11   :"),  QStringLiteral("F/13  :"),
    QStringLiteral("F/14  :"),  QStringLiteral("F/16  :"),   QStringLiteral("F/22  :")};
const QStringList driveCaptions{QStringLiteral("Mode vue par vue :"),
                                QStringLiteral("Mode rafale          :")};
const QStringList autofocusCaptions{
    QStringLiteral("AF One-shot    :"), QStringLiteral("AF Ai Servo     :"),
    QStringLiteral("MAP Manuelle :"), QStringLiteral("AF Ai Focus    :")};

// The lines that follow `heading` in the texte output.
QStringList linesAfter(const QStringList &lines, const QString &heading, int count) {
    const int at = int(lines.indexOf(heading));
    if (at < 0)
        return {};
    return lines.mid(at + 1, count);
}

QStringList joined(const QStringList &captions, const QStringList &results) {
    QStringList lines;
    for (int i = 0; i < captions.size(); ++i)
        lines << captions.at(i) + results.value(i);
    return lines;
}

template <std::size_t N> QStringList toList(const std::array<QString, N> &texts) {
    return QStringList(texts.begin(), texts.end());
}

bool isEmptyFolder(const QString &path) {
    return QDir(path)
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
        .isEmpty();
}

} // namespace

class TestReportProgram : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void texteLinesAreTheWindowCaptions_data();
    void texteLinesAreTheWindowCaptions();
    void csvCounts_data();
    void csvCounts();
    void jsonParses_data();
    void jsonParses();
    void successLeavesNoPrivateFolderAndNoProgress();
    void failures_data();
    void failures();
    void progressOnATerminal();
    void interruptionRemovesThePrivateFolder();
    void realSamples();

private:
    QString imagesFolder() const { return m_images.filePath(QStringLiteral("photos")); }
    Run report(const QStringList &arguments);
    // What the statistics window receives from the same folder, through the same analysis.
    report::RecordedStatistics windowCaptions(bool recursive);

    QTemporaryDir m_images;
    QTemporaryDir m_tmp;
    QHash<QString, QByteArray> m_outputs; // by format and recursion, from one run each
};

Run TestReportProgram::report(const QStringList &arguments) {
    return runProgram(rapportPath, arguments, m_tmp.path());
}

void TestReportProgram::initTestCase() {
    if (kadrilo::test::installedExiftool().isEmpty())
        QSKIP("ExifTool is not installed");
    QVERIFY(QFileInfo(rapportPath).isExecutable());
    QVERIFY(m_images.isValid());
    QVERIFY(m_tmp.isValid());

    const QDir photos(imagesFolder());
    QVERIFY(QDir().mkpath(photos.filePath(QStringLiteral("sub"))));
    QVERIFY(test::writeCr2(photos.filePath(QStringLiteral("a.CR2")), photo(100, 2.8, 0, 0, 0)));
    QVERIFY(test::writeCr2(photos.filePath(QStringLiteral("b.cr2")), photo(200, 5.6, 1, 1, 3)));
    QVERIFY(test::writeCr2(photos.filePath(QStringLiteral("c.cr2")), photo(3200, 8, 3, 0, 0)));
    QFile jpeg(photos.filePath(QStringLiteral("d.jpg")));
    QVERIFY(jpeg.open(QIODevice::WriteOnly));
    jpeg.close();
    // In the sub-folder: a self-timer shot, counted in no drive mode.
    QVERIFY(test::writeCr2(photos.filePath(QStringLiteral("sub/e.CR2")),
                           photo(12800, 22, 2, 0, 9, 100)));

    for (const QString &format :
         {QStringLiteral("texte"), QStringLiteral("csv"), QStringLiteral("json")}) {
        for (const bool recursive : {false, true}) {
            QStringList arguments{QStringLiteral("--format"), format, imagesFolder()};
            if (recursive)
                arguments.prepend(QStringLiteral("--recursif"));
            const Run run = report(arguments);
            QCOMPARE(run.status, 0);
            QCOMPARE(run.err, QByteArray());
            m_outputs.insert(format + (recursive ? QStringLiteral("-r") : QString()), run.out);
        }
    }
}

report::RecordedStatistics TestReportProgram::windowCaptions(bool recursive) {
    QTemporaryDir temp;
    Module1 state;
    state.type_raw = QStringLiteral("Canon");
    state.option_recursive = recursive ? 1 : 0;
    state.chemin_exiftool = kadrilo::test::installedExiftool();
    state.dossier_temp = QDir::toNativeSeparators(temp.path()) + QDir::separator();
    extraire_exif(state, imagesFolder());
    report::RecordingSink sink;
    analyse_exif(state, imagesFolder(), sink);
    return sink.recorded();
}

void TestReportProgram::texteLinesAreTheWindowCaptions_data() {
    QTest::addColumn<bool>("recursive");
    QTest::addRow("this folder only") << false;
    QTest::addRow("with sub-folders") << true;
}

void TestReportProgram::texteLinesAreTheWindowCaptions() {
    QFETCH(bool, recursive);
    const report::RecordedStatistics window = windowCaptions(recursive);
    const QStringList lines =
        QString::fromUtf8(
            m_outputs.value(recursive ? QStringLiteral("texte-r") : QStringLiteral("texte")))
            .split(QLatin1Char('\n'));

    QCOMPARE(lines.mid(0, 3), toList(window.summary));
    QCOMPARE(lines.at(0), recursive ? QStringLiteral("4 Fichiers RAW Analysés")
                                    : QStringLiteral("3 Fichiers RAW Analysés"));
    QCOMPARE(lines.at(2), QStringLiteral("Dossier d'analyse : ") + imagesFolder());
    QCOMPARE(linesAfter(lines, QStringLiteral("[ISO]"), 8),
             joined(isoCaptions, toList(window.label5)));
    QCOMPARE(linesAfter(lines, QStringLiteral("[Diaphragme]"), 24),
             joined(apertureCaptions, toList(window.label11)));
    const QStringList driveAndAf = linesAfter(lines, QStringLiteral("[motorisation / AF]"), 7);
    QCOMPARE(driveAndAf.mid(0, 2), joined(driveCaptions, toList(window.label9)));
    QVERIFY(driveAndAf.value(2).startsWith(QStringLiteral("Nota : ")));
    QCOMPARE(driveAndAf.mid(3), joined(autofocusCaptions, toList(window.label7)));
    // Result captions always begin with the blank before the count.
    QCOMPARE(window.label5.front(),
             QStringLiteral(" 1 photos, soit ") +
                 (recursive ? QStringLiteral("25%") : QStringLiteral("33%")));

    const QStringList lenses = linesAfter(lines, QStringLiteral("[Objectifs]"), recursive ? 3 : 2);
    QCOMPARE(lenses.value(0), lensName(0) + QStringLiteral(" : 2 photos, soit ") +
                                  (recursive ? QStringLiteral("50%") : QStringLiteral("66%")));
    if (recursive)
        QCOMPARE(lenses.value(2), lensName(9) + QStringLiteral(" : 1 photos, soit 25%"));
}

void TestReportProgram::csvCounts_data() {
    QTest::addColumn<bool>("recursive");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("photos");
    QTest::addColumn<int>("percent");

    const auto add = [](const char *row, bool recursive, const char *category, const QString &name,
                        int photos, int percent) {
        QTest::addRow("%s", row) << recursive << QString::fromUtf8(category) << name << photos
                                 << percent;
    };
    const auto s = [](const char *text) {
        return QString::fromUtf8(text);
    };
    add("iso 100 band, one of three", false, "iso", s("100 (50 à 125)"), 1, 33);
    add("iso 3200 band", false, "iso", s("3200 (2500 à 4000)"), 1, 33);
    add("iso 12800 only with sub-folders", true, "iso", s("H (au dela de 6400)"), 1, 25);
    add("iso 12800 left out of this folder", false, "iso", s("H (au dela de 6400)"), 0, 0);
    add("f/8 printed as 8.0", false, "diaphragme", s("F/8"), 1, 33);
    add("f/22 in the last bucket", true, "diaphragme", s("F/22"), 1, 25);
    add("two single frames of three", false, "motorisation", s("Mode vue par vue"), 2, 66);
    add("self-timer shot counted nowhere", true, "motorisation", s("Mode vue par vue"), 2, 50);
    add("continuous", true, "motorisation", s("Mode rafale"), 1, 25);
    add("manual focus variant", false, "mode_af", s("MAP Manuelle"), 1, 33);
    add("ai focus in the sub-folder", true, "mode_af", s("AI Focus"), 1, 25);
    add("the 50 mm twice", false, "objectifs", lensName(0), 2, 66);
    add("teleconverter lens name", false, "objectifs", lensName(3), 1, 33);
    add("ambiguous lens name with or", true, "objectifs", lensName(9), 1, 25);
}

void TestReportProgram::csvCounts() {
    QFETCH(bool, recursive);
    QFETCH(QString, category);
    QFETCH(QString, name);
    QFETCH(int, photos);
    QFETCH(int, percent);

    const QVector<QStringList> rows = kadrilo::test::parseCsv(QString::fromUtf8(
        m_outputs.value(recursive ? QStringLiteral("csv-r") : QStringLiteral("csv"))));
    QVERIFY(!rows.isEmpty());
    QCOMPARE(rows.first().join(QLatin1Char(',')),
             QStringLiteral("categorie,classe,photos,pourcentage"));
    const auto found = std::find_if(rows.begin(), rows.end(), [&](const QStringList &row) {
        return row.value(0) == category && row.value(1) == name;
    });
    QVERIFY2(found != rows.end(), qPrintable(category + QLatin1Char(',') + name));
    QCOMPARE(found->size(), 4);
    QCOMPARE(found->at(2).toInt(), photos);
    QCOMPARE(found->at(3).toInt(), percent);

    // Every photo is counted once per category where it matched a class.
    int iso = 0;
    for (const QStringList &row : rows) {
        if (row.value(0) == QLatin1String("iso"))
            iso += row.value(2).toInt();
    }
    QCOMPARE(iso, recursive ? 4 : 3);
}

void TestReportProgram::jsonParses_data() {
    QTest::addColumn<bool>("recursive");
    QTest::addRow("this folder only") << false;
    QTest::addRow("with sub-folders") << true;
}

void TestReportProgram::jsonParses() {
    QFETCH(bool, recursive);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(
        m_outputs.value(recursive ? QStringLiteral("json-r") : QStringLiteral("json")), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject root = document.object();
    const QJsonObject summary = root.value(QStringLiteral("resume")).toObject();
    QCOMPARE(summary.value(QStringLiteral("fichiers")).toInt(), recursive ? 4 : 3);
    QCOMPARE(summary.value(QStringLiteral("type")).toString(), QStringLiteral("Canon"));
    QCOMPARE(summary.value(QStringLiteral("dossier")).toString(), imagesFolder());
    const QJsonArray lenses = root.value(QStringLiteral("objectifs")).toArray();
    QCOMPARE(lenses.size(), recursive ? 3 : 2);
    QCOMPARE(lenses.at(1).toObject().value(QStringLiteral("classe")).toString(), lensName(3));
    QCOMPARE(root.value(QStringLiteral("diaphragme")).toArray().size(), 24);
}

void TestReportProgram::successLeavesNoPrivateFolderAndNoProgress() {
    // initTestCase ran six reports with TMPDIR pointing here.
    QVERIFY(isEmptyFolder(m_tmp.path()));
}

void TestReportProgram::failures_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");

    const QString images = imagesFolder();
    QTest::addRow("no argument") << QString() << QStringList() << 2;
    QTest::addRow("unknown format")
        << QString() << QStringList{QStringLiteral("--format"), QStringLiteral("xml"), images} << 2;
    QTest::addRow("two folders") << QString() << QStringList{images, images} << 2;
    QTest::addRow("folder missing")
        << QString() << QStringList{images + QStringLiteral("/absent")} << 3;
    QTest::addRow("a file given as the folder")
        << QString() << QStringList{images + QStringLiteral("/a.CR2")} << 3;
    QTest::addRow("folder unreadable") << QStringLiteral("unreadable") << QStringList() << 3;
    QTest::addRow("exiftool.exe missing beside the program")
        << QStringLiteral("no-exiftool") << QStringList{images} << 4;
    QTest::addRow("exiftool.exe is a folder")
        << QStringLiteral("exiftool-folder") << QStringList{images} << 4;
    QTest::addRow("no raw image: no tag file") << QStringLiteral("empty") << QStringList() << 5;
    QTest::addRow("jpeg only, with sub-folders: no tag file")
        << QStringLiteral("jpeg") << QStringList{QStringLiteral("--recursif")} << 5;
    QTest::addRow("temporary folder cannot be made")
        << QStringLiteral("tmpdir-file") << QStringList{images} << 6;
}

void TestReportProgram::failures() {
    QFETCH(QString, setup);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);

    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QString tmpDir = tmp.path();
    QString program = rapportPath;
    std::unique_ptr<kadrilo::test::ProgramFolder> programFolder;

    if (setup == QLatin1String("unreadable")) {
        if (::geteuid() == 0)
            QSKIP("root reads every folder");
        const QString folder = scratch.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::WriteOwner));
        arguments << folder;
    } else if (setup == QLatin1String("no-exiftool") || setup == QLatin1String("exiftool-folder")) {
        programFolder = std::make_unique<kadrilo::test::ProgramFolder>(
            setup == QLatin1String("no-exiftool") ? kadrilo::test::ProgramFolder::Exiftool::Missing
                                                  : kadrilo::test::ProgramFolder::Exiftool::Folder);
        program = programFolder->filePath(QStringLiteral("kadrilo-rapport"));
        QVERIFY(QFile::copy(rapportPath, program));
    } else if (setup == QLatin1String("empty")) {
        arguments << scratch.path();
    } else if (setup == QLatin1String("jpeg")) {
        QVERIFY(QDir().mkpath(scratch.filePath(QStringLiteral("sub"))));
        QFile jpeg(scratch.filePath(QStringLiteral("sub/IMG_0001.JPG")));
        QVERIFY(jpeg.open(QIODevice::WriteOnly));
        arguments << scratch.path();
    } else if (setup == QLatin1String("tmpdir-file")) {
        tmpDir = scratch.filePath(QStringLiteral("not-a-folder"));
        QFile file(tmpDir);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    const Run run = runProgram(program, arguments, tmpDir);
    QCOMPARE(run.status, status);
    QCOMPARE(run.out, QByteArray());
    QVERIFY2(run.err.startsWith("kadrilo-rapport : "), run.err.constData());
    // The private folder is gone after a failure too.
    QVERIFY(isEmptyFolder(tmp.path()));
}

void TestReportProgram::progressOnATerminal() {
    // `script` gives the program a terminal as standard error.
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty())
        QSKIP("no `script` to provide a terminal");
    const QString command =
        QStringLiteral("'%1' --recursif '%2' >/dev/null").arg(rapportPath, imagesFolder());
    const Run run = runProgram(script,
                               {QStringLiteral("-q"), QStringLiteral("-e"), QStringLiteral("-c"),
                                command, QStringLiteral("/dev/null")},
                               m_tmp.path());
    QCOMPARE(run.status, 0);
    const QString shown = QString::fromUtf8(run.err + run.out);
    QVERIFY2(shown.contains(QStringLiteral("Extraction : 0 / 4 images")), qPrintable(shown));
    QVERIFY2(shown.contains(QStringLiteral("Extraction : 4 / 4 images")), qPrintable(shown));
    QVERIFY(isEmptyFolder(m_tmp.path()));
}

void TestReportProgram::interruptionRemovesThePrivateFolder() {
    // An ExifTool that never ends, in a program folder of its own.
    const kadrilo::test::ProgramFolder folder(kadrilo::test::ProgramFolder::Exiftool::Missing);
    const QString program = folder.filePath(QStringLiteral("kadrilo-rapport"));
    QVERIFY(QFile::copy(rapportPath, program));
    QFile exiftool(folder.filePath(QStringLiteral("exiftool.exe")));
    QVERIFY(exiftool.open(QIODevice::WriteOnly));
    exiftool.write("#!/bin/sh\nexec sleep 60\n");
    exiftool.close();
    QVERIFY(exiftool.setPermissions(exiftool.permissions() | QFileDevice::ExeOwner));

    QTemporaryDir tmp;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), tmp.path());
    process.setProcessEnvironment(environment);
    process.start(program, {imagesFolder()});
    QTRY_VERIFY_WITH_TIMEOUT(!isEmptyFolder(tmp.path()), 10000);
    process.terminate();
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 130);
    QCOMPARE(process.readAllStandardOutput(), QByteArray());
    QVERIFY(isEmptyFolder(tmp.path()));
}

void TestReportProgram::realSamples() {
    const QString samples = kadrilo::test::samplesFolder();
    if (samples.isEmpty())
        QSKIP("the real Canon samples are absent");
    const Run run = report({QStringLiteral("--format"), QStringLiteral("json"), samples});
    QCOMPARE(run.status, 0);
    const QJsonObject root = QJsonDocument::fromJson(run.out).object();
    // One CR2 and one CRW: both extensions reach the analysis.
    QCOMPARE(
        root.value(QStringLiteral("resume")).toObject().value(QStringLiteral("fichiers")).toInt(),
        2);
    int iso = 0;
    for (const QJsonValue &band : root.value(QStringLiteral("iso")).toArray())
        iso += band.toObject().value(QStringLiteral("photos")).toInt();
    QCOMPARE(iso, 2);
    QVERIFY(isEmptyFolder(m_tmp.path()));
}

QTEST_GUILESS_MAIN(TestReportProgram)
#include "tst_report_program.moc"
