#include "platform/platform.h"
#include "run/module1.h"
#include "run/startup.h"
#include "support/fake_platform.h"
#include "support/program_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QWidget>

using kadrilo::Module1;
using kadrilo::test::FakePlatform;
using kadrilo::test::ProgramFolder;

namespace {

// A platform that pretends the program sits in a root folder, where nothing may really be
// created: it records what start-up looks up and creates instead.
class RootPlatform : public FakePlatform {
public:
    bool isNormalFile(const QString &path) const override {
        lookedUp << path;
        return true;
    }
    bool createFolder(const QString &path) override {
        created << path;
        return false;
    }
    mutable QStringList lookedUp;
    QStringList created;
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
        QCOMPARE(fake.created, QStringList{QStringLiteral("/temp")});
        // A folder that cannot be created is not reported at start-up; the path is set anyway.
        QCOMPARE(s.state.dossier_temp, QStringLiteral("/temp/"));
        QVERIFY(fake.messages.isEmpty());
        QCOMPARE(kadrilo::platform::withTrailingSeparator(QStringLiteral("/a/b//")),
                 QStringLiteral("/a/b/"));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
