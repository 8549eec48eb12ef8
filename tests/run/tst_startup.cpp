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

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:

    void titles_the_window_and_sets_both_paths() {
        ProgramFolder folder;
        QVERIFY(folder.isValid());
        FakePlatform fake;
        fake.fakeProgramFolder = folder.path();
        fake.fakeProgramName = QStringLiteral("Kadrilo");

        Module1 state;
        QWidget window;
        QVERIFY(kadrilo::demarrage(state, window));

        QCOMPARE(window.windowTitle(), QStringLiteral("Kadrilo  0.1.10"));
        QCOMPARE(state.chemin_exiftool, folder.filePath(QStringLiteral("exiftool.exe")));
        QCOMPARE(state.dossier_temp, folder.filePath(QStringLiteral("temp")) + QLatin1Char('/'));
        QVERIFY(QFileInfo(state.dossier_temp).isDir());
        QVERIFY(fake.messages.isEmpty());
    }

    void reuses_an_existing_temp_folder() {
        ProgramFolder folder;
        const QString temp = folder.makeFolder(QStringLiteral("temp"));
        QFile old(temp + QStringLiteral("/IMG_0001.txt"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.close();
        FakePlatform fake;
        fake.fakeProgramFolder = folder.path();

        Module1 state;
        QWidget window;
        QVERIFY(kadrilo::demarrage(state, window));
        QVERIFY(fake.messages.isEmpty());
        QCOMPARE(state.dossier_temp, temp + QLatin1Char('/'));
        // Start-up leaves old tag files alone: the next run or "Quitter" deletes them.
        QVERIFY(old.exists());
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
        fake.fakeProgramFolder = folder.path();

        Module1 state;
        QWidget window;
        QVERIFY(!kadrilo::demarrage(state, window));

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
        QVERIFY(state.dossier_temp.isEmpty());
        QVERIFY(!window.isVisible());
    }

    void program_in_a_root_folder_has_no_doubled_separator() {
        RootPlatform fake;
        fake.fakeProgramFolder = QDir::rootPath();

        Module1 state;
        QWidget window;
        QVERIFY(kadrilo::demarrage(state, window));
        QCOMPARE(state.chemin_exiftool, QStringLiteral("/exiftool.exe"));
        QCOMPARE(fake.lookedUp, QStringList{QStringLiteral("/exiftool.exe")});
        QCOMPARE(fake.created, QStringList{QStringLiteral("/temp")});
        // A folder that cannot be created is not reported at start-up; the path is set anyway.
        QCOMPARE(state.dossier_temp, QStringLiteral("/temp/"));
        QVERIFY(fake.messages.isEmpty());
    }

    void version_texts() {
        QCOMPARE(kadrilo::versionText(), QStringLiteral("0.1.10"));
        QCOMPARE(kadrilo::versionText({2, 0, 7}), QStringLiteral("2.0.7"));
        QCOMPARE(kadrilo::mainWindowTitle(QStringLiteral("kadrilo")),
                 QStringLiteral("kadrilo  0.1.10"));
        QCOMPARE(kadrilo::platform::withTrailingSeparator(QStringLiteral("/a/b//")),
                 QStringLiteral("/a/b/"));
        QCOMPARE(kadrilo::platform::withTrailingSeparator(QStringLiteral("/")),
                 QStringLiteral("/"));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
