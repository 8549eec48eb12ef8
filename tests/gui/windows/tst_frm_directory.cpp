#include "platform/folder_lock.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "run/frm_travail.h"
#include "run/module1.h"
#include "support/cr2_writer.h"
#include "support/fake_platform.h"
#include "support/window_helpers.h"
#include "windows/frm_directory.h"

#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTreeView>
#include <QtTest>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using kadrilo::frm_directory;
using kadrilo::frm_travail;

namespace {

bool touch(const QString &path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

QStringList listed(const frm_directory &window) {
    QStringList names;
    const auto *list = window.findChild<QListWidget *>(QStringLiteral("File1"));
    for (int row = 0; row < list->count(); ++row)
        names << list->item(row)->text();
    return names;
}

// A folder window opened on a fresh folder "images", with a temp folder of its own. The work
// window is counted, never run: these tests stop before it or check that it is not reached.
struct Fixture {
    Fixture() {
        state.type_raw = QStringLiteral("Canon");
        state.dossier_temp =
            kadrilo::platform::withTrailingSeparator(root.filePath(QStringLiteral("temp")));
        state.option_recursive = 7;
        QDir().mkpath(state.dossier_temp);
    }

    frm_directory &open() {
        window = std::make_unique<frm_directory>(state, [this]() -> frm_travail & {
            ++workWindowRequests;
            return work;
        });
        window->show();
        return *window;
    }
    QString image(const QString &name) const { return QDir(images).filePath(name); }

    QTemporaryDir root;
    QString images = root.filePath(QStringLiteral("images"));
    kadrilo::test::ScopedCurrentFolder current{(QDir().mkpath(images), images)};
    kadrilo::Module1 state;
    frm_travail work{state};
    int workWindowRequests = 0;
    std::unique_ptr<frm_directory> window;
};

// The lines of a word-wrapped label as it lays them out at its width.
QStringList laidOutLines(const QLabel &label) {
    QTextDocument document;
    document.setDefaultFont(label.font());
    document.setDocumentMargin(0);
    if (Qt::mightBeRichText(label.text()))
        document.setHtml(label.text());
    else
        document.setPlainText(label.text());
    document.setTextWidth(label.contentsRect().width());
    QStringList lines;
    if (document.size().isEmpty()) // lays the text out
        return lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines << block.text()
                         .mid(line.textStart(), line.textLength())
                         .remove(u'\u2060') // word joiners, which the person does not see
                         .replace(u'\u00A0', u' ')
                         .trimmed();
        }
    }
    return lines;
}

} // namespace

class tst_frm_directory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileList_data();
    void fileList();
    void singleClickHighlightsDoubleClickOpens();
    void navigation_data();
    void navigation();
    void noDefaultButton();
    void input_data();
    void input();
    void drives();
    void lockedTagFilesStopTheCycle();
    void foldersNamedInLatin1_data();
    void foldersNamedInLatin1();
    void busyTempFolderBoxKeepsThePathWhole_data();
    void busyTempFolderBoxKeepsThePathWhole();
};

void tst_frm_directory::fileList_data() {
    QTest::addColumn<QString>("typeRaw");
    QTest::addColumn<QStringList>("expected");

    QTest::addRow("Canon lists raw files whatever their letter case")
        << QStringLiteral("Canon")
        << QStringList{QStringLiteral("IMG_1.CR2"), QStringLiteral("img_2.crw")};
    QTest::addRow("before any type every file is listed")
        << QString()
        << QStringList{QStringLiteral("IMG_1.CR2"), QStringLiteral("img_2.crw"),
                       QStringLiteral("IMG_3.jpg"), QStringLiteral("notes")};
}

void tst_frm_directory::fileList() {
    QFETCH(QString, typeRaw);
    QFETCH(QStringList, expected);

    kadrilo::test::FakePlatform fake;
    Fixture fixture;
    fixture.state.type_raw = typeRaw;
    for (const char *file :
         {"IMG_1.CR2", "img_2.crw", "IMG_3.jpg", "notes", "sub/IMG_4.cr2", ".IMG_5.cr2"})
        QVERIFY(touch(fixture.image(QLatin1String(file))));

    const frm_directory &window = fixture.open();
    QCOMPARE(window.currentFolder(), QDir::toNativeSeparators(fixture.images));
    QCOMPARE(listed(window), expected);
    QVERIFY(!window.findChild<QListWidget *>(QStringLiteral("File1"))->isEnabled());
}

void tst_frm_directory::singleClickHighlightsDoubleClickOpens() {
    kadrilo::test::FakePlatform fake;
    Fixture fixture;
    QVERIFY(touch(fixture.image(QStringLiteral("inner/IMG_1.CR2"))));
    frm_directory &window = fixture.open();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *tree = window.findChild<QTreeView *>(QStringLiteral("Dir1"));
    const QModelIndex item = kadrilo::test::waitForChild(*tree, QStringLiteral("inner"));
    QVERIFY(item.isValid());

    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(item).center());
    QCOMPARE(tree->currentIndex(), item);
    QCOMPARE(window.currentFolder(), QDir::toNativeSeparators(fixture.images));
    QCOMPARE(listed(window), QStringList());

    kadrilo::test::doubleClick(*tree, item);
    QCOMPARE(window.currentFolder(),
             QDir::toNativeSeparators(fixture.image(QStringLiteral("inner"))));
    QCOMPARE(listed(window), QStringList{QStringLiteral("IMG_1.CR2")});
}

void tst_frm_directory::navigation_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("drive");

    // Folders are named from a scratch folder holding two drives: "disk", with the drive
    // "disk/home" inside it as home lies inside "/", and "card", without sub-folders.
    // "drive:X" picks drive X in Drive1; any other step double-clicks that folder's row.
    // Rows on the way down are found through open rows only, so each step checks the tree.
    const auto row = [](const char *name, const char *steps, const char *folder,
                        const char *drive) {
        QTest::newRow(name) << QString::fromLatin1(steps).split(QLatin1Char(' '))
                            << QString::fromLatin1(folder) << QString::fromLatin1(drive);
    };
    row("down three levels and back up to the root row",
        "drive:disk disk/a disk/a/b disk/a/b/c disk", "disk", "disk");
    row("up one level through the way shown above", "drive:disk disk/a disk/a/b disk/a/b/c disk/a",
        "disk/a", "disk");
    row("a drive inside the chosen drive does not take the tree",
        "drive:disk disk/home disk/home/photos", "disk/home/photos", "disk");
    row("the inner drive's root is a row of its own", "drive:disk/home disk/home/photos disk/home",
        "disk/home", "disk/home");
    row("a drive without sub-folders shows its root row", "drive:card card", "card", "card");
    row("across drives the tree follows Drive1",
        "drive:disk disk/a drive:card drive:disk/home disk/home", "disk/home", "disk/home");
}

void tst_frm_directory::navigation() {
    QFETCH(QStringList, steps);
    QFETCH(QString, folder);
    QFETCH(QString, drive);

    kadrilo::test::FakePlatform fake;
    Fixture fixture;
    const QDir scratch(fixture.root.path());
    for (const char *sub : {"disk/a/b/c/d", "disk/home/photos", "card"})
        QVERIFY(scratch.mkpath(QLatin1String(sub)));
    frm_directory &window = fixture.open();
    auto *drives = window.findChild<QComboBox *>(QStringLiteral("Drive1"));
    auto *tree = window.findChild<QTreeView *>(QStringLiteral("Dir1"));
    for (const char *root : {"disk", "disk/home", "card"})
        drives->addItem(scratch.filePath(QLatin1String(root)),
                        scratch.filePath(QLatin1String(root)));

    // After every step the tree holds the way from Drive1's root down to the opened folder,
    // each folder on it open, and the opened folder current.
    const auto wayShown = [&](const QString &opened) {
        const QString root = drives->currentData().toString();
        QString path = opened;
        for (;; path = QFileInfo(path).path()) {
            const QModelIndex row = kadrilo::test::waitForFolder(*tree, path);
            if (!row.isValid() || !tree->isExpanded(row))
                return false;
            if (path == opened && tree->currentIndex() != row)
                return false;
            if (path == root)
                return tree->rootIndex() == row.parent();
            if (path.size() <= root.size())
                return false;
        }
    };
    QVERIFY(wayShown(fixture.images)); // the start folder under "/"

    for (const QString &step : steps) {
        if (step.startsWith(QLatin1String("drive:"))) {
            const int index = drives->findData(scratch.filePath(step.mid(6)));
            drives->setCurrentIndex(index);
            Q_EMIT drives->activated(index);
        } else {
            const QModelIndex row = kadrilo::test::waitForFolder(*tree, scratch.filePath(step));
            QVERIFY2(row.isValid(), qPrintable(step));
            kadrilo::test::doubleClick(*tree, row);
        }
        QVERIFY2(wayShown(QDir::fromNativeSeparators(window.currentFolder())), qPrintable(step));
    }
    QCOMPARE(window.currentFolder(), QDir::toNativeSeparators(scratch.filePath(folder)));
    QCOMPARE(drives->currentData().toString(), scratch.filePath(drive));
}

void tst_frm_directory::noDefaultButton() {
    kadrilo::test::FakePlatform fake;
    Fixture fixture;
    frm_directory &window = fixture.open();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *annuler = window.findChild<QPushButton *>(QStringLiteral("btc_annuler"));
    const auto defaults = [&] {
        int count = 0;
        for (const QPushButton *button : window.findChildren<QPushButton *>())
            count += button->isDefault() ? 1 : 0;
        return count;
    };
    QCOMPARE(defaults(), 0);
    // Nor once the focus has passed over a button and gone on.
    annuler->setFocus();
    window.findChild<QWidget *>(QStringLiteral("Dir1"))->setFocus();
    QCOMPARE(defaults(), 0);
}

void tst_frm_directory::input_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("staysOpen");
    QTest::addColumn<bool>("starts");

    const QString go = QStringLiteral("btc_scan"), annuler = QStringLiteral("btc_annuler");
    QTest::addRow("left button released over Go starts") << go << "left" << true << true;
    QTest::addRow("right button released over Go starts") << go << "right" << true << true;
    QTest::addRow("button released away from Go") << go << "away" << true << false;
    QTest::addRow("space bar on Go") << go << "space" << true << false;
    QTest::addRow("Enter on Go") << go << "return" << true << false;
    QTest::addRow("Escape leaves the window open") << go << "escape" << true << false;
    QTest::addRow("Enter in the tree") << "Dir1"
                                       << "return" << true << false;
    QTest::addRow("Enter on Annuler hides") << annuler << "return" << false << false;
    QTest::addRow("click on Annuler hides") << annuler << "left" << false << false;
}

void tst_frm_directory::input() {
    QFETCH(QString, focus);
    QFETCH(QString, input);
    QFETCH(bool, staysOpen);
    QFETCH(bool, starts);

    // An empty folder without sub-folders: a started cycle stops at its first check, with a
    // message, before anything runs.
    kadrilo::test::FakePlatform fake;
    Fixture fixture;
    frm_directory &window = fixture.open();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto *target = window.findChild<QWidget *>(focus);
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);

    const QPoint inside = target->rect().center();
    if (input == QLatin1String("left") || input == QLatin1String("right")) {
        QTest::mouseClick(target, input == QLatin1String("left") ? Qt::LeftButton : Qt::RightButton,
                          {}, inside);
    } else if (input == QLatin1String("away")) {
        QTest::mousePress(target, Qt::LeftButton, {}, inside);
        QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(-20, -20));
    } else {
        QTest::keyClick(target, input == QLatin1String("space")    ? Qt::Key_Space
                                : input == QLatin1String("escape") ? Qt::Key_Escape
                                                                   : Qt::Key_Return);
    }

    QCOMPARE(window.isVisible(), staysOpen);
    QCOMPARE(fixture.workWindowRequests, 0);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QCOMPARE(fake.messages.size(), starts ? 1 : 0);
    QCOMPARE(fixture.state.option_recursive, starts ? 0 : 7);
    if (starts)
        QCOMPARE(fake.messages.first().title, QStringLiteral("Le dossier est vide !"));
}

void tst_frm_directory::drives() {
    kadrilo::test::FakePlatform fake;
    Fixture fixture;
    QTemporaryDir card;
    QVERIFY(touch(QDir(card.path()).filePath(QStringLiteral("IMG_9.CR2"))));
    QVERIFY(touch(fixture.image(QStringLiteral("IMG_1.CR2"))));
    const frm_directory &window = fixture.open();
    auto *drives = window.findChild<QComboBox *>(QStringLiteral("Drive1"));
    const int start = drives->currentIndex();
    const QString missing = fixture.root.filePath(QStringLiteral("disconnected"));
    drives->addItem(card.path(), card.path());
    drives->addItem(missing, missing);
    const auto choose = [&](int index) {
        drives->setCurrentIndex(index);
        Q_EMIT drives->activated(index);
    };

    // An unreadable drive: a message, and the previous drive stays.
    drives->setFocus();
    QTest::keyClick(drives, Qt::Key_End);
    QCOMPARE(fake.messages.size(), 1);
    QVERIFY(fake.messages.first().text.contains(missing));
    QCOMPARE(fake.messages.first().title, QStringLiteral("Lecteur inaccessible"));
    QCOMPARE(drives->currentIndex(), start);
    QCOMPARE(window.currentFolder(), QDir::toNativeSeparators(fixture.images));

    // Each drive keeps the folder opened there before.
    choose(drives->count() - 2);
    QCOMPARE(window.currentFolder(), QDir::toNativeSeparators(card.path()));
    QCOMPARE(listed(window), QStringList{QStringLiteral("IMG_9.CR2")});
    choose(start);
    QCOMPARE(window.currentFolder(), QDir::toNativeSeparators(fixture.images));
    QCOMPARE(listed(window), QStringList{QStringLiteral("IMG_1.CR2")});
    QCOMPARE(fake.messages.size(), 1);
    QVERIFY(window.isVisible());
}

namespace {

class LockedTagFiles : public kadrilo::test::FakePlatform {
public:
    QStringList removeFiles(const QString &, const QString &) override {
        return {QStringLiteral("IMG_0001.txt")};
    }
};

} // namespace

void tst_frm_directory::lockedTagFilesStopTheCycle() {
    LockedTagFiles fake;
    Fixture fixture;
    QVERIFY(kadrilo::test::writeCr2(fixture.image(QStringLiteral("IMG_1.CR2")), {}));
    QVERIFY(touch(fixture.state.dossier_temp + QStringLiteral("IMG_0001.txt")));
    const frm_directory &window = fixture.open();
    kadrilo::test::clickButton(window, "btc_scan");

    QCOMPARE(fake.messages.size(), 1);
    QVERIFY(fake.messages.first().text.contains(QStringLiteral("IMG_0001.txt")));
    QCOMPARE(fixture.workWindowRequests, 0);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(window.isVisible());
}

// Folder names from old disks, in Latin-1: Qt reads "ph\xE9" as "ph\uFFFD", a path that opens
// nothing. The window reaches such a folder by its bytes, or says why it cannot.
void tst_frm_directory::foldersNamedInLatin1_data() {
    QTest::addColumn<QByteArray>("folder"); // its bytes, under the fixture's root; holds an image
    QTest::addColumn<QByteArray>("twin");   // another folder that Qt reads alike, or empty
    QTest::addColumn<bool>("startedThere"); // else opened in the tree
    QTest::addColumn<QString>("told");      // the message on "Go !", or the folder's name as shown
    QTest::addRow("started in it")
        << QByteArray("ph\xE9") << QByteArray() << true << QStringLiteral("ph\\xE9");
    QTest::addRow("opened in the tree")
        << QByteArray("ph\xE9") << QByteArray() << false << QStringLiteral("ph\\xE9");
    QTest::addRow("a sub-folder of one") << QByteArray("d\xE9j\xE0/2010") << QByteArray() << false
                                         << QStringLiteral("d\\xE9j\\xE0/2010");
    QTest::addRow("two that Qt reads alike")
        << QByteArray("ph\xE9") << QByteArray("ph\xE8") << false
        << QStringLiteral("%1/ph\\xE8\r\n%1/ph\\xE9\r\nKadrilo ne peut pas savoir lequel "
                          "analyser.");
}

void tst_frm_directory::foldersNamedInLatin1() {
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, twin);
    QFETCH(bool, startedThere);
    QFETCH(QString, told);
    kadrilo::test::FakePlatform fake;
    Fixture fixture;
    // QTemporaryDir cannot remove what Qt cannot name; rm can.
    const auto removeAll = qScopeGuard([&] {
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), fixture.root.path()});
    });
    const QByteArray root = QFile::encodeName(fixture.root.path());
    // Made by their bytes; the image is written under a name Qt can spell, then moved there.
    QByteArray path = root;
    for (const QByteArray &name : folder.split('/')) {
        path += '/' + name;
        QCOMPARE(::mkdir(path.constData(), 0700), 0);
    }
    QVERIFY(kadrilo::test::writeCr2(fixture.root.filePath(QStringLiteral("IMG_1.CR2")), {}));
    QCOMPARE(std::rename((root + "/IMG_1.CR2").constData(), (path + "/IMG_1.CR2").constData()), 0);
    if (!twin.isEmpty())
        QCOMPARE(::mkdir((root + '/' + twin).constData(), 0700), 0);
    const QString asQtReadsIt = QFile::decodeName(root + '/' + folder);
    if (startedThere)
        QCOMPARE(::chdir((root + '/' + folder).constData()), 0);

    frm_directory &window = fixture.open();
    if (!startedThere)
        window.setDirPath(asQtReadsIt);
    if (twin.isEmpty()) {
        QCOMPARE(listed(window), QStringList{QStringLiteral("IMG_1.CR2")});
        QVERIFY(
            QFileInfo(QDir(window.currentFolder()).filePath(QStringLiteral("IMG_1.CR2"))).isFile());
        QCOMPARE(window.shownFolder(), fixture.root.path() + u'/' + told);
        QCOMPARE(fake.messages.size(), 0);
        return;
    }
    QCOMPARE(listed(window), QStringList());
    kadrilo::test::clickButton(window, "btc_scan");
    QCOMPARE(fake.messages.size(), 1);
    QCOMPARE(fake.messages.first().title, QStringLiteral("Nom de dossier illisible"));
    QVERIFY2(fake.messages.first().text.contains(told.arg(fixture.root.path())),
             qPrintable(fake.messages.first().text));
    QCOMPARE(fixture.workWindowRequests, 0);
}

void tst_frm_directory::busyTempFolderBoxKeepsThePathWhole_data() {
    QTest::addColumn<QString>("temp"); // under the fixture's root
    QTest::addColumn<bool>("oneLine");
    QTest::addRow("slashes and hyphens")
        << QStringLiteral("programmes-photo/kadrilo-0.1.10-Linux/dossier-temporaire") << true;
    QTest::addRow("blanks") << QStringLiteral("Mes programmes/Kadrilo portable/dossier temporaire")
                            << true;
    QTest::addRow("wider than the screen: wraps, every character kept")
        << QStringLiteral("programmes-photo/").repeated(12) + QStringLiteral("temp") << false;
}

// The real message box, as the person sees it when another Kadrilo holds the temp folder: the
// folder stays whole on a line of its own, and no word breaks at its hyphen.
void tst_frm_directory::busyTempFolderBoxKeepsThePathWhole() {
    QFETCH(QString, temp);
    QFETCH(bool, oneLine);
    kadrilo::test::FakePlatform fake;
    kadrilo::platform::MessageBoxes real;
    const kadrilo::platform::Replacement<kadrilo::platform::MessageBoxes> shownForReal(real);
    Fixture fixture;
    fixture.state.dossier_temp =
        kadrilo::platform::withTrailingSeparator(fixture.root.filePath(temp));
    QVERIFY(QDir().mkpath(fixture.state.dossier_temp));
    QVERIFY(kadrilo::test::writeCr2(fixture.image(QStringLiteral("IMG_1.CR2")), {}));
    kadrilo::platform::FolderLock otherCycle(fixture.state.dossier_temp);
    QVERIFY(otherCycle.tryLock());
    const frm_directory &window = fixture.open();

    QStringList lines;
    QString text;
    int boxWidth = 0;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &poll, [&] {
        auto *box = kadrilo::test::activeModal<QMessageBox>();
        if (!box)
            return;
        const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        lines = laidOutLines(*label);
        text = box->text();
        boxWidth = box->width();
        box->accept();
    });
    poll.start(50);
    kadrilo::test::clickButton(window, "btc_scan");

    // The text copied from the box holds the path itself.
    QVERIFY2(QString(text).remove(u'\r').split(u'\n').contains(fixture.state.dossier_temp),
             qPrintable(text));
    QVERIFY(boxWidth <= QGuiApplication::primaryScreen()->availableGeometry().width());
    if (oneLine)
        QVERIFY2(lines.contains(fixture.state.dossier_temp), qPrintable(lines.join(u'|')));
    else
        QVERIFY2(lines.size() > 3 && lines.join(QString()).contains(fixture.state.dossier_temp),
                 qPrintable(lines.join(u'|')));
    QVERIFY2(lines.last().endsWith(QStringLiteral("celle-ci.")), qPrintable(lines.join(u'|')));
    QCOMPARE(fixture.workWindowRequests, 0);
}

QTEST_MAIN(tst_frm_directory)
#include "tst_frm_directory.moc"
