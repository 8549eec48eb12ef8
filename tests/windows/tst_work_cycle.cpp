// Whole work cycles driven as a person drives them: the main window's statistics button,
// the folder window, "Go !", the work window running ExifTool, the statistics window.

#include "fake_exiftool.h"
#include "modal_script.h"
#include "platform/platform.h"
#include "run/frm_travail.h"
#include "run/module1.h"
#include "stats/frm_stats.h"
#include "support/cr2_writer.h"
#include "support/fake_platform.h"
#include "support/program_folder.h"
#include "window_helpers.h"
#include "windows/frm_directory.h"
#include "windows/frm_main.h"

#include <QCheckBox>
#include <QPointer>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

using kadrilo::frm_directory;
using kadrilo::frm_main;
using kadrilo::frm_stats;
using kadrilo::frm_travail;
using kadrilo::Module1;
using kadrilo::test::FakeExiftool;
using kadrilo::test::ModalScript;
using kadrilo::test::ProgramFolder;

namespace {

enum class Exiftool { Real, Silent, Slow };

// The program as it starts: a program folder with exiftool.exe (the real one or a script),
// the main window loaded and shown, and a folder "photos" holding the folder "raws" of raw
// images, opened from "photos".
struct Program {
    explicit Program(Exiftool exiftool, int images = 0, int imagesInSubFolder = 0)
        : folder(exiftool == Exiftool::Real ? ProgramFolder::Exiftool::Linked
                                            : ProgramFolder::Exiftool::Missing)
        , photos(folder.makeFolder(QStringLiteral("photos")))
        , raws(folder.makeFolder(QStringLiteral("photos/raws")))
        , pidFile(folder.filePath(QStringLiteral("exiftool.pid")))
        , current(photos) {
        const QString exiftoolPath = folder.filePath(QStringLiteral("exiftool.exe"));
        if (exiftool == Exiftool::Silent)
            kadrilo::test::writeFakeExiftool(exiftoolPath, FakeExiftool::Silent);
        else if (exiftool == Exiftool::Slow)
            kadrilo::test::writeFakeExiftool(exiftoolPath, FakeExiftool::Slow, 0, pidFile);
        for (int i = 1; i <= images; ++i)
            writeImage(raws, QStringLiteral("IMG_%1.CR2").arg(i));
        if (imagesInSubFolder > 0) {
            const QString sub = folder.makeFolder(QStringLiteral("photos/raws/jour2"));
            for (int i = 1; i <= imagesInSubFolder; ++i)
                writeImage(sub, QStringLiteral("IMG_9%1.CR2").arg(i));
        }
        fake.fakeProgramFolder = folder.path();
        fake.fakeProgramName = QStringLiteral("Kadrilo");
    }

    static void writeImage(const QString &where, const QString &name) {
        kadrilo::test::Cr2Fixture fixture;
        fixture.iso = 400;
        kadrilo::test::writeCr2(QDir(where).filePath(name), fixture);
    }

    bool start() {
        if (!window.load())
            return false;
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    QString tempFolder() const { return folder.filePath(QStringLiteral("temp")); }
    int tagFiles() const {
        return QDir(tempFolder()).entryList({QStringLiteral("*.txt")}, QDir::Files).size();
    }
    QPushButton *button(const char *name) const {
        return window.findChild<QPushButton *>(QLatin1String(name));
    }
    QStringList messageTitles() const {
        QStringList titles;
        for (const auto &message : fake.messages)
            titles << message.title;
        return titles;
    }

    kadrilo::test::FakePlatform fake;
    ProgramFolder folder;
    QString photos;
    QString raws;
    QString pidFile;
    kadrilo::test::ScopedCurrentFolder current;
    Module1 state;
    frm_main window{state};
};

// In the folder window: opens "raws" with a double-click in the tree, ticks the sub-folders
// if asked, and releases `button` over "Go !".
void openRawsAndGo(frm_directory &folderWindow, bool includeSubFolders, Qt::MouseButton button) {
    auto *tree = folderWindow.findChild<QTreeView *>(QStringLiteral("Dir1"));
    const QModelIndex raws = kadrilo::test::waitForChild(*tree, QStringLiteral("raws"));
    QVERIFY(raws.isValid());
    kadrilo::test::doubleClick(*tree, raws);
    QVERIFY(folderWindow.currentFolder().endsWith(QStringLiteral("raws")));
    if (includeSubFolders)
        QTest::mouseClick(folderWindow.findChild<QCheckBox *>(QStringLiteral("check_recursive")),
                          Qt::LeftButton);
    QTest::mouseClick(folderWindow.findChild<QPushButton *>(QStringLiteral("btc_scan")), button);
}

// What the person saw in the statistics window, before closing it with "Fermer ".
struct StatisticsSeen {
    bool shown = false;
    QStringList labels;
    bool defaultPointer = false;
    bool closedByFermer = false;
};

void readAndClose(frm_stats &window, StatisticsSeen &seen) {
    seen.shown = true;
    seen.labels = kadrilo::test::labelTexts(window);
    seen.defaultPointer = QGuiApplication::overrideCursor() == nullptr;
    for (QPushButton *button : window.findChildren<QPushButton *>()) {
        if (button->text() == QLatin1String("Fermer ") && button->isEnabled()) {
            seen.closedByFermer = true;
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
    window.close();
}

} // namespace

class tst_work_cycle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cycle_data();
    void cycle();
    void twoCyclesThenQuit();
    void annulerRunsNothing();
    void closingTheWorkWindowStopsExiftool();
    void closingTheMainWindowEndsTheProgram();
};

void tst_work_cycle::initTestCase() {
    if (kadrilo::test::installedExiftool().isEmpty())
        QSKIP("ExifTool is not installed");
}

void tst_work_cycle::cycle_data() {
    QTest::addColumn<int>("exiftool");
    QTest::addColumn<int>("images");
    QTest::addColumn<int>("imagesInSubFolder");
    QTest::addColumn<bool>("includeSubFolders");
    QTest::addColumn<int>("goButton");
    QTest::addColumn<QStringList>("messageTitles");
    QTest::addColumn<int>("analysedFiles"); // -1: no statistics window

    const int real = int(Exiftool::Real);
    const int left = Qt::LeftButton;
    QTest::addRow("raw folder") << real << 3 << 0 << false << left << QStringList() << 3;
    QTest::addRow("right button starts it too")
        << real << 2 << 0 << false << int(Qt::RightButton) << QStringList() << 2;
    QTest::addRow("sub-folders included") << real << 2 << 2 << true << left << QStringList() << 4;
    QTest::addRow("sub-folders left out") << real << 2 << 2 << false << left << QStringList() << 2;
    QTest::addRow("empty folder without sub-folders runs nothing")
        << real << 0 << 2 << false << left << QStringList{QStringLiteral("Le dossier est vide !")}
        << -1;
    QTest::addRow("empty folder with sub-folders ticked runs")
        << real << 0 << 2 << true << left << QStringList() << 2;
    QTest::addRow("ExifTool writing nothing still shows the statistics")
        << int(Exiftool::Silent) << 2 << 0 << false << left
        << QStringList{QStringLiteral(" Erreur")} << 0;
}

void tst_work_cycle::cycle() {
    QFETCH(int, exiftool);
    QFETCH(int, images);
    QFETCH(int, imagesInSubFolder);
    QFETCH(bool, includeSubFolders);
    QFETCH(int, goButton);
    QFETCH(QStringList, messageTitles);
    QFETCH(int, analysedFiles);

    Program program(Exiftool(exiftool), images, imagesInSubFolder);
    QVERIFY(program.start());

    StatisticsSeen seen;
    bool spaceAndEnterIgnored = false;
    ModalScript script;
    script.onModal<frm_directory>(QStringLiteral("folder window"), [&](frm_directory &window) {
        // Keys on "Go !" start nothing.
        auto *go = window.findChild<QPushButton *>(QStringLiteral("btc_scan"));
        go->setFocus();
        QTest::keyClick(go, Qt::Key_Space);
        QTest::keyClick(go, Qt::Key_Return);
        spaceAndEnterIgnored =
            program.fake.messages.isEmpty() && !program.window.findChild<frm_travail *>();
        openRawsAndGo(window, includeSubFolders, Qt::MouseButton(goButton));
    });
    if (analysedFiles >= 0) {
        script.onModal<frm_stats>(QStringLiteral("statistics window"),
                                  [&](frm_stats &window) { readAndClose(window, seen); });
    } else {
        // The message leaves the folder window open: the person gives up.
        script.when(
            QStringLiteral("folder window after the message"),
            [&] { return !program.fake.messages.isEmpty(); },
            [] {
                if (auto *window = kadrilo::test::activeModal<frm_directory>())
                    QTest::mouseClick(
                        window->findChild<QPushButton *>(QStringLiteral("btc_annuler")),
                        Qt::LeftButton);
            });
    }

    QTest::mouseClick(program.button("btc_frm_directory"), Qt::LeftButton);

    QVERIFY2(script.finished(), qPrintable(script.pending()));
    QVERIFY(spaceAndEnterIgnored);
    QCOMPARE(program.messageTitles(), messageTitles);
    QCOMPARE(program.state.type_raw, QStringLiteral("Canon"));
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(!program.state.extraction_faite);
    // Every window but the main one and the hidden work window is gone.
    QVERIFY(program.window.findChildren<frm_directory *>().isEmpty());
    QVERIFY(program.window.findChildren<frm_stats *>().isEmpty());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    if (analysedFiles < 0) {
        QVERIFY(!seen.shown);
        QVERIFY(program.state.ligne_commande.isEmpty());
        QCOMPARE(program.fake.messages.first().text,
                 QStringLiteral("Il n'y a aucun fichier Raw dans le dossier selectionné !"));
        QCOMPARE(program.fake.messages.first().icon, kadrilo::platform::MessageIcon::Question);
        return;
    }
    QCOMPARE(program.tagFiles(), analysedFiles);
    if (!messageTitles.isEmpty()) {
        QCOMPARE(program.fake.messages.first().text,
                 QStringLiteral("Une erreur inconnue s'est produite; les fichier .txt n'ont pas "
                                "été créés"));
        QCOMPARE(program.fake.messages.first().icon, kadrilo::platform::MessageIcon::Question);
    }
    QVERIFY(seen.shown);
    QVERIFY(seen.defaultPointer);
    QVERIFY(seen.closedByFermer);
    QVERIFY2(seen.labels.contains(QStringLiteral("%1 Fichiers RAW Analysés").arg(analysedFiles)),
             qPrintable(seen.labels.join(QLatin1Char('|'))));
    QVERIFY(seen.labels.contains(QStringLiteral("Type de Fichiers : RAW Canon")));
    QVERIFY(seen.labels.contains(QStringLiteral("Dossier d'analyse : ") +
                                 QDir::toNativeSeparators(program.raws)));
}

void tst_work_cycle::twoCyclesThenQuit() {
    Program program(Exiftool::Real, 2);
    QVERIFY(program.start());

    QPointer<frm_directory> firstFolderWindow;
    QPointer<frm_travail> firstWorkWindow;
    QPointer<frm_directory> secondFolderWindow;
    StatisticsSeen first, second;
    ModalScript script;
    script.onModal<frm_directory>(QStringLiteral("first folder window"), [&](frm_directory &w) {
        firstFolderWindow = &w;
        openRawsAndGo(w, false, Qt::LeftButton);
    });
    script.onModal<frm_stats>(QStringLiteral("first statistics"), [&](frm_stats &w) {
        firstWorkWindow = program.window.findChild<frm_travail *>();
        readAndClose(w, first);
    });
    QTest::mouseClick(program.button("btc_frm_directory"), Qt::LeftButton);
    QVERIFY2(script.finished(), qPrintable(script.pending()));
    QVERIFY(firstFolderWindow.isNull());
    QVERIFY(!firstWorkWindow.isNull());
    QVERIFY(!firstWorkWindow->isVisible());

    // Tag files of the first run are replaced, not added to.
    ModalScript again;
    again.onModal<frm_directory>(QStringLiteral("second folder window"), [&](frm_directory &w) {
        secondFolderWindow = &w;
        openRawsAndGo(w, false, Qt::LeftButton);
    });
    again.onModal<frm_stats>(QStringLiteral("second statistics"),
                             [&](frm_stats &w) { readAndClose(w, second); });
    QTest::mouseClick(program.button("btc_frm_directory"), Qt::LeftButton);
    QVERIFY2(again.finished(), qPrintable(again.pending()));
    QVERIFY(secondFolderWindow.isNull());
    QCOMPARE(program.window.findChildren<frm_travail *>().size(), 1);
    QCOMPARE(program.window.findChild<frm_travail *>(), firstWorkWindow.data());
    QVERIFY(first.shown && second.shown);
    QVERIFY(second.labels.contains(QStringLiteral("2 Fichiers RAW Analysés")));
    QCOMPARE(program.tagFiles(), 2);

    QTest::mouseClick(program.button("btc_quitter"), Qt::LeftButton);
    QCOMPARE(program.tagFiles(), 0);
    QVERIFY(QFileInfo(program.tempFolder()).isDir());
    QVERIFY(!program.window.isVisible());
}

void tst_work_cycle::annulerRunsNothing() {
    Program program(Exiftool::Real, 2);
    QVERIFY(program.start());

    ModalScript script;
    script.onModal<frm_directory>(QStringLiteral("folder window"), [](frm_directory &w) {
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("btc_annuler")),
                          Qt::LeftButton);
    });
    QTest::mouseClick(program.button("btc_frm_directory"), Qt::LeftButton);

    QVERIFY2(script.finished(), qPrintable(script.pending()));
    QCOMPARE(program.state.type_raw, QStringLiteral("Canon"));
    QVERIFY(program.state.etape_travail.isEmpty());
    QVERIFY(program.fake.messages.isEmpty());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(program.window.findChildren<frm_directory *>().isEmpty());
    QVERIFY(!program.window.findChild<frm_travail *>());
}

void tst_work_cycle::closingTheWorkWindowStopsExiftool() {
    Program program(Exiftool::Slow, 2);
    QVERIFY(program.start());

    qint64 pid = 0;
    bool waitPointer = false;
    bool folderWindowBack = false;
    bool exiftoolGone = false;
    bool defaultPointerAfter = false;
    ModalScript script;
    script.onModal<frm_directory>(QStringLiteral("folder window"), [](frm_directory &w) {
        openRawsAndGo(w, false, Qt::LeftButton);
    });
    script.when(
        QStringLiteral("ExifTool running in the work window"),
        [&] {
            pid = kadrilo::test::readPid(program.pidFile);
            return pid > 0 && kadrilo::test::activeModal<frm_travail>();
        },
        [&] {
            const QCursor *pointer = QGuiApplication::overrideCursor();
            waitPointer = pointer && pointer->shape() == Qt::WaitCursor;
            kadrilo::test::activeModal<frm_travail>()->close();
        });
    script.onModal<frm_directory>(QStringLiteral("folder window again"), [&](frm_directory &w) {
        folderWindowBack = w.isVisible();
        exiftoolGone = !kadrilo::test::processExists(pid);
        defaultPointerAfter = QGuiApplication::overrideCursor() == nullptr;
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("btc_annuler")),
                          Qt::LeftButton);
    });
    QTest::mouseClick(program.button("btc_frm_directory"), Qt::LeftButton);

    QVERIFY2(script.finished(), qPrintable(script.pending()));
    QVERIFY(waitPointer);
    QVERIFY(folderWindowBack);
    QVERIFY(exiftoolGone);
    QVERIFY(defaultPointerAfter);
    QVERIFY(program.fake.messages.isEmpty());
    QVERIFY(!program.state.extraction_faite);
    QVERIFY(program.window.findChildren<frm_stats *>().isEmpty());
}

void tst_work_cycle::closingTheMainWindowEndsTheProgram() {
    Program program(Exiftool::Real, 1);
    QVERIFY(program.start());
    ModalScript script;
    script.onModal<frm_directory>(QStringLiteral("folder window"), [](frm_directory &w) {
        openRawsAndGo(w, false, Qt::LeftButton);
    });
    script.onModal<frm_stats>(QStringLiteral("statistics"), [](frm_stats &w) {
        StatisticsSeen seen;
        readAndClose(w, seen);
    });
    QTest::mouseClick(program.button("btc_frm_directory"), Qt::LeftButton);
    QVERIFY2(script.finished(), qPrintable(script.pending()));
    QVERIFY(program.window.findChild<frm_travail *>());

    // The work window stays loaded, hidden: closing the main window must still end the
    // program's event loop.
    int exitCode = -1;
    QTimer::singleShot(0, &program.window, [&] { program.window.close(); });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
    exitCode = QCoreApplication::exec();
    QCOMPARE(exitCode, 0);
}

QTEST_MAIN(tst_work_cycle)
#include "tst_work_cycle.moc"
