// Whole work cycles driven as a person drives them: the main window's statistics button,
// the folder window, "Go !", the work window running ExifTool, the statistics window.

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
using kadrilo::frm_stats;
using kadrilo::frm_travail;
using kadrilo::test::ModalScript;
using kadrilo::test::ProgramFolder;

namespace {

enum class Exiftool { Real, Silent, Slow };

void writeImages(const QString &folder, int count, int first) {
    kadrilo::test::Cr2Fixture fixture;
    fixture.iso = 400;
    for (int i = first; i < first + count; ++i)
        kadrilo::test::writeCr2(QDir(folder).filePath(QStringLiteral("IMG_%1.CR2").arg(i)),
                                fixture);
}

void clickButton(const QWidget &window, const char *name) {
    QTest::mouseClick(window.findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
}

// The program as it starts: exiftool.exe (the real one or a script) in its folder, the main
// window shown, and "photos/raws" (sub-folder "jour2") of raw images, opened from "photos".
struct Program {
    explicit Program(Exiftool exiftool, int images = 0, int imagesInSubFolder = 0)
        : folder(exiftool == Exiftool::Real ? ProgramFolder::Exiftool::Linked
                                            : ProgramFolder::Exiftool::Missing)
        , raws(folder.makeFolder(QStringLiteral("photos/raws")))
        , pidFile(folder.filePath(QStringLiteral("exiftool.pid")))
        , current(folder.filePath(QStringLiteral("photos"))) {
        if (exiftool != Exiftool::Real)
            kadrilo::test::writeFakeExiftool(folder.filePath(QStringLiteral("exiftool.exe")),
                                             exiftool == Exiftool::Slow ? pidFile : QString());
        writeImages(raws, images, 1);
        if (imagesInSubFolder > 0)
            writeImages(folder.makeFolder(QStringLiteral("photos/raws/jour2")), imagesInSubFolder,
                        90);
        fake.fakeProgramFolder = folder.path();
        fake.fakeProgramName = QStringLiteral("Kadrilo");
    }

    bool start() {
        if (!window.load())
            return false;
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }
    // Clicks the statistics button; `script` drives the modal windows to its last step.
    bool run(const ModalScript &script) {
        clickButton(window, "btc_frm_directory");
        if (!script.finished())
            qWarning("Step not reached: %s", qPrintable(script.pending()));
        return script.finished();
    }
    QString tempFolder() const { return folder.filePath(QStringLiteral("temp")); }
    int tagFiles() const {
        return QDir(tempFolder()).entryList({QStringLiteral("*.txt")}, QDir::Files).size();
    }

    kadrilo::test::FakePlatform fake;
    ProgramFolder folder;
    QString raws;
    QString pidFile;
    kadrilo::test::ScopedCurrentFolder current;
    kadrilo::Module1 state;
    kadrilo::frm_main window{state};
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
    QPointer<frm_directory> folderWindow;
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

// One cycle over "raws" with the left button, closing the statistics window.
bool runCycle(Program &program, StatisticsSeen &seen) {
    ModalScript script;
    script.onModal<frm_directory>(QStringLiteral("folder window"), [&](frm_directory &w) {
        seen.folderWindow = &w;
        openRawsAndGo(w, false, Qt::LeftButton);
    });
    script.onModal<frm_stats>(QStringLiteral("statistics window"),
                              [&](frm_stats &w) { readAndClose(w, seen); });
    return program.run(script);
}

} // namespace

class tst_work_cycle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cycle_data();
    void cycle();
    void twoCyclesThenQuit();
    void closingTheWorkWindowStopsExiftool();
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
    QTest::addColumn<int>("goButton"); // 0: "Annuler" instead
    QTest::addColumn<QString>("messageTitle");
    QTest::addColumn<QString>("messageText");
    QTest::addColumn<int>("analysedFiles"); // -1: no statistics window

    const int real = int(Exiftool::Real);
    const int left = Qt::LeftButton;
    QTest::addRow("sub-folders included")
        << real << 2 << 2 << true << left << QString() << QString() << 4;
    QTest::addRow("sub-folders left out, right button starts it")
        << real << 2 << 2 << false << int(Qt::RightButton) << QString() << QString() << 2;
    QTest::addRow("empty folder without sub-folders runs nothing")
        << real << 0 << 2 << false << left << QStringLiteral("Le dossier est vide !")
        << QStringLiteral("Il n'y a aucun fichier Raw dans le dossier selectionné !") << -1;
    QTest::addRow("empty folder with sub-folders ticked runs")
        << real << 0 << 2 << true << left << QString() << QString() << 2;
    QTest::addRow("ExifTool writing nothing still shows the statistics")
        << int(Exiftool::Silent) << 2 << 0 << false << left << QStringLiteral(" Erreur")
        << QStringLiteral("Une erreur inconnue s'est produite; les fichier .txt n'ont pas été "
                          "créés")
        << 0;
    QTest::addRow("Annuler runs nothing")
        << real << 2 << 0 << false << 0 << QString() << QString() << -1;
}

void tst_work_cycle::cycle() {
    QFETCH(int, exiftool);
    QFETCH(int, images);
    QFETCH(int, imagesInSubFolder);
    QFETCH(bool, includeSubFolders);
    QFETCH(int, goButton);
    QFETCH(QString, messageTitle);
    QFETCH(QString, messageText);
    QFETCH(int, analysedFiles);

    Program program(Exiftool(exiftool), images, imagesInSubFolder);
    QVERIFY(program.start());

    StatisticsSeen seen;
    ModalScript script;
    script.onModal<frm_directory>(QStringLiteral("folder window"), [&](frm_directory &window) {
        if (goButton == 0)
            clickButton(window, "btc_annuler");
        else
            openRawsAndGo(window, includeSubFolders, Qt::MouseButton(goButton));
    });
    if (analysedFiles >= 0) {
        script.onModal<frm_stats>(QStringLiteral("statistics window"),
                                  [&](frm_stats &window) { readAndClose(window, seen); });
    } else if (!messageTitle.isEmpty()) {
        // The message leaves the folder window open: the person gives up.
        script.when(
            QStringLiteral("folder window after the message"),
            [&] { return !program.fake.messages.isEmpty(); },
            [] {
                if (auto *window = kadrilo::test::activeModal<frm_directory>())
                    clickButton(*window, "btc_annuler");
            });
    }
    QVERIFY(program.run(script));

    QCOMPARE(program.fake.messages.size(), messageTitle.isEmpty() ? 0 : 1);
    if (!messageTitle.isEmpty()) {
        QCOMPARE(program.fake.messages.first().title, messageTitle);
        QCOMPARE(program.fake.messages.first().text, messageText);
        QCOMPARE(program.fake.messages.first().icon, kadrilo::platform::MessageIcon::Question);
    }
    QCOMPARE(program.state.type_raw, QStringLiteral("Canon"));
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(!program.state.extraction_faite);
    // Every window but the main one and the hidden work window is gone.
    QVERIFY(program.window.findChildren<frm_directory *>().isEmpty());
    QVERIFY(program.window.findChildren<frm_stats *>().isEmpty());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);

    if (analysedFiles < 0) {
        QVERIFY(!seen.shown);
        QVERIFY(!program.window.findChild<frm_travail *>());
        QVERIFY(program.state.etape_travail.isEmpty());
        QVERIFY(program.state.ligne_commande.isEmpty());
        return;
    }
    QCOMPARE(program.tagFiles(), analysedFiles);
    QVERIFY(seen.shown && seen.defaultPointer && seen.closedByFermer);
    QVERIFY2(seen.labels.contains(QStringLiteral("%1 Fichiers RAW Analysés").arg(analysedFiles)),
             qPrintable(seen.labels.join(QLatin1Char('|'))));
    QVERIFY(seen.labels.contains(QStringLiteral("Type de Fichiers : RAW Canon")));
    QVERIFY(seen.labels.contains(QStringLiteral("Dossier d'analyse : ") +
                                 QDir::toNativeSeparators(program.raws)));
}

void tst_work_cycle::twoCyclesThenQuit() {
    Program program(Exiftool::Real, 2);
    QVERIFY(program.start());
    StatisticsSeen first, second;
    QVERIFY(runCycle(program, first));
    const QPointer<frm_travail> work = program.window.findChild<frm_travail *>();
    QVERIFY(first.shown && first.folderWindow.isNull());
    QVERIFY(work && !work->isVisible());

    // A fresh folder window; the hidden work window serves again and replaces the tag files.
    QVERIFY(runCycle(program, second));
    QVERIFY(second.shown && second.folderWindow.isNull());
    QCOMPARE(program.window.findChildren<frm_travail *>(), QList<frm_travail *>{work.data()});
    QVERIFY(second.labels.contains(QStringLiteral("2 Fichiers RAW Analysés")));
    QCOMPARE(program.tagFiles(), 2);

    clickButton(program.window, "btc_quitter");
    QCOMPARE(program.tagFiles(), 0);
    QVERIFY(QFileInfo(program.tempFolder()).isDir());
    QVERIFY(!program.window.isVisible());
}

void tst_work_cycle::closingTheWorkWindowStopsExiftool() {
    Program program(Exiftool::Slow, 2);
    QVERIFY(program.start());

    qint64 pid = 0;
    bool waitPointer = false, folderWindowBack = false, exiftoolGone = false, pointerBack = false;
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
        pointerBack = QGuiApplication::overrideCursor() == nullptr;
        clickButton(w, "btc_annuler");
    });
    QVERIFY(program.run(script));

    QVERIFY(waitPointer && pointerBack);
    QVERIFY(folderWindowBack && exiftoolGone);
    QVERIFY(program.fake.messages.isEmpty());
    QVERIFY(!program.state.extraction_faite);
    QVERIFY(program.window.findChildren<frm_stats *>().isEmpty());

    // The work window stays loaded, hidden: closing the main window still ends the event loop.
    QVERIFY(program.window.findChild<frm_travail *>());
    QTimer::singleShot(0, &program.window, [&] { program.window.close(); });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), 0);
}

QTEST_MAIN(tst_work_cycle)
#include "tst_work_cycle.moc"
