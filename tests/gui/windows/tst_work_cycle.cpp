// Whole work cycles driven as a person drives them: the main window's statistics button,
// the folder window, "Go !", the work window running ExifTool, the statistics window.

#include "platform/folder_lock.h"
#include "platform/platform.h"
#include "run/frm_travail.h"
#include "run/module1.h"
#include "stats/frm_stats.h"
#include "support/cr2_writer.h"
#include "support/fake_platform.h"
#include "support/fake_program.h"
#include "support/process_probe.h"
#include "support/program_folder.h"
#include "support/tag_files.h"
#include "support/window_helpers.h"
#include "windows/frm_directory.h"
#include "windows/frm_main.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeView>
#include <QtTest>

#include <cstdio>
#include <optional>
#include <unistd.h>

using kadrilo::frm_directory;
using kadrilo::frm_stats;
using kadrilo::frm_travail;
using kadrilo::test::activeModal;
using kadrilo::test::clickButton;
using kadrilo::test::ModalScript;
using kadrilo::test::ProgramFolder;
using kadrilo::test::tagFiles;

namespace {

// Real: the installed ExifTool. Silent: ends at once, writes nothing. Slow: writes two tag
// files, then waits. Killed: dies at once by SIGKILL. Locked: the real one, while another
// Kadrilo holds the temp folder. Endless: the real one, with a link to /dev/zero named like an
// image in the folder.
enum class Exiftool { Real, Silent, Slow, Killed, Locked, Endless };

void writeImages(const QString &folder, int count, int first) {
    kadrilo::test::Cr2Fixture fixture;
    fixture.iso = 400;
    for (int i = first; i < first + count; ++i)
        kadrilo::test::writeCr2(QDir(folder).filePath(QStringLiteral("IMG_%1.CR2").arg(i)),
                                fixture);
}

// The program as it starts: exiftool.exe in its folder, the main window shown, and
// "photos/raws" (sub-folder "jour2") of raw images, opened from "photos".
struct Program {
    Program(Exiftool exiftool, int images, int imagesInSubFolder = 0)
        : folder(exiftool == Exiftool::Real || exiftool == Exiftool::Locked ||
                         exiftool == Exiftool::Endless
                     ? ProgramFolder::Exiftool::Linked
                     : ProgramFolder::Exiftool::Missing)
        , raws(folder.makeFolder(QStringLiteral("photos/raws")))
        , pidFile(folder.filePath(QStringLiteral("exiftool.pid")))
        , current(folder.filePath(QStringLiteral("photos"))) {
        if (exiftool == Exiftool::Killed)
            kadrilo::test::writeFakeProgram(folder.filePath(QStringLiteral("exiftool.exe")),
                                            "kill -KILL $$");
        else if (exiftool == Exiftool::Silent || exiftool == Exiftool::Slow)
            kadrilo::test::writeFakeProgram(folder.filePath(QStringLiteral("exiftool.exe")),
                                            exiftool == Exiftool::Slow
                                                ? kadrilo::test::slowExiftool(pidFile, 2)
                                                : QByteArray());
        writeImages(raws, images, 1);
        if (exiftool == Exiftool::Endless)
            QFile::link(QStringLiteral("/dev/zero"), raws + QStringLiteral("/zero.CR2"));
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

    kadrilo::test::FakePlatform fake;
    ProgramFolder folder;
    QString raws, pidFile;
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
    clickButton(folderWindow, "btc_scan", button);
}

} // namespace

class tst_work_cycle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cycle_data();
    void cycle();
    void closingTheWorkWindowStopsExiftool();
    void latin1FolderIsAnalysed();
    void damagedImageIsNamedBeforeTheStatistics();
};

void tst_work_cycle::initTestCase() {
    KADRILO_REQUIRE_EXIFTOOL();
}

void tst_work_cycle::cycle_data() {
    QTest::addColumn<int>("exiftool");
    QTest::addColumn<int>("images");
    QTest::addColumn<int>("imagesInSubFolder");
    QTest::addColumn<bool>("includeSubFolders");
    QTest::addColumn<int>("goButton");      // 0: "Annuler" instead
    QTest::addColumn<QString>("message");   // title|text
    QTest::addColumn<int>("analysedFiles"); // -1: no statistics window
    QTest::addColumn<int>("cycles");

    const int real = int(Exiftool::Real), left = Qt::LeftButton;
    QTest::addRow("two cycles, each with fresh windows")
        << real << 2 << 0 << false << left << QString() << 2 << 2;
    QTest::addRow("sub-folders included") << real << 2 << 2 << true << left << QString() << 4 << 1;
    QTest::addRow("sub-folders left out, right button starts it")
        << real << 2 << 2 << false << int(Qt::RightButton) << QString() << 2 << 1;
    QTest::addRow("empty folder without sub-folders runs nothing")
        << real << 0 << 2 << false << left
        << QStringLiteral("Le dossier est vide !|Il n'y a aucun fichier Raw dans le dossier "
                          "selectionné !")
        << -1 << 1;
    QTest::addRow("empty folder with sub-folders ticked runs")
        << real << 0 << 2 << true << left << QString() << 2 << 1;
    QTest::addRow("ExifTool writing nothing still shows the statistics")
        << int(Exiftool::Silent) << 2 << 0 << false << left
        << QStringLiteral(" Erreur|Une erreur inconnue s'est produite; les fichier .txt n'ont "
                          "pas été créés")
        << 0 << 1;
    QTest::addRow("ExifTool killed: told before the statistics")
        << int(Exiftool::Killed) << 2 << 0 << false << left
        << QStringLiteral(" Erreur|ExifTool s'est arrêté avant la fin (arrêté par le signal 9) : "
                          "aucune des 2 images n'a été lue, les statistiques sont incomplètes.")
        << 0 << 1;
    QTest::addRow("a link to /dev/zero named like an image: ExifTool stopped, the link named")
        << int(Exiftool::Endless) << 0 << 0 << true << left
        << QStringLiteral(" Erreur|ExifTool lisait sans fin « /dev/zero », qui n'est pas une image "
                          "mais un périphérique : il a été arrêté.\r\nNommé comme une image RAW, "
                          "ce fichier y mène :\r\n%1/zero.CR2\r\nRetirez-le du dossier, puis "
                          "relancez l'analyse.\r\nLes statistiques ne portent que sur les images "
                          "lues avant cet arrêt.")
        << 0 << 1;
    QTest::addRow("another Kadrilo's cycle: nothing deleted, nothing run")
        << int(Exiftool::Locked) << 2 << 0 << false << left
        << QStringLiteral("Analyse en cours|Une autre analyse est en cours avec le dossier "
                          "temporaire :\r\n%1\r\nAttendez qu'elle se termine, puis relancez "
                          "celle-ci.")
        << -1 << 1;
    QTest::addRow("Annuler runs nothing") << real << 2 << 0 << false << 0 << QString() << -1 << 1;
}

void tst_work_cycle::cycle() {
    QFETCH(int, exiftool);
    QFETCH(int, images);
    QFETCH(int, imagesInSubFolder);
    QFETCH(bool, includeSubFolders);
    QFETCH(int, goButton);
    QFETCH(QString, message);
    QFETCH(int, analysedFiles);
    QFETCH(int, cycles);

    Program program(Exiftool(exiftool), images, imagesInSubFolder);
    QVERIFY(program.start());
    // The other Kadrilo holds the lock, and its first tag file stands in the temp folder.
    std::optional<kadrilo::platform::FolderLock> otherCycle;
    if (Exiftool(exiftool) == Exiftool::Locked) {
        otherCycle.emplace(program.tempFolder());
        QVERIFY(otherCycle->tryLock());
        QVERIFY(QFile(program.tempFolder() + QStringLiteral("/IMG_0001.txt"))
                    .open(QIODevice::WriteOnly));
        message = message.arg(QDir::toNativeSeparators(program.tempFolder() + QLatin1Char('/')));
    }
    if (Exiftool(exiftool) == Exiftool::Endless)
        message = message.arg(program.raws);
    QPointer<frm_travail> work;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        QPointer<frm_directory> folderWindow;
        QStringList labels;
        bool normalPointer = false, closedByFermer = false;
        ModalScript script;
        script.onModal<frm_directory>(QStringLiteral("folder window"), [&](frm_directory &w) {
            folderWindow = &w;
            if (goButton == 0)
                clickButton(w, "btc_annuler");
            else
                openRawsAndGo(w, includeSubFolders, Qt::MouseButton(goButton));
        });
        if (analysedFiles >= 0) {
            // What the person sees in the statistics window, before closing it with "Fermer ".
            script.onModal<frm_stats>(QStringLiteral("statistics window"), [&](frm_stats &w) {
                for (const QLabel *label : w.findChildren<QLabel *>())
                    labels << label->text();
                normalPointer = QGuiApplication::overrideCursor() == nullptr;
                QPushButton *fermer = nullptr;
                for (QPushButton *button : w.findChildren<QPushButton *>())
                    if (button->text() == QLatin1String("Fermer ") && button->isEnabled())
                        fermer = button;
                closedByFermer = fermer != nullptr;
                if (fermer)
                    QTest::mouseClick(fermer, Qt::LeftButton);
                else
                    w.close();
            });
        } else if (!message.isEmpty()) {
            // The message leaves the folder window open: the person gives up.
            script.when(
                QStringLiteral("folder window after the message"),
                [&] { return !program.fake.messages.isEmpty(); },
                [] {
                    if (auto *window = activeModal<frm_directory>())
                        clickButton(*window, "btc_annuler");
                });
        }
        QVERIFY(program.run(script));

        QCOMPARE(program.fake.messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            const auto &shown = program.fake.messages.first();
            QCOMPARE(shown.title + QLatin1Char('|') + shown.text, message);
            const auto icon = shown.text.startsWith(QLatin1String("ExifTool"))
                                  ? kadrilo::platform::MessageIcon::Critical
                              : otherCycle ? kadrilo::platform::MessageIcon::Information
                                           : kadrilo::platform::MessageIcon::Question;
            QCOMPARE(shown.icon, icon);
        }
        QCOMPARE(program.state.type_raw, QStringLiteral("Canon"));
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QVERIFY(!program.state.extraction_faite);
        // Every window but the main one and the hidden work window is gone.
        QVERIFY(folderWindow.isNull());
        QVERIFY(program.window.findChildren<frm_stats *>().isEmpty());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        if (analysedFiles < 0) {
            QVERIFY(labels.isEmpty());
            QVERIFY(!program.window.findChild<frm_travail *>());
            QVERIFY(program.state.etape_travail.isEmpty());
            QVERIFY(program.state.ligne_commande.isEmpty());
            QCOMPARE(tagFiles(program.tempFolder()).size(), otherCycle ? 1 : 0);
            continue;
        }
        QCOMPARE(tagFiles(program.tempFolder()).size(), analysedFiles);
        QVERIFY(normalPointer && closedByFermer);
        QVERIFY2(labels.contains(QStringLiteral("%1 Fichiers RAW Analysés").arg(analysedFiles)),
                 qPrintable(labels.join(QLatin1Char('|'))));
        QVERIFY(labels.contains(QStringLiteral("Type de Fichiers : RAW Canon")));
        QVERIFY(labels.contains(QStringLiteral("Dossier d'analyse : ") +
                                QDir::toNativeSeparators(program.raws)));
        // The hidden work window serves again (and replaces the tag files).
        const QList<frm_travail *> works = program.window.findChildren<frm_travail *>();
        QVERIFY(works.size() == 1 && !works.first()->isVisible() && (!work || work == works[0]));
        work = works.first();
    }
    // "Quitter" leaves another cycle's tag files, and deletes them once it has ended.
    clickButton(program.window, "btc_quitter");
    QCOMPARE(tagFiles(program.tempFolder()).size(), otherCycle ? 1 : 0);
    otherCycle.reset();
    clickButton(program.window, "btc_quitter");
    QCOMPARE(tagFiles(program.tempFolder()).size(), 0);
    QVERIFY(QFileInfo(program.tempFolder()).isDir());
    QVERIFY(!program.window.isVisible());
}

void tst_work_cycle::closingTheWorkWindowStopsExiftool() {
    Program program(Exiftool::Slow, 3);
    // A count as long as on a large tree: ExifTool runs and the window answers meanwhile.
    program.fake.rawImageScanMilliseconds = 1500;
    QVERIFY(program.start());

    QStringList seen;
    ModalScript script;
    script.onModal<frm_directory>(QStringLiteral("folder window"), [](frm_directory &w) {
        openRawsAndGo(w, false, Qt::LeftButton);
    });
    script.when(
        QStringLiteral("a busy bar while the images are counted"),
        [] { return kadrilo::test::workCountShows(QStringLiteral("2 / …")); },
        [&] {
            const auto *progress = activeModal<frm_travail>()->findChild<QProgressBar *>();
            seen << QStringLiteral("busy %1").arg(progress->maximum());
        });
    script.when(
        QStringLiteral("two of three tag files counted"),
        [] { return kadrilo::test::workCountShows(QStringLiteral("2 / 3")); },
        [&] {
            frm_travail *work = activeModal<frm_travail>();
            const auto *progress = work->findChild<QProgressBar *>();
            const QCursor *pointer = QGuiApplication::overrideCursor();
            seen << work->windowTitle()
                 << work->findChild<QLabel *>(QStringLiteral("lbl_travail"))->text()
                 << QStringLiteral("%1/%2 %3")
                        .arg(progress->value())
                        .arg(progress->maximum())
                        .arg(progress->isVisible())
                 << QStringLiteral("running %1").arg(kadrilo::test::scriptRunning(program.pidFile))
                 << QStringLiteral("wait pointer %1")
                        .arg(pointer && pointer->shape() == Qt::WaitCursor);
            work->close();
        });
    script.onModal<frm_directory>(QStringLiteral("folder window again"), [&](frm_directory &w) {
        seen << QStringLiteral("back %1 %2 %3")
                    .arg(w.isVisible())
                    .arg(kadrilo::test::scriptRunning(program.pidFile))
                    .arg(QGuiApplication::overrideCursor() == nullptr);
        clickButton(w, "btc_annuler");
    });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(program.run(script));
    QVERIFY(clock.elapsed() < 20000);

    QCOMPARE(seen, QStringList({QStringLiteral("busy 0"),
                                QStringLiteral("Lecture des informations EXIF...."),
                                QStringLiteral("L'analyse est en cours .....Cela peut prendre un "
                                               "certain temps suivant le nombre de fichiers à "
                                               "analyser.(1000 à 2000 fichiers lu par minute....)"),
                                QStringLiteral("2/3 1"), QStringLiteral("running 1"),
                                QStringLiteral("wait pointer 1"), QStringLiteral("back 1 0 1")}));
    QVERIFY(program.fake.messages.isEmpty());
    QVERIFY(!program.state.extraction_faite);
    QCOMPARE(program.state.etape_travail, QStringLiteral("lectureraw"));
    QVERIFY(program.window.findChildren<frm_stats *>().isEmpty());

    // The work window stays loaded, hidden: closing the main window still ends the event loop.
    QVERIFY(program.window.findChild<frm_travail *>());
    QTimer::singleShot(0, &program.window, [&] { program.window.close(); });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), 0);
}

// Started in a folder whose name is Latin-1 ("ph\xE9"), which Qt cannot spell: the real
// ExifTool reads its images, and the statistics name the folder with its byte escaped.
void tst_work_cycle::latin1FolderIsAnalysed() {
    Program program(Exiftool::Real, 2);
    // QTemporaryDir cannot remove what Qt cannot name; rm can.
    const auto removeAll = qScopeGuard([&] {
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), program.folder.path()});
    });
    const QByteArray raws = QFile::encodeName(program.raws);
    const QByteArray latin1 =
        QFile::encodeName(program.folder.filePath(QStringLiteral("photos"))) + "/ph\xE9";
    QCOMPARE(std::rename(raws.constData(), latin1.constData()), 0);
    QCOMPARE(::chdir(latin1.constData()), 0);
    QVERIFY(program.start());

    QStringList labels;
    ModalScript script;
    script.onModal<frm_directory>(QStringLiteral("folder window"),
                                  [](frm_directory &w) { clickButton(w, "btc_scan"); });
    script.onModal<frm_stats>(QStringLiteral("statistics window"), [&](frm_stats &w) {
        for (const QLabel *label : w.findChildren<QLabel *>())
            labels << label->text();
        w.close();
    });
    QVERIFY(program.run(script));
    QVERIFY(program.fake.messages.isEmpty());
    QVERIFY2(labels.contains(QStringLiteral("2 Fichiers RAW Analysés")),
             qPrintable(labels.join(u'|')));
    QVERIFY2(labels.contains(QStringLiteral("Dossier d'analyse : ") +
                             program.folder.filePath(QStringLiteral("photos/ph\\xE9"))),
             qPrintable(labels.join(u'|')));
}

// A damaged image among good ones: ExifTool writes its error into the tag file; the window
// counts the good photos only, and names the damaged one before the statistics.
void tst_work_cycle::damagedImageIsNamedBeforeTheStatistics() {
    Program program(Exiftool::Real, 2);
    QVERIFY(
        kadrilo::test::writeDamagedImage(QDir(program.raws).filePath(QStringLiteral("IMG_9.CR2"))));
    QVERIFY(program.start());
    QStringList labels;
    ModalScript script;
    script.onModal<frm_directory>(QStringLiteral("folder window"), [&](frm_directory &w) {
        openRawsAndGo(w, false, Qt::LeftButton);
    });
    script.onModal<frm_stats>(QStringLiteral("statistics window"), [&](frm_stats &w) {
        for (const QLabel *label : w.findChildren<QLabel *>())
            labels << label->text();
        w.close();
    });
    QVERIFY(program.run(script));
    QCOMPARE(program.fake.messages.size(), 1);
    const auto &shown = program.fake.messages.first();
    QCOMPARE(shown.title, QStringLiteral("Lecture incomplète"));
    QCOMPARE(shown.icon, kadrilo::platform::MessageIcon::Warning);
    const QString named =
        QStringLiteral("« %1 » : format de fichier non reconnu (File format error)")
            .arg(QDir::toNativeSeparators(program.raws + QStringLiteral("/IMG_9.CR2")));
    QCOMPARE(shown.text, QStringLiteral("1 des 3 images n'a pas pu être lue :\n") + named);
    QCOMPARE(shown.details, named);
    QVERIFY2(labels.contains(QStringLiteral("2 Fichiers RAW Analysés")),
             qPrintable(labels.join(QLatin1Char('|'))));
}

QTEST_MAIN(tst_work_cycle)
#include "tst_work_cycle.moc"
