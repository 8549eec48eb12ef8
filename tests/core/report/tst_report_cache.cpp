// The report's cache over a small library of CR2 and CR3 fixtures, with the real ExifTool and
// SQLite: whatever happens to the library or to the cache file, a report gives byte for byte
// what a report without the cache gives.
#include "support/cr2_writer.h"
#include "support/cr3_writer.h"
#include "support/fake_program.h"
#include "support/program_folder.h"
#include "support/program_run.h"
#include "support/text.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

using kadrilo::test::Run;
using kadrilo::test::s;

namespace {

const QString rapportPath = QStringLiteral(KADRILO_RAPPORT_PATH);

// What a change of the library or of the cache does before the second report.
enum class Change {
    None,
    Added,
    Rewritten,       // another lens, another size
    SameSizeAndTime, // other content, size and modification time kept: only ctime tells
    Deleted,
    Renamed, // comes first in the counting order then
    Touched,
    Repaired, // the damaged image made readable
    JunkCache,
    CutShortCache,
    OtherVersionCache,
    DamagedRow,
    LockedCache,
    ConfigAdded,    // an ExifTool configuration that prints French values
    LinkSwapped,    // the image is a link, put on another file of the same size and times
    FlippedBytes,   // 200 bytes of the cache file damaged
    MissingTable,   // a table dropped, the version mark kept
    LooseModes,     // folder and file readable by all, as older versions made them
    LibraryRenamed, // its old rows are outside the folder analysed next
    RelativeCacheHome,
};

void writeImage(const QString &path, int lens, const char *model, int iso) {
    kadrilo::test::Cr2Fixture fixture;
    kadrilo::test::applyLens(fixture, kadrilo::test::kCr2Lenses[lens]);
    fixture.model = s(model);
    fixture.iso = iso;
    // Exposures and focal lengths give the handheld limit classes; the folder gives the year.
    fixture.exposureNumerator = 1;
    fixture.exposureDenominator = iso / 8;
    fixture.focalLength = kadrilo::test::kCr2Lenses[lens].minFocalLength;
    fixture.focalLengthIn35mm = int(fixture.focalLength * (path.contains(s("2019")) ? 1.6 : 1));
    fixture.dateTimeOriginal =
        path.contains(s("/2010/")) ? s("2010:06:01 10:00:00") : s("2021:06:01 10:00:00");
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    if (path.endsWith(QLatin1String("3")))
        QVERIFY(kadrilo::test::writeCr3(path, fixture));
    else
        QVERIFY(kadrilo::test::writeCr2(path, fixture));
}

// Runs one SQL statement on the cache file, as another program would.
bool onCache(const QString &file, const QString &statement) {
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(s("QSQLITE"), s("test"));
        db.setDatabaseName(file);
        done = db.open() && QSqlQuery(db).exec(statement);
    }
    QSqlDatabase::removeDatabase(s("test"));
    return done;
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestReportCache : public QObject {
    Q_OBJECT

    kadrilo::test::ProgramFolder m_program;
    QTemporaryDir m_work;

    QString m_libraryName = s("bibliotheque");
    bool m_relativeCacheHome = false;

    QString library() const { return m_work.filePath(m_libraryName); }
    QString cacheHome() const {
        // A relative XDG_CACHE_HOME is ignored for ~/.cache.
        return m_relativeCacheHome ? m_work.filePath(s("home/.cache"))
                                   : m_work.filePath(s("cache"));
    }
    QString exiftoolConfig() const { return m_work.filePath(s(".ExifTool_config")); }
    QString cacheFile() const { return cacheHome() + s("/kadrilo/balises.sqlite"); }
    QString exiftoolLog() const { return m_work.filePath(s("exiftool.log")); }

    QProcess *start(const QStringList &arguments) {
        auto *process = new QProcess(this);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(s("XDG_CACHE_HOME"), m_relativeCacheHome ? s("cache") : cacheHome());
        environment.insert(s("HOME"), m_work.filePath(s("home")));
        environment.insert(s("EXIFTOOL_HOME"), m_work.path());
        environment.insert(s("TMPDIR"), m_work.path());
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(QDir(library()).exists() ? library() : m_work.path());
        process->start(m_program.filePath(s("kadrilo-rapport")), arguments);
        return process;
    }
    Run finish(QProcess *process) {
        const Run run = kadrilo::test::finishedRun(*process);
        delete process;
        return run;
    }
    Run report(QStringList arguments) { return finish(start(arguments << library())); }
    int exiftoolRuns() const {
        QFile log(exiftoolLog());
        return log.open(QIODevice::ReadOnly) ? int(log.readAll().count('\n')) : 0;
    }

    // Two bodies, three lenses, both formats, nested folders, and one damaged image that is
    // never kept and always counted as unread.
    void makeLibrary(Change change = Change::None) {
        m_libraryName = s("bibliotheque");
        QDir(library()).removeRecursively();
        QDir(m_work.filePath(s("renommee"))).removeRecursively();
        writeImage(library() + s("/2010/IMG_0001.CR2"), 1, "Canon EOS 350D DIGITAL", 100);
        writeImage(library() + s("/2010/IMG_0002.CR2"), 5, "Canon EOS 350D DIGITAL", 400);
        writeImage(library() + s("/2019/IMG_0003.CR3"), 4, "Canon EOS M50", 3200);
        writeImage(library() + s("/2019/plage/IMG_0004.cr3"), 5, "Canon EOS M50", 100);
        writeImage(library() + s("/IMG_0005.CR2"), 3, "Canon EOS 5D Mark II", 800);
        QVERIFY(kadrilo::test::writeDamagedImage(library() + s("/abime.CR2")));
        // Two versions of one image, same size and times, behind a link: only the device and
        // inode tell them apart.
        const QString image = library() + s("/2010/IMG_0002.CR2");
        if (change == Change::LinkSwapped) {
            writeImage(m_work.filePath(s("b.CR2")), 5, "Canon EOS 350D DIGITAL", 200);
            QVERIFY(QFile::rename(image, m_work.filePath(s("a.CR2"))));
            QVERIFY(QFile::link(m_work.filePath(s("a.CR2")), image));
            struct timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
            for (const char *name : {"a.CR2", "b.CR2"})
                QVERIFY(::utimensat(AT_FDCWD,
                                    QFile::encodeName(m_work.filePath(s(name))).constData(), times,
                                    0) == 0);
            QCOMPARE(QFileInfo(image).size(), QFileInfo(m_work.filePath(s("b.CR2"))).size());
        }
        // Rows written in the two seconds after a file changed are not trusted yet.
        QTest::qWait(2100);
    }

    void apply(Change change) {
        const QString image = library() + s("/2010/IMG_0002.CR2");
        switch (change) {
        case Change::None:
        case Change::LockedCache:
        case Change::RelativeCacheHome:
            break;
        case Change::Added:
            writeImage(library() + s("/2019/IMG_0006.CR3"), 2, "Canon EOS R6", 12800);
            break;
        case Change::Rewritten:
            writeImage(image, 9, "Canon EOS 350D DIGITAL", 6400);
            break;
        case Change::SameSizeAndTime: {
            struct stat before;
            QVERIFY(::stat(QFile::encodeName(image).constData(), &before) == 0);
            writeImage(image, 1, "Canon EOS 350D DIGITAL", 200); // same lens size, other ISO
            QCOMPARE(QFileInfo(image).size(), qint64(before.st_size));
            const struct timespec times[2] = {before.st_atim, before.st_mtim};
            QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(image).constData(), times, 0) == 0);
            break;
        }
        case Change::Deleted:
            QVERIFY(QFile::remove(image));
            break;
        case Change::Renamed:
            QVERIFY(QFile::rename(image, library() + s("/2010/A_0002.CR2")));
            break;
        case Change::Touched:
            QVERIFY(::utime(QFile::encodeName(image).constData(), nullptr) == 0);
            break;
        case Change::Repaired:
            writeImage(library() + s("/abime.CR2"), 2, "Canon EOS 5D Mark II", 100);
            break;
        case Change::JunkCache: {
            QFile file(cacheFile());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(8192, 'x')) > 0);
            break;
        }
        case Change::CutShortCache:
            QVERIFY(QFile::resize(cacheFile(), QFileInfo(cacheFile()).size() / 3));
            break;
        case Change::OtherVersionCache:
            QVERIFY(onCache(cacheFile(), s("PRAGMA user_version = 99")));
            break;
        case Change::ConfigAdded: {
            QFile config(exiftoolConfig());
            QVERIFY(config.open(QIODevice::WriteOnly));
            config.write("%Image::ExifTool::UserDefined::Options = ( Lang => 'fr' );\n1;\n");
            break;
        }
        case Change::LinkSwapped: {
            const QString swap = image + s(".lien");
            QVERIFY(QFile::link(m_work.filePath(s("b.CR2")), swap));
            QVERIFY(::rename(QFile::encodeName(swap).constData(),
                             QFile::encodeName(image).constData()) == 0);
            break;
        }
        case Change::FlippedBytes: {
            QFile file(cacheFile());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QByteArray bytes = file.readAll();
            for (qsizetype i = 0; i < 200; ++i)
                bytes[4096 + i * 37 % (bytes.size() - 4096)] ^= char(0x5a);
            QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
            break;
        }
        case Change::MissingTable:
            QVERIFY(onCache(cacheFile(), s("DROP TABLE tools")));
            break;
        case Change::LooseModes:
            QVERIFY(::chmod(QFile::encodeName(cacheFile()).constData(), 0644) == 0);
            QVERIFY(::chmod(QFile::encodeName(QFileInfo(cacheFile()).path()).constData(), 0755) ==
                    0);
            break;
        case Change::LibraryRenamed:
            QVERIFY(QDir().rename(library(), m_work.filePath(s("renommee"))));
            m_libraryName = s("renommee");
            break;
        case Change::DamagedRow:
            QVERIFY(onCache(cacheFile(), s("UPDATE images SET lines = CAST('ISO: 100' || "
                                           "char(10) AS BLOB)")));
            break;
        }
    }

private Q_SLOTS:
    void initTestCase() {
        KADRILO_REQUIRE_EXIFTOOL();
        QVERIFY(m_program.isValid() && m_work.isValid());
        // The built report in a program folder whose exiftool.exe notes every start.
        QVERIFY(QFile::copy(rapportPath, m_program.filePath(s("kadrilo-rapport"))));
        QVERIFY(kadrilo::test::writeFakeProgram(
            m_program.filePath(s("exiftool.exe")),
            "echo \"$$\" >> '" + QFile::encodeName(exiftoolLog()) + "'\nexec '" +
                QFile::encodeName(kadrilo::test::installedExiftool()) + "' \"$@\""));
    }

    void cacheNeverChangesANumber_data() {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<int>("exiftoolStarts"); // in the second report; -1: any
        QTest::addColumn<QString>("told");       // on standard error, once
        QTest::addColumn<QString>("groupBy");    // --par, when given
        const auto row = [](const char *name, Change change, const char *format, bool recursive,
                            int starts, const char *told = "", const char *groupBy = "") {
            QTest::addRow("%s", name)
                << change << s(format) << recursive << starts << s(told) << s(groupBy);
        };
        // The damaged image is tried again each time: one ExifTool start for it alone.
        row("unchanged library, texte", Change::None, "texte", true, 1);
        row("unchanged, this folder only, json", Change::None, "json", false, 1);
        row("image added", Change::Added, "json", true, 1);
        row("unchanged, side by side per year", Change::None, "texte", true, 1, "", "annee");
        row("image added, per body", Change::Added, "json", true, 1, "", "boitier");
        row("image rewritten, per lens", Change::Rewritten, "csv", true, 1, "", "objectif");
        row("image rewritten", Change::Rewritten, "csv", true, 1);
        row("same size and time, other content", Change::SameSizeAndTime, "json", true, 1);
        row("image deleted", Change::Deleted, "texte", true, 1);
        row("image renamed, counted first", Change::Renamed, "json", true, 1);
        row("image touched", Change::Touched, "json", true, 1);
        row("damaged image repaired", Change::Repaired, "json", true, 1);
        row("cache of junk", Change::JunkCache, "json", true, -1, "il a été remplacé");
        row("cache cut short", Change::CutShortCache, "json", true, -1, "il a été remplacé");
        row("cache of another version", Change::OtherVersionCache, "json", true, -1,
            "autre version de Kadrilo");
        row("a row damaged", Change::DamagedRow, "json", true, -1, "lignes abîmées");
        row("cache locked by another program", Change::LockedCache, "json", true, -1,
            "occupé par un autre programme");
        row("ExifTool configuration added", Change::ConfigAdded, "texte", true, 1);
        row("link put on a twin file", Change::LinkSwapped, "json", true, 1);
        row("200 bytes of the cache flipped", Change::FlippedBytes, "json", true, -1,
            "le cache « ");
        row("a table missing", Change::MissingTable, "json", true, -1, "il a été remplacé");
        row("folder and file readable by all", Change::LooseModes, "json", true, 1);
        row("library renamed", Change::LibraryRenamed, "json", true, 1);
        row("relative XDG_CACHE_HOME", Change::RelativeCacheHome, "json", true, 1);
    }

    void cacheNeverChangesANumber() {
        QFETCH(Change, change);
        QFETCH(QString, format);
        QFETCH(bool, recursive);
        QFETCH(int, exiftoolStarts);
        QFETCH(QString, told);
        QFETCH(QString, groupBy);
        m_relativeCacheHome = change == Change::RelativeCacheHome;
        makeLibrary(change);
        QDir(cacheHome()).removeRecursively();
        // One process, so that every ExifTool start is one run over the images to read.
        QStringList arguments{s("--processus=1"), s("--format"), format};
        if (recursive)
            arguments << s("--recursif");
        if (!groupBy.isEmpty())
            arguments << s("--par=") + groupBy;

        const Run first = report(arguments);
        QCOMPARE(first.status, 9);
        apply(change);
        // Another program holds the file in an exclusive transaction while the report runs.
        QSqlDatabase::addDatabase(s("QSQLITE"), s("holder")).setDatabaseName(cacheFile());
        if (change == Change::LockedCache) {
            QSqlDatabase holder = QSqlDatabase::database(s("holder"));
            QVERIFY(QSqlQuery(holder).exec(s("BEGIN EXCLUSIVE")));
        }
        const int before = exiftoolRuns();
        const Run cached = report(arguments);
        const int starts = exiftoolRuns() - before;
        QSqlDatabase::removeDatabase(s("holder"));
        const Run plain = report(QStringList(arguments) << s("--sans-cache"));

        QCOMPARE(cached.status, plain.status);
        QCOMPARE(cached.out, plain.out);
        // The unread images are told alike, after what went wrong with the cache.
        const QByteArray prefix = "kadrilo-rapport : ";
        QVERIFY2(cached.err.endsWith(plain.err.mid(prefix.size())), cached.err);
        if (exiftoolStarts >= 0)
            QCOMPARE(starts, exiftoolStarts);
        QCOMPARE(cached.err.count("le cache « "), told.isEmpty() ? 0 : 1);
        QVERIFY2(QString::fromUtf8(cached.err).contains(told), cached.err);
        // Whatever happened, the next report finds a cache it can use.
        const Run next = report(arguments);
        QFile::remove(exiftoolConfig());
        QCOMPARE(next.out, plain.out);
        QVERIFY2(!next.err.contains("le cache « "), next.err);
        // Private to its owner, and no larger than the library.
        struct stat folder, file;
        QVERIFY(::stat(QFile::encodeName(QFileInfo(cacheFile()).path()).constData(), &folder) == 0);
        QVERIFY(::stat(QFile::encodeName(cacheFile()).constData(), &file) == 0);
        QCOMPARE(folder.st_mode & 0777, 0700u);
        QCOMPARE(file.st_mode & 0777, 0600u);
        QVERIFY(!QFileInfo::exists(library() + s("/cache")));
        QSqlDatabase::addDatabase(s("QSQLITE"), s("rows")).setDatabaseName(cacheFile());
        {
            QSqlQuery rows(QSqlDatabase::database(s("rows")));
            QVERIFY(rows.exec(s("SELECT count(*) FROM images")) && rows.next());
            QVERIFY2(rows.value(0).toInt() <= 6, qPrintable(rows.value(0).toString()));
        }
        QSqlDatabase::removeDatabase(s("rows"));
    }

    // A cache the report may read but not write, and one on a full disk: told once, the
    // numbers stay right. Runs the report through a shell line: $R the report, $P its folder,
    // $W the work folder, $C the cache folder. The private folders go to a runtime folder of
    // the user's own, away from the cache under test.
    void cacheThatCannotBeWritten_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("told");
        QTest::addRow("read-only file, as an ordinary user")
            << s(R"(chmod -R a+rwX "$W" "$P" && chmod 0444 "$C/kadrilo/balises.sqlite" &&
                   mkdir -m 700 "$W/run" && chown 65534 "$W/run" &&
                   exec setpriv --reuid=65534 --regid=65534 --clear-groups env XDG_RUNTIME_DIR="$W/run" "$R" "$@")")
            << s("lecture seule");
        QTest::addRow("full disk") << s(R"(rm -rf "$C" && mkdir -p "$C" &&
                   mkdir -m 700 "$W/rt" && export XDG_RUNTIME_DIR="$W/rt" && exec unshare -rm sh -c 'mount -t tmpfs -o size=12k t "$C" && exec "$R" "$@"' sh "$@")")
                                   << s("le disque est plein");
    }

    void cacheThatCannotBeWritten() {
        QFETCH(QString, command);
        QFETCH(QString, told);
        if (::geteuid() != 0)
            QSKIP("needs root to act as another user or mount a file system");
        makeLibrary();
        QDir(cacheHome()).removeRecursively();
        const QStringList arguments{s("--recursif"), s("--format=json"), library()};
        const Run plain = report({s("--recursif"), s("--format=json"), s("--sans-cache")});
        QCOMPARE(report({s("--recursif"), s("--format=json")}).out, plain.out);
        writeImage(library() + s("/2019/IMG_0006.CR3"), 2, "Canon EOS R6", 12800);
        const Run expected = report({s("--recursif"), s("--format=json"), s("--sans-cache")});

        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(s("XDG_CACHE_HOME"), cacheHome());
        environment.insert(s("TMPDIR"), m_work.path());
        environment.insert(s("R"), m_program.filePath(s("kadrilo-rapport")));
        environment.insert(s("C"), cacheHome());
        environment.insert(s("W"), m_work.path());
        environment.insert(s("P"), m_program.path());
        process.setProcessEnvironment(environment);
        process.start(s("sh"), QStringList{s("-c"), command, s("sh")} + arguments);
        QVERIFY(process.waitForFinished(120000));
        const QByteArray err = process.readAllStandardError();
        if (err.contains("unshare:") || err.contains("mount:"))
            QSKIP("no private mount here");
        QCOMPARE(process.exitCode(), expected.status);
        QCOMPARE(process.readAllStandardOutput(), expected.out);
        QCOMPARE(err.count("le cache « "), 1);
        QVERIFY2(QString::fromUtf8(err).contains(told) && !err.contains("remplacé"), err);
        QProcess::execute(s("chmod"), {s("-R"), s("u+w"), cacheHome()});
    }

    // On a file system that keeps whole seconds, an image rewritten in place in the second the
    // report listed it keeps its size, times and inode: the next report reads it again.
    void sameSecondChange() {
        if (::geteuid() != 0)
            QSKIP("needs root to mount a file system with whole-second times");
        const QString image = m_work.filePath(s("seconde.img"));
        QDir(library()).removeRecursively();
        QVERIFY(QDir().mkpath(library()));
        if (QProcess::execute(s("sh"), {s("-c"),
                                        s("truncate -s 16M \"$0\" && mke2fs -q -t ext4 "
                                          "-I 128 \"$0\" 2>/dev/null && mount -o loop "
                                          "\"$0\" \"$1\""),
                                        image, library()}) != 0)
            QSKIP("no loop device here");
        const QString path = library() + s("/IMG_0001.CR2");
        const QString twin = m_work.filePath(s("iso200.CR2"));
        writeImage(twin, 1, "Canon EOS 350D DIGITAL", 200);
        QFile file(twin);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray other = file.readAll();
        QTest::qWait(1000 - int(QDateTime::currentMSecsSinceEpoch() % 1000) + 10);
        writeImage(path, 1, "Canon EOS 350D DIGITAL", 100);
        const Run first = report({s("--format=json")});
        QFile rewritten(path);
        QVERIFY(rewritten.open(QIODevice::WriteOnly) && rewritten.write(other) == other.size());
        rewritten.close();
        const Run cached = report({s("--format=json")});
        const Run plain = report({s("--format=json"), s("--sans-cache")});
        QProcess::execute(s("umount"), {library()});
        QCOMPARE(first.status, 0);
        QCOMPARE(cached.out, plain.out);
    }

    // Two reports at once over one cache, and reports killed at any moment: every report
    // that ends gives the right numbers, none waits for ever.
    void concurrentAndKilledReports() {
        makeLibrary();
        QDir(cacheHome()).removeRecursively();
        const QStringList arguments{s("--recursif"), s("--format=json"), library()};
        const Run plain = report({s("--recursif"), s("--format=json"), s("--sans-cache")});
        for (int delay : {50, 150, 300, 600}) {
            QProcess *killed = start(arguments);
            QVERIFY(killed->waitForStarted());
            QTest::qWait(delay);
            if (killed->state() == QProcess::Running && killed->processId() > 0)
                ::kill(pid_t(killed->processId()), SIGKILL);
            finish(killed);
        }
        QProcess *one = start(arguments);
        QProcess *two = start(arguments);
        const Run first = finish(one);
        const Run second = finish(two);
        QCOMPARE(first.out, plain.out);
        QCOMPARE(second.out, plain.out);
        QCOMPARE(report({s("--recursif"), s("--format=json")}).out, plain.out);
    }
};

QTEST_GUILESS_MAIN(TestReportCache)
#include "tst_report_cache.moc"
