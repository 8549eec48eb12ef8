#include "run/extraction.h"
#include "run/module1.h"
#include "support/cr2_writer.h"
#include "support/program_folder.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using kadrilo::ExiftoolRun;
using kadrilo::Module1;
using kadrilo::test::Cr2Fixture;
using kadrilo::test::ProgramFolder;

namespace {

Module1 stateFor(const ProgramFolder &program, int recursive) {
    Module1 state;
    state.type_raw = QStringLiteral("Canon");
    state.option_recursive = recursive;
    state.chemin_exiftool = program.filePath(QStringLiteral("exiftool.exe"));
    state.dossier_temp = program.makeFolder(QStringLiteral("temp")) + QLatin1Char('/');
    return state;
}

QStringList tagFiles(const Module1 &state) {
    return QDir(state.dossier_temp).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
}

QByteArray contentOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeImage(const QString &path, int iso) {
    Cr2Fixture fixture;
    fixture.iso = iso;
    return kadrilo::test::writeCr2(path, fixture);
}

// A stand-in for exiftool.exe, for failures the real tool cannot produce: a shell script,
// or any file when it may not run.
QString writeScript(const QString &path, const QByteArray &body, bool runnable = true) {
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly) || script.write("#!/bin/sh\n" + body + "\n") < 0)
        return {};
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                          (runnable ? QFile::ExeOwner : QFile::Permissions()));
    return path;
}

} // namespace

class TestExtraction : public QObject {
    Q_OBJECT

private Q_SLOTS:

    void initTestCase() {
        KADRILO_REQUIRE_EXIFTOOL();
    }

    void writes_one_tag_file_per_image_data() {
        QTest::addColumn<int>("recursive");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("this folder only: same name in .CR2 and .crw gives two files")
            << 0
            << QStringList{QStringLiteral("IMG_0001-1.txt"), QStringLiteral("IMG_0001.txt"),
                           QStringLiteral("IMG_0002.txt")};
        QTest::addRow("with sub-folders: the same name again in a sub-folder")
            << 1
            << QStringList{QStringLiteral("IMG_0001-1.txt"), QStringLiteral("IMG_0001-2.txt"),
                           QStringLiteral("IMG_0001.txt"), QStringLiteral("IMG_0002.txt"),
                           QStringLiteral("IMG_0003.txt")};
    }

    void writes_one_tag_file_per_image() {
        QFETCH(int, recursive);
        QFETCH(QStringList, expected);

        ProgramFolder program;
        const QString images = program.makeFolder(QStringLiteral("photos"));
        const QString sub = program.makeFolder(QStringLiteral("photos/100CANON/deeper"));
        const std::pair<QString, int> shots[] = {{images + QStringLiteral("/IMG_0001.CR2"), 100},
                                                 {images + QStringLiteral("/IMG_0001.crw"), 200},
                                                 {images + QStringLiteral("/IMG_0002.cr2"), 400},
                                                 {images + QStringLiteral("/IMG_0009.jpg"), 800},
                                                 {sub + QStringLiteral("/IMG_0001.CR2"), 1600},
                                                 {sub + QStringLiteral("/IMG_0003.CR2"), 3200}};
        for (const auto &[path, iso] : shots)
            QVERIFY(writeImage(path, iso));

        Module1 state = stateFor(program, recursive);
        const auto outcome = kadrilo::extraire_exif(state, images);

        QCOMPARE(outcome, ExiftoolRun::Outcome::Finished);
        QVERIFY(state.extraction_faite);
        QCOMPARE(state.filtre_extension, QStringLiteral(" -ext .cr2 -ext .crw"));
        QCOMPARE(tagFiles(state), expected);

        // Every ISO value written shows up in exactly one tag file: no image went uncounted.
        QByteArray all;
        for (const QString &name : tagFiles(state))
            all += '\n' + contentOf(state.dossier_temp + name);
        for (const auto &[path, iso] : shots) {
            const bool read =
                !path.endsWith(QLatin1String(".jpg")) && (recursive || !path.startsWith(sub));
            QCOMPARE(all.count("\nISO: " + QByteArray::number(iso) + '\n'), read ? 1 : 0);
        }
    }

    void odd_folder_names_reach_exiftool_intact_data() {
        QTest::addColumn<QString>("name");
        QTest::addRow("blanks and quotes") << QStringLiteral("Mes \"belles\" photos d'été");
        QTest::addRow("shell characters, leading dash") << QStringLiteral("-r;b $HOME `x` * ?");
    }

    void odd_folder_names_reach_exiftool_intact() {
        QFETCH(QString, name);
        ProgramFolder program;
        const QString images = program.makeFolder(name);
        QVERIFY(writeImage(images + QStringLiteral("/IMG_0100.CR2"), 6400));

        Module1 state = stateFor(program, 0);
        QCOMPARE(kadrilo::extraire_exif(state, images), ExiftoolRun::Outcome::Finished);
        QCOMPARE(tagFiles(state), QStringList{QStringLiteral("IMG_0100.txt")});
        QVERIFY(
            contentOf(state.dossier_temp + QStringLiteral("IMG_0100.txt")).contains("ISO: 6400"));
    }

    void reads_the_real_camera_samples() {
        const QString samples = kadrilo::test::samplesFolder();
        if (samples.isEmpty())
            QSKIP("../shared/samples is absent");

        ProgramFolder program;
        Module1 state = stateFor(program, 0);
        QCOMPARE(kadrilo::extraire_exif(state, samples), ExiftoolRun::Outcome::Finished);

        // CanonRaw.cr2 and CanonRaw.crw share a name: both get a tag file of their own.
        const QStringList files = tagFiles(state);
        QCOMPARE(files,
                 (QStringList{QStringLiteral("CanonRaw-1.txt"), QStringLiteral("CanonRaw.txt")}));
        const QByteArray both =
            contentOf(state.dossier_temp + files[0]) + contentOf(state.dossier_temp + files[1]);
        for (const char *line : {"ISO: 400", "ISO: 100", "FocusMode: One-shot AF",
                                 "FocusMode: AI Focus AF", "DriveMode: Continuous Shooting",
                                 "DriveMode: Single-frame Shooting", "LensID: Unknown 18-55mm"})
            QVERIFY2(both.contains(line), line);
    }

    void a_tool_that_cannot_start_is_given_up_data() {
        QTest::addColumn<QString>("kind");
        QTest::addRow("file gone since start-up") << QStringLiteral("missing");
        QTest::addRow("file that is not a program") << QStringLiteral("not executable");
    }

    void a_tool_that_cannot_start_is_given_up() {
        QFETCH(QString, kind);
        ProgramFolder program(ProgramFolder::Exiftool::Missing);
        Module1 state = stateFor(program, 0);
        if (kind == QLatin1String("not executable"))
            QVERIFY(!writeScript(state.chemin_exiftool, "exit 0", false).isEmpty());
        const QString images = program.makeFolder(QStringLiteral("photos"));
        QVERIFY(writeImage(images + QStringLiteral("/IMG_0001.CR2"), 100));

        ExiftoolRun run;
        QSignalSpy started(&run, &ExiftoolRun::started);
        QCOMPARE(kadrilo::extraire_exif(state, images, &run), ExiftoolRun::Outcome::FailedToStart);
        // The run still counts as done; the empty temp folder tells the rest of the program.
        QVERIFY(state.extraction_faite);
        QVERIFY(!state.ligne_commande.isEmpty());
        QVERIFY(tagFiles(state).isEmpty());
        QCOMPARE(started.count(), 0);
        QVERIFY(!run.isRunning());
    }

    void cancel_kills_the_running_tool() {
        ProgramFolder program(ProgramFolder::Exiftool::Missing);
        Module1 state = stateFor(program, 0);
        const QString pidFile = program.filePath(QStringLiteral("pid"));
        state.chemin_exiftool = writeScript(state.chemin_exiftool,
                                            "echo $$ > '" + pidFile.toUtf8() + "'\nexec sleep 60");

        ExiftoolRun run;
        connect(&run, &ExiftoolRun::started, &run,
                [&run] { QTimer::singleShot(300, &run, &ExiftoolRun::cancel); });
        QCOMPARE(kadrilo::extraire_exif(state, program.path(), &run),
                 ExiftoolRun::Outcome::Cancelled);
        QVERIFY(!run.isRunning());

        const QByteArray pid = contentOf(pidFile).trimmed();
        QVERIFY(!pid.isEmpty());
        // Killed and reaped: no child of ours is left, not even as a zombie.
        QVERIFY(!QFile::exists(QStringLiteral("/proc/") + QString::fromLatin1(pid)));
    }

    void interface_keeps_answering_while_exiftool_runs() {
        ProgramFolder program(ProgramFolder::Exiftool::Missing);
        Module1 state = stateFor(program, 0);
        writeScript(state.chemin_exiftool, "sleep 1.5");

        int timerEvents = 0;
        QTimer heartbeat;
        heartbeat.setInterval(50);
        connect(&heartbeat, &QTimer::timeout, &heartbeat, [&timerEvents] { ++timerEvents; });
        heartbeat.start();

        ExiftoolRun run;
        QSignalSpy ticks(&run, &ExiftoolRun::tick);
        QCOMPARE(kadrilo::extraire_exif(state, program.path(), &run),
                 ExiftoolRun::Outcome::Finished);
        // A blocking wait would deliver none of these until the tool ended.
        QVERIFY2(timerEvents >= 10, qPrintable(QString::number(timerEvents)));
        QVERIFY(ticks.count() >= 3);
    }
};

QTEST_MAIN(TestExtraction)
#include "tst_extraction.moc"
