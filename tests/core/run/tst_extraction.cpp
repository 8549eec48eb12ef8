#include "analysis/wording.h"
#include "run/extraction.h"
#include "run/module1.h"
#include "run/process.h"
#include "run/termination.h"
#include "support/cr2_writer.h"
#include "support/fake_program.h"
#include "support/process_probe.h"
#include "support/program_folder.h"
#include "support/tag_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>

using kadrilo::ExiftoolRun;
using kadrilo::Module1;
using kadrilo::test::Cr2Fixture;
using kadrilo::test::ProgramFolder;
namespace test = kadrilo::test;

Q_DECLARE_METATYPE(ExiftoolRun::Outcome)

#if defined(__SANITIZE_ADDRESS__)
#define KADRILO_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KADRILO_UNDER_ASAN 1
#endif
#endif

#ifdef KADRILO_UNDER_ASAN
// AddressSanitizer keeps freed memory in quarantine and in its allocator's caches on purpose,
// so the resident size would grow with everything the run ever freed. Turned off for this
// test program, the resident size measures again what the run holds; ASAN_OPTIONS given in
// the environment still take precedence.
extern "C" const char *__asan_default_options() {
    return "quarantine_size_mb=0:thread_local_quarantine_size_kb=0:"
           "allocator_release_to_os_interval_ms=0";
}
#endif

namespace {

Module1 stateFor(const ProgramFolder &program, int recursive) {
    Module1 state;
    state.type_raw = QStringLiteral("Canon");
    state.option_recursive = recursive;
    state.chemin_exiftool = program.filePath(QStringLiteral("exiftool.exe"));
    state.dossier_temp = program.makeFolder(QStringLiteral("temp")) + QLatin1Char('/');
    return state;
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

// The largest resident size this test has reached so far, in kilobytes.
long peakMemoryKilobytes() {
    rusage usage = {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

class TestExtraction : public QObject {
    Q_OBJECT

private Q_SLOTS:

    void initTestCase() { KADRILO_REQUIRE_EXIFTOOL(); }

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
        const auto result = kadrilo::extraire_exif(state, images);

        QCOMPARE(result.outcome, ExiftoolRun::Outcome::Finished);
        QVERIFY(result.isComplete());
        QCOMPARE(result.imagesFound, int(expected.size()));
        QVERIFY(state.extraction_faite);
        QCOMPARE(state.filtre_extension, QStringLiteral(" -ext .cr2 -ext .crw"));
        QCOMPARE(test::tagFiles(state.dossier_temp), expected);

        // Every ISO value written shows up in exactly one tag file: no image went uncounted.
        QByteArray all;
        for (const QString &name : test::tagFiles(state.dossier_temp))
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
        QCOMPARE(kadrilo::extraire_exif(state, images).outcome, ExiftoolRun::Outcome::Finished);
        QCOMPARE(test::tagFiles(state.dossier_temp), QStringList{QStringLiteral("IMG_0100.txt")});
        QVERIFY(
            contentOf(state.dossier_temp + QStringLiteral("IMG_0100.txt")).contains("ISO: 6400"));
    }

    void reads_the_real_camera_samples() {
        const QString samples = kadrilo::test::samplesFolder();
        if (samples.isEmpty())
            QSKIP("../shared/samples is absent");

        ProgramFolder program;
        Module1 state = stateFor(program, 0);
        QCOMPARE(kadrilo::extraire_exif(state, samples).outcome, ExiftoolRun::Outcome::Finished);

        // CanonRaw.cr2 and CanonRaw.crw share a name: both get a tag file of their own.
        const QStringList files = test::tagFiles(state.dossier_temp);
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
        QTest::addColumn<QString>("reason");
        QTest::addRow("file gone since start-up")
            << QStringLiteral("missing") << QStringLiteral("introuvable");
        QTest::addRow("file without the right to run")
            << QStringLiteral("not executable") << QStringLiteral("droit d'exécution");
        QTest::addRow("file that is not a program")
            << QStringLiteral("not a program") << QStringLiteral("pas un programme");
    }

    void a_tool_that_cannot_start_is_given_up() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        ProgramFolder program(ProgramFolder::Exiftool::Missing);
        Module1 state = stateFor(program, 0);
        if (kind == QLatin1String("not executable"))
            QVERIFY(test::writeFakeProgram(state.chemin_exiftool, "exit 0",
                                           test::FakeProgram::NotRunnable));
        if (kind == QLatin1String("not a program"))
            QVERIFY(test::writeFakeProgram(state.chemin_exiftool,
                                           "\x7f"
                                           "ELF junk",
                                           test::FakeProgram::Raw));
        const QString images = program.makeFolder(QStringLiteral("photos"));
        QVERIFY(writeImage(images + QStringLiteral("/IMG_0001.CR2"), 100));

        ExiftoolRun run;
        QSignalSpy started(&run, &ExiftoolRun::started);
        const auto result = kadrilo::extraire_exif(state, images, &run);
        QCOMPARE(result.outcome, ExiftoolRun::Outcome::FailedToStart);
        // The message names ExifTool and why it could not start.
        const QString text = kadrilo::failedToStartText(result, state.chemin_exiftool);
        QVERIFY2(text.startsWith(QStringLiteral("ExifTool n'a pas pu être lancé")),
                 qPrintable(text));
        QVERIFY2(text.contains(reason), qPrintable(text));
        // The run still counts as done; the empty temp folder tells the rest of the program.
        QVERIFY(state.extraction_faite);
        QVERIFY(!state.ligne_commande.isEmpty());
        QVERIFY(test::tagFiles(state.dossier_temp).isEmpty());
        QCOMPARE(started.count(), 0);
        QVERIFY(!run.isRunning());
    }

    // However the run ends (a cancel, a signal to the program, or the tool's own end), ExifTool
    // ends together with what it started.
    void cancel_kills_the_tool_and_its_children_data() {
        QTest::addColumn<QString>("ending");
        QTest::addRow("cancel") << QStringLiteral("cancel");
        QTest::addRow("SIGTERM to the program") << QStringLiteral("signal");
        QTest::addRow("the wrapper ends, its child would stay") << QStringLiteral("end");
    }

    void cancel_kills_the_tool_and_its_children() {
        QFETCH(QString, ending);
        const bool bySignal = ending == QLatin1String("signal");
        const bool byItself = ending == QLatin1String("end");
        ProgramFolder program(ProgramFolder::Exiftool::Missing);
        Module1 state = stateFor(program, 0);
        const QString pidFile = program.filePath(QStringLiteral("pid"));
        const QString childFile = program.filePath(QStringLiteral("child"));
        // A wrapper script whose own child would outlive it if only the script were killed.
        test::writeFakeProgram(state.chemin_exiftool,
                               "sleep 60 &\necho $! > '" + childFile.toUtf8() + "'\necho $$ > '" +
                                   pidFile.toUtf8() + "'\n" + (byItself ? "exit 0" : "wait"));

        kadrilo::platform::TerminationWatch watch;
        connect(&watch, &kadrilo::platform::TerminationWatch::requested, &watch,
                [] { ExiftoolRun::cancelAll(); });
        ExiftoolRun run;
        connect(&run, &ExiftoolRun::started, &run, [&] {
            QTimer::singleShot(300, &run, [&] {
                if (bySignal)
                    ::raise(SIGTERM);
                else if (!byItself)
                    run.cancel();
            });
        });
        QCOMPARE(kadrilo::extraire_exif(state, program.path(), &run).outcome,
                 byItself ? ExiftoolRun::Outcome::Finished : ExiftoolRun::Outcome::Cancelled);
        QVERIFY(!run.isRunning());
        QCOMPARE(kadrilo::platform::TerminationWatch::received(), bySignal ? SIGTERM : 0);

        for (const QString &file : {pidFile, childFile}) {
            const qint64 pid = contentOf(file).trimmed().toLongLong();
            QVERIFY(pid > 0);
            QTRY_VERIFY(!kadrilo::test::processRuns(pid));
        }
    }

    // Files named like images that are no files: the real ExifTool reads a device for ever.
    void endless_reads_are_stopped_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("device"); // the device the run is stopped for; empty: none
        QTest::addRow("link to /dev/zero") << QStringLiteral("link") << QStringLiteral("/dev/zero");
        QTest::addRow("character device: the entry itself")
            << QStringLiteral("device") << QStringLiteral("zero.CR2");
        QTest::addRow("named pipe: ExifTool passes it over") << QStringLiteral("pipe") << QString();
        QTest::addRow("a wrapper that holds /dev/null runs on")
            << QStringLiteral("null") << QString();
        QTest::addRow("link to /proc/self/pagemap: a file without end")
            << QStringLiteral("pagemap") << QStringLiteral("/proc/*/pagemap");
        QTest::addRow("/dev/urandom inherited from this program runs on")
            << QStringLiteral("inherited") << QString();
    }

    void endless_reads_are_stopped() {
        QFETCH(QString, kind);
        QFETCH(QString, device);
        ProgramFolder program;
        const QString images = program.makeFolder(QStringLiteral("photos"));
        QVERIFY(writeImage(images + QStringLiteral("/a.CR2"), 100));
        const QByteArray entry = QFile::encodeName(images + QStringLiteral("/zero.CR2"));
        if (kind == QLatin1String("link") || kind == QLatin1String("pagemap"))
            QVERIFY(QFile::link(kind == QLatin1String("link")
                                    ? QStringLiteral("/dev/zero")
                                    : QStringLiteral("/proc/self/pagemap"),
                                QString::fromUtf8(entry)));
        else if (kind == QLatin1String("pipe"))
            QCOMPARE(::mkfifo(entry.constData(), 0600), 0);
        else if (kind == QLatin1String("null") || kind == QLatin1String("inherited"))
            QVERIFY(QFile::remove(program.filePath(QStringLiteral("exiftool.exe"))) &&
                    test::writeFakeProgram(
                        program.filePath(QStringLiteral("exiftool.exe")),
                        kind == QLatin1String("null") ? "exec 3</dev/null; sleep 5" : "sleep 5"));
        else if (::mknod(entry.constData(), S_IFCHR | 0600, makedev(1, 5)) != 0)
            QSKIP("making a device takes root");
        if (kind == QLatin1String("device"))
            device = QDir(images).filePath(device);

        // Left open across exec, as a shell's "3</dev/urandom" leaves it.
        const int inherited =
            kind == QLatin1String("inherited") ? ::open("/dev/urandom", O_RDONLY) : -1;
        const auto closeInherited = qScopeGuard([inherited] {
            if (inherited >= 0)
                ::close(inherited);
        });

        Module1 state = stateFor(program, 0);
        ExiftoolRun run;
        // Without the watch the run never ends: this cancel stands for the person giving up.
        QTimer giveUp;
        giveUp.setSingleShot(true);
        connect(&giveUp, &QTimer::timeout, &run, &ExiftoolRun::cancel);
        connect(&run, &ExiftoolRun::started, &giveUp, [&giveUp] { giveUp.start(20000); });
        const auto result = kadrilo::extraire_exif(state, images, &run);
        QCOMPARE(result.outcome,
                 device.isEmpty() ? ExiftoolRun::Outcome::Finished : ExiftoolRun::Outcome::Aborted);
        if (device.contains(u'*'))
            QVERIFY2(QRegularExpression(QRegularExpression::wildcardToRegularExpression(device))
                         .match(result.ending.endlessDevice)
                         .hasMatch(),
                     qPrintable(result.ending.endlessDevice));
        else
            QCOMPARE(result.ending.endlessDevice, device);
        QVERIFY(!run.isRunning());
    }

    // A tool gone astray may write gigabytes on its standard error: the run keeps the lines
    // that name files, within a fixed size, and the last line.
    void error_output_stays_bounded_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("kept");      // error lines kept
        QTest::addColumn<int>("leftOut");   // error lines counted, not kept
        QTest::addColumn<QString>("first"); // the first line kept
        QTest::addColumn<QString>("last");  // the last line kept
        const int most = ExiftoolRun::maxErrorLines;
        QTest::addRow("three million error lines")
            << QByteArray("yes 'Error: File not found - /p/x.CR2' | head -n 3000000 >&2; exit 1")
            << most + 1 << 3000000 - most - 1 << QStringLiteral("Error: File not found - /p/x.CR2")
            << QStringLiteral("Error: File not found - /p/x.CR2");
        QTest::addRow("one line of 150 MB, then why it stopped")
            << QByteArray("echo 'Warning: first' >&2; head -c 150000000 /dev/zero | tr '\\0' x >&2;"
                          "echo >&2; echo 'Compilation failed in require' >&2; exit 2")
            << 2 << 0 << QStringLiteral("Warning: first")
            << QStringLiteral("Compilation failed in require");
    }

    void error_output_stays_bounded() {
        QFETCH(QByteArray, script);
        QFETCH(int, kept);
        QFETCH(int, leftOut);
        QFETCH(QString, first);
        QFETCH(QString, last);
        ProgramFolder program(ProgramFolder::Exiftool::Missing);
        Module1 state = stateFor(program, 0);
        test::writeFakeProgram(state.chemin_exiftool, script);

        const long before = peakMemoryKilobytes();
        ExiftoolRun run;
        kadrilo::executer_commande({state.chemin_exiftool, {}, {}, {}}, run);
        const auto &ending = run.ending();
        const long grown = peakMemoryKilobytes() - before;
        QVERIFY2(grown < 64 * 1024, qPrintable(QStringLiteral("%1 kB").arg(grown)));
        QCOMPARE(ending.errorLines.size(), kept);
        QCOMPARE(ending.errorLinesLeftOut, leftOut);
        QCOMPARE(ending.errorLines.first(), first);
        QCOMPARE(ending.errorLines.last(), last);
    }

    void interface_keeps_answering_while_exiftool_runs() {
        ProgramFolder program(ProgramFolder::Exiftool::Missing);
        Module1 state = stateFor(program, 0);
        test::writeFakeProgram(state.chemin_exiftool, "sleep 1.5");

        int timerEvents = 0;
        QTimer heartbeat;
        heartbeat.setInterval(50);
        connect(&heartbeat, &QTimer::timeout, &heartbeat, [&timerEvents] { ++timerEvents; });
        heartbeat.start();

        ExiftoolRun run;
        QSignalSpy ticks(&run, &ExiftoolRun::tick);
        QCOMPARE(kadrilo::extraire_exif(state, program.path(), &run).outcome,
                 ExiftoolRun::Outcome::Finished);
        // A blocking wait would deliver none of these until the tool ended.
        QVERIFY2(timerEvents >= 10, qPrintable(QString::number(timerEvents)));
        QVERIFY(ticks.count() >= 3);
    }

    // Paths that once sent tag files astray, made a run endless or counted a photo twice.
    void hostile_paths_data() {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QStringList>("images"); // under the image folder
        QTest::addColumn<QStringList>("links");  // "link=target", under the image folder
        QTest::addColumn<int>("recursive");
        QTest::addColumn<int>("expected"); // images found, and tag files written
        const QString name251 = QString(247, QLatin1Char('N')) + QStringLiteral(".CR2");
        const auto row = [](const char *name, const QString &programFolder,
                            const QStringList &images, const QStringList &links, int recursive,
                            int expected) {
            QTest::addRow("%s", name) << programFolder << images << links << recursive << expected;
        };
        const QString plain = QStringLiteral("k");
        row("format codes in the program folder", QStringLiteral("Mes %d %f %-c %% outils 100%"),
            {QStringLiteral("a.CR2"), QStringLiteral("b.CR2")}, {}, 0, 2);
        row("link to a parent folder: no endless run", plain, {QStringLiteral("a/b/x.CR2")},
            {QStringLiteral("a/b/up=..")}, 1, 1);
        row("link to a sibling folder: its photo once", plain,
            {QStringLiteral("a/x.CR2"), QStringLiteral("b/y.CR2")},
            {QStringLiteral("b/alias=../a")}, 1, 2);
        row("hidden image read, hidden folder left out", plain,
            {QStringLiteral(".x.CR2"), QStringLiteral("y.CR2"), QStringLiteral(".cache/z.CR2")}, {},
            1, 2);
        row("two 251-byte names in two sub-folders", plain,
            {QStringLiteral("s1/") + name251, QStringLiteral("s2/") + name251}, {}, 1, 2);
    }

    void hostile_paths() {
        QFETCH(QString, programFolder);
        QFETCH(QStringList, images);
        QFETCH(QStringList, links);
        QFETCH(int, recursive);
        QFETCH(int, expected);

        QTemporaryDir scratch;
        const QDir root(scratch.path());
        QVERIFY(root.mkpath(programFolder + QStringLiteral("/temp")) &&
                root.mkpath(QStringLiteral("photos")));
        const QString photos = root.filePath(QStringLiteral("photos"));
        for (const QString &image : images) {
            QVERIFY(QDir(photos).mkpath(QFileInfo(image).path()));
            QVERIFY(writeImage(photos + QLatin1Char('/') + image, 400));
        }
        for (const QString &link : links) {
            const QStringList parts = link.split(QLatin1Char('='));
            QVERIFY(QFile::link(parts[1], photos + QLatin1Char('/') + parts[0]));
        }

        Module1 state;
        state.type_raw = QStringLiteral("Canon");
        state.option_recursive = recursive;
        state.chemin_exiftool = kadrilo::test::installedExiftool();
        state.dossier_temp = root.filePath(programFolder + QStringLiteral("/temp/"));
        const auto result = kadrilo::extraire_exif(state, photos);

        QCOMPARE(result.outcome, ExiftoolRun::Outcome::Finished);
        QCOMPARE(result.imagesFound, expected);
        QCOMPARE(result.tagFiles, expected);
        QVERIFY(result.isComplete());
        // Every tag file is in the temp folder, none strayed elsewhere.
        QDirIterator all(scratch.path(), {QStringLiteral("*.txt")}, QDir::Files | QDir::Hidden,
                         QDirIterator::Subdirectories);
        int written = 0;
        for (; all.hasNext(); ++written)
            QCOMPARE(QFileInfo(all.next()).absolutePath() + QLatin1Char('/'), state.dossier_temp);
        QCOMPARE(written, expected);
        QCOMPARE(kadrilo::platform::platform().listTagFiles(state.dossier_temp).size(), expected);
    }

    // How ExifTool's ending is told apart; stand-ins end in ways the real tool only does by
    // accident.
    void exiftool_endings_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<ExiftoolRun::Outcome>("outcome");
        QTest::addColumn<QString>("told"); // part of the text for the person
        QTest::addRow("killed") << QByteArray("kill -KILL $$") << ExiftoolRun::Outcome::Aborted
                                << QStringLiteral("arrêté par le signal 9");
        QTest::addRow("crashed") << QByteArray("kill -SEGV $$") << ExiftoolRun::Outcome::Aborted
                                 << QStringLiteral("arrêté par le signal 11");
        QTest::addRow("failed, saying why")
            << QByteArray("echo 'Compilation failed in require' >&2; exit 2")
            << ExiftoolRun::Outcome::Aborted
            << QStringLiteral("(code de sortie 2) : l'image n'a pas été lue, les "
                              "statistiques sont incomplètes.\nExifTool : Compilation failed");
        QTest::addRow("tag file it could not create")
            << QByteArray("echo 'Error creating /t/IMG_0001.txt' >&2; exit 1")
            << ExiftoolRun::Outcome::Finished
            << QStringLiteral("n'accepte plus de nouveau fichier. Les statistiques sont "
                              "incomplètes.\nExifTool : Error creating /t/IMG_0001.txt");
    }

    void exiftool_endings() {
        QFETCH(QByteArray, script);
        QFETCH(ExiftoolRun::Outcome, outcome);
        QFETCH(QString, told);
        ProgramFolder program(ProgramFolder::Exiftool::Missing);
        Module1 state = stateFor(program, 0);
        test::writeFakeProgram(state.chemin_exiftool, script);
        const QString images = program.makeFolder(QStringLiteral("photos"));
        QVERIFY(writeImage(images + QStringLiteral("/IMG_0001.CR2"), 100));

        const auto result = kadrilo::extraire_exif(state, images);
        QCOMPARE(result.outcome, outcome);
        QVERIFY(!result.isComplete());
        const QString text = outcome == ExiftoolRun::Outcome::Aborted
                                 ? kadrilo::abortedText(result)
                                 : kadrilo::writeFailedText(result, state.dossier_temp);
        QVERIFY2(text.contains(told), qPrintable(text));
    }

    // Images found, tag files written and ExifTool's error lines, weighed together.
    void images_left_unread_are_counted_data() {
        QTest::addColumn<int>("found");
        QTest::addColumn<int>("written");
        QTest::addColumn<QStringList>("errorLines");
        QTest::addColumn<int>("emptyFiles");
        QTest::addColumn<QString>("told"); // empty: complete
        QTest::addRow("every image read") << 3 << 3 << QStringList() << 0 << QString();
        QTest::addRow("tag files missing")
            << 5 << 2 << QStringList() << 0
            << QStringLiteral("3 des 5 images n'ont pas pu être lues");
        QTest::addRow("an image named by ExifTool only")
            << 2 << 2 << QStringList{QStringLiteral("Error: File not found - /p/x.CR2")} << 0
            << QStringLiteral("1 des 3 images n'a pas pu être lue");
        QTest::addRow("the unread image quoted as every path")
            << 2 << 2 << QStringList{QStringLiteral("Error: File not found - /p/x.CR2")} << 0
            << QStringLiteral("lue :\n« /p/x.CR2 »");
        QTest::addRow("a folder ExifTool could not open")
            << 1 << 1 << QStringList{QStringLiteral("Error opening directory /p/locked")} << 0
            << QStringLiteral("Dossier impossible à ouvrir :\n/p/locked");
        QTest::addRow("empty tag file: full disk")
            << 2 << 2 << QStringList() << 1 << QStringLiteral("le disque est plein");
    }

    void images_left_unread_are_counted() {
        QFETCH(int, found);
        QFETCH(int, written);
        QFETCH(QStringList, errorLines);
        QFETCH(int, emptyFiles);
        QFETCH(QString, told);
        ExiftoolRun::Ending ending;
        ending.errorLines = errorLines;
        kadrilo::platform::RawImageScan images;
        images.images = found;
        kadrilo::platform::TagFolder tags;
        for (int i = 0; i < written; ++i)
            tags.names << QStringLiteral("%1.txt").arg(i);
        tags.emptyFiles = emptyFiles;

        const auto result = kadrilo::checkExtraction(ending, images, tags);
        QCOMPARE(result.isComplete(), told.isEmpty());
        const QString text = result.writeFailed ? kadrilo::writeFailedText(result, {})
                                                : kadrilo::unreadImagesText(result);
        QVERIFY2(text.contains(told), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestExtraction)
#include "tst_extraction.moc"
