#include "platform/platform.h"
#include "run/module1.h"
#include "run/startup.h"
#include "support/fake_platform.h"
#include "support/program_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <unistd.h>

using kadrilo::Module1;
using kadrilo::platform::FolderProblem;
using kadrilo::test::FakePlatform;
using kadrilo::test::ProgramFolder;

Q_DECLARE_METATYPE(FolderProblem)

namespace {

// A platform that pretends the program sits in a root folder, where nothing may really be
// created: it records what start-up looks up and prepares instead.
class RootPlatform : public FakePlatform {
public:
    bool isNormalFile(const QString &path) const override {
        lookedUp << path;
        return true;
    }
    FolderProblem prepareWritableFolder(const QString &path) override {
        prepared << path;
        return FolderProblem::None;
    }
    mutable QStringList lookedUp;
    QStringList prepared;
};

// The real file system, with the person's cache folder moved to a scratch folder.
class CachePlatform : public FakePlatform {
public:
    QString userCacheFolder() const override { return cacheFolder; }
    QString cacheFolder;
};

// Runs start-up with the program in `folder`; the platform records the messages.
struct Started {
    explicit Started(const QString &folder, FakePlatform &platform) {
        platform.fakeProgramFolder = folder;
        platform.fakeProgramName = QStringLiteral("Kadrilo");
        ok = kadrilo::demarrage(state, window);
    }
    Module1 state;
    QWidget window;
    bool ok = false;
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The advice works from where the program was started, and says why no window opens.
    void no_window_system_text_data() {
        QTest::addColumn<QByteArray>("startedAs");
        QTest::addColumn<bool>("noneAnswers"); // DISPLAY=:55 set, no server there
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("why");
        const QString none = QStringLiteral("aucune n'est ouverte (ni DISPLAY");
        const QString dead = QStringLiteral("aucune ne répond (DISPLAY=:55)");
        QTest::addRow("from a build, relative path")
            << QByteArray("build/kadrilo") << false << QStringLiteral("xvfb-run -a build/kadrilo\n")
            << QStringLiteral(": build/kadrilo-rapport DOSSIER") << none;
        QTest::addRow("found on the PATH")
            << QByteArray("kadrilo") << true << QStringLiteral("xvfb-run -a kadrilo\n")
            << QStringLiteral(": kadrilo-rapport DOSSIER") << dead;
        QTest::addRow("installed, started by its full path")
            << QByteArray("/usr/bin/kadrilo") << false << QStringLiteral("xvfb-run -a kadrilo\n")
            << QStringLiteral(": kadrilo-rapport DOSSIER") << none;
        QTest::addRow("a path a shell must be given quoted")
            << QByteArray("/home/an/mes photos/l'outil/kadrilo") << true
            << QStringLiteral("xvfb-run -a '/home/an/mes photos/l'\\''outil/kadrilo'\n")
            << QStringLiteral(": '/home/an/mes photos/l'\\''outil/kadrilo-rapport' DOSSIER")
            << dead;
    }

    void no_window_system_text() {
        QFETCH(QByteArray, startedAs);
        QFETCH(bool, noneAnswers);
        QFETCH(QString, command);
        QFETCH(QString, report);
        QFETCH(QString, why);
        kadrilo::platform::WindowSystemHints hints;
        if (noneAnswers)
            hints.display = ":55";
        const QString text =
            kadrilo::noWindowSystemText(startedAs,
                                        noneAnswers ? kadrilo::platform::WindowSystem::NoneAnswers
                                                    : kadrilo::platform::WindowSystem::NoneNamed,
                                        hints);
        QVERIFY2(text.contains(command) && text.contains(report) && text.contains(why) &&
                     text.contains(QStringLiteral("paquet Debian xvfb")),
                 qPrintable(text));
    }

    void titles_the_window_and_sets_both_paths_data() {
        QTest::addColumn<bool>("oldTemp");
        QTest::addRow("temp folder created") << false;
        QTest::addRow("existing temp folder kept with its files") << true;
    }

    void titles_the_window_and_sets_both_paths() {
        QFETCH(bool, oldTemp);
        ProgramFolder folder;
        QFile old(folder.filePath(QStringLiteral("temp/IMG_0001.txt")));
        if (oldTemp) {
            folder.makeFolder(QStringLiteral("temp"));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.close();
        }
        FakePlatform fake;
        Started s(folder.path(), fake);
        QVERIFY(s.ok);
        QCOMPARE(s.window.windowTitle(), QStringLiteral("Kadrilo  0.1.10"));
        QCOMPARE(s.state.chemin_exiftool, folder.filePath(QStringLiteral("exiftool.exe")));
        QCOMPARE(s.state.dossier_temp, folder.filePath(QStringLiteral("temp")) + QLatin1Char('/'));
        QVERIFY(QFileInfo(s.state.dossier_temp).isDir());
        QVERIFY(fake.messages.isEmpty());
        // Start-up leaves old tag files alone: the next run or "Quitter" deletes them.
        QCOMPARE(old.exists(), oldTemp);
    }

    void stops_when_exiftool_is_missing_data() {
        QTest::addColumn<ProgramFolder::Exiftool>("exiftool");
        QTest::addRow("no exiftool.exe") << ProgramFolder::Exiftool::Missing;
        QTest::addRow("a folder named exiftool.exe") << ProgramFolder::Exiftool::Folder;
    }

    void stops_when_exiftool_is_missing() {
        QFETCH(ProgramFolder::Exiftool, exiftool);
        ProgramFolder folder(exiftool);
        FakePlatform fake;
        Started s(folder.path(), fake);
        QVERIFY(!s.ok);
        QCOMPARE(fake.messages.size(), 1);
        const auto &message = fake.messages.first();
        QCOMPARE(message.title, QStringLiteral("Exiftool.exe manquant !"));
        QCOMPARE(message.text,
                 QStringLiteral("Le programme Exiftool est introuvable.\r\nLe fichier exiftool.exe "
                                "doit se trouver dans le même dossier que Kadrilo !\r\n\r\n"
                                "Kadrilo va s'arrêter."));
        QCOMPARE(message.icon, kadrilo::platform::MessageIcon::Critical);
        // Nothing is created when the program is about to end.
        QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("temp"))));
        QVERIFY(s.state.dossier_temp.isEmpty());
        QVERIFY(!s.window.isVisible());
    }

    void program_in_a_root_folder_has_no_doubled_separator() {
        RootPlatform fake;
        Started s(QDir::rootPath(), fake);
        QVERIFY(s.ok);
        QCOMPARE(s.state.chemin_exiftool, QStringLiteral("/exiftool.exe"));
        QCOMPARE(fake.lookedUp, QStringList{QStringLiteral("/exiftool.exe")});
        QCOMPARE(fake.prepared, QStringList{QStringLiteral("/temp")});
        QCOMPARE(s.state.dossier_temp, QStringLiteral("/temp/"));
        QVERIFY(fake.messages.isEmpty());
        QCOMPARE(kadrilo::platform::withTrailingSeparator(QStringLiteral("/a/b//")),
                 QStringLiteral("/a/b/"));
    }

    // The choice itself, over what the folders answer.
    void chooses_the_first_usable_temp_folder_data() {
        QTest::addColumn<FolderProblem>("programTemp");
        QTest::addColumn<FolderProblem>("cacheTemp");
        QTest::addColumn<QString>("cacheFolder");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("asked");

        const auto none = FolderProblem::None, readOnly = FolderProblem::NotWritable;
        const auto plainFile = FolderProblem::NotAFolder, noRight = FolderProblem::NotCreated;
        const QString cache = QStringLiteral("/home/a/.cache/kadrilo/temp");
        QTest::addRow("writable program folder, cache left alone")
            << none << none << cache << QStringLiteral("/opt/k/temp")
            << QStringLiteral("/opt/k/temp");
        QTest::addRow("read-only program folder")
            << readOnly << none << cache << cache << QStringLiteral("/opt/k/temp|") + cache;
        QTest::addRow("temp is a plain file")
            << plainFile << none << cache << cache << QStringLiteral("/opt/k/temp|") + cache;
        QTest::addRow("neither can be made")
            << noRight << readOnly << cache << QString() << QStringLiteral("/opt/k/temp|") + cache;
        QTest::addRow("no cache folder named by the system")
            << readOnly << none << QString() << QString() << QStringLiteral("/opt/k/temp");
    }

    void chooses_the_first_usable_temp_folder() {
        QFETCH(FolderProblem, programTemp);
        QFETCH(FolderProblem, cacheTemp);
        QFETCH(QString, cacheFolder);
        QFETCH(QString, chosen);
        QFETCH(QString, asked);

        QStringList seen;
        const auto choice = kadrilo::chooseTempFolder(
            QStringLiteral("/opt/k/temp"), cacheFolder, [&](const QString &folder) {
                seen << folder;
                return folder == cacheFolder ? cacheTemp : programTemp;
            });
        QCOMPARE(choice.folder, chosen);
        QCOMPARE(seen.join(QLatin1Char('|')), asked);
        QCOMPARE(choice.refused.size(), seen.size() - (chosen.isEmpty() ? 0 : 1));
    }

    // Start-up on the real file system: what is created where, and what the person is told.
    void falls_back_to_the_cache_folder_data() {
        QTest::addColumn<bool>("programTempIsFile");
        QTest::addColumn<bool>("programFolderReadOnly");
        QTest::addColumn<bool>("cacheTempIsFile");
        QTest::addColumn<bool>("inCache"); // false with cacheTempIsFile: no folder at all

        QTest::addRow("temp beside the program") << false << false << false << false;
        QTest::addRow("temp a plain file beside the program") << true << false << false << true;
        QTest::addRow("read-only program folder") << false << true << false << true;
        QTest::addRow("plain files in both places") << true << false << true << false;
    }

    void falls_back_to_the_cache_folder() {
        QFETCH(bool, programTempIsFile);
        QFETCH(bool, programFolderReadOnly);
        QFETCH(bool, cacheTempIsFile);
        QFETCH(bool, inCache);
        if (programFolderReadOnly && ::geteuid() == 0)
            QSKIP("root writes into read-only folders; tst_package_install runs this case as an "
                  "unprivileged user");

        ProgramFolder folder;
        QTemporaryDir home;
        const QString programTemp = folder.filePath(QStringLiteral("temp"));
        // The cache folder itself does not exist yet, as on a first start.
        const QString cacheTemp = home.filePath(QStringLiteral("cache/kadrilo/temp"));
        auto writeFile = [](const QString &path) {
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            return file.open(QIODevice::WriteOnly);
        };
        if (programTempIsFile)
            QVERIFY(writeFile(programTemp));
        if (cacheTempIsFile)
            QVERIFY(writeFile(cacheTemp));
        if (programFolderReadOnly)
            QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner));

        CachePlatform fake;
        fake.cacheFolder = home.filePath(QStringLiteral("cache/kadrilo"));
        Started s(folder.path(), fake);
        QFile::setPermissions(folder.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        const bool neither = programTempIsFile && cacheTempIsFile;
        QCOMPARE(s.ok, !neither);
        if (neither) {
            QCOMPARE(fake.messages.size(), 1);
            QCOMPARE(fake.messages.first().title,
                     QStringLiteral("Dossier temp impossible à créer !"));
            QCOMPARE(fake.messages.first().text,
                     QStringLiteral("Kadrilo ne peut pas créer son dossier temporaire temp.\r\n"
                                    "\r\n« %1 » : un fichier porte déjà ce nom."
                                    "\r\n« %2 » : un fichier porte déjà ce nom."
                                    "\r\n\r\nKadrilo va s'arrêter.")
                         .arg(programTemp, cacheTemp));
            QCOMPARE(fake.messages.first().icon, kadrilo::platform::MessageIcon::Critical);
            QVERIFY(s.state.dossier_temp.isEmpty());
            return;
        }
        QVERIFY(fake.messages.isEmpty());
        const QString chosen = inCache ? cacheTemp : programTemp;
        QCOMPARE(s.state.dossier_temp, chosen + QLatin1Char('/'));
        QVERIFY(QFileInfo(chosen).isDir());
        // Nothing is made in the cache while the program folder serves; the probe leaves
        // nothing behind.
        QCOMPARE(QFileInfo::exists(cacheTemp), inCache);
        QCOMPARE(QDir(chosen).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
