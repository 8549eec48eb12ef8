#include "platform/platform.h"
#include "run/frm_travail.h"
#include "run/module1.h"
#include "support/cr2_writer.h"
#include "support/fake_platform.h"
#include "window_helpers.h"
#include "windows/frm_directory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using kadrilo::frm_directory;
using kadrilo::frm_travail;
using kadrilo::Module1;
using kadrilo::test::ScopedCurrentFolder;
using kadrilo::test::waitForChild;

namespace {

bool touch(const QString &path) {
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

// A folder window opened on a fresh folder, with a temp folder of its own. The work window
// is counted, never run: these tests stop before it or check that it is not reached.
struct Fixture {
    Fixture()
        : images(root.filePath(QStringLiteral("images")))
        , current((QDir().mkpath(images), images)) {
        QDir().mkpath(root.filePath(QStringLiteral("temp")));
        state.type_raw = QStringLiteral("Canon");
        state.dossier_temp =
            kadrilo::platform::withTrailingSeparator(root.filePath(QStringLiteral("temp")));
        state.option_recursive = 7;
    }

    std::unique_ptr<frm_directory> open() {
        return std::make_unique<frm_directory>(
            state,
            [this]() -> frm_travail & {
                ++workWindowRequests;
                return work;
            },
            nullptr);
    }

    QTemporaryDir root;
    QString images;
    ScopedCurrentFolder current;
    Module1 state;
    frm_travail work{state};
    int workWindowRequests = 0;
};

} // namespace

class tst_frm_directory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileList_data();
    void fileList();
    void singleClickHighlightsDoubleClickOpens();
    void goStartsOnMouseReleaseOnly_data();
    void goStartsOnMouseReleaseOnly();
    void keysAndAnnuler_data();
    void keysAndAnnuler();
    void unreadableDriveKeepsThePreviousOne();
    void drivesKeepTheirFolder();
    void lockedTagFilesStopTheCycle();
    void offersTheRootFolder();
};

void tst_frm_directory::fileList_data() {
    QTest::addColumn<QString>("typeRaw");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("expected");

    const QStringList mixed{QStringLiteral("IMG_1.CR2"),     QStringLiteral("img_2.crw"),
                            QStringLiteral("IMG_3.jpg"),     QStringLiteral("notes"),
                            QStringLiteral("sub/IMG_4.cr2"), QStringLiteral(".IMG_5.cr2")};
    QTest::addRow("Canon lists raw files whatever their letter case")
        << QStringLiteral("Canon") << mixed
        << QStringList{QStringLiteral("IMG_1.CR2"), QStringLiteral("img_2.crw")};
    QTest::addRow("before any type every file is listed")
        << QString() << mixed
        << QStringList{QStringLiteral("IMG_1.CR2"), QStringLiteral("img_2.crw"),
                       QStringLiteral("IMG_3.jpg"), QStringLiteral("notes")};
    QTest::addRow("a folder without raw files lists nothing")
        << QStringLiteral("Canon") << QStringList{QStringLiteral("IMG_3.jpg")} << QStringList();
}

void tst_frm_directory::fileList() {
    QFETCH(QString, typeRaw);
    QFETCH(QStringList, files);
    QFETCH(QStringList, expected);

    kadrilo::test::FakePlatform fake;
    Fixture fixture;
    fixture.state.type_raw = typeRaw;
    for (const QString &file : files) {
        const QString path = QDir(fixture.images).filePath(file);
        QDir().mkpath(QFileInfo(path).path());
        QVERIFY(touch(path));
    }

    const auto window = fixture.open();
    QCOMPARE(window->windowTitle(), QStringLiteral("selectionner les fichiers à analyser..."));
    QCOMPARE(window->currentFolder(), QDir::toNativeSeparators(fixture.images));
    QCOMPARE(listed(*window), expected);
    QVERIFY(!window->findChild<QListWidget *>(QStringLiteral("File1"))->isEnabled());
}

void tst_frm_directory::singleClickHighlightsDoubleClickOpens() {
    kadrilo::test::FakePlatform fake;
    Fixture fixture;
    const QString inner = QDir(fixture.images).filePath(QStringLiteral("inner"));
    QDir().mkpath(inner);
    QVERIFY(touch(QDir(inner).filePath(QStringLiteral("IMG_1.CR2"))));

    const auto window = fixture.open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *tree = window->findChild<QTreeView *>(QStringLiteral("Dir1"));
    const QModelIndex item = waitForChild(*tree, QStringLiteral("inner"));
    QVERIFY(item.isValid());
    const QPoint centre = tree->visualRect(item).center();

    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(tree->currentIndex(), item);
    QCOMPARE(window->currentFolder(), QDir::toNativeSeparators(fixture.images));
    QCOMPARE(listed(*window), QStringList());

    kadrilo::test::doubleClick(*tree, item);
    QCOMPARE(window->currentFolder(), QDir::toNativeSeparators(inner));
    QCOMPARE(listed(*window), QStringList{QStringLiteral("IMG_1.CR2")});
}

void tst_frm_directory::goStartsOnMouseReleaseOnly_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("starts");

    QTest::addRow("left button released over Go") << QStringLiteral("left") << true;
    QTest::addRow("right button released over Go") << QStringLiteral("right") << true;
    QTest::addRow("middle button released over Go") << QStringLiteral("middle") << true;
    QTest::addRow("button released away from Go") << QStringLiteral("away") << false;
    QTest::addRow("space bar on Go") << QStringLiteral("space") << false;
    QTest::addRow("Return on Go") << QStringLiteral("return") << false;
    QTest::addRow("Enter on Go") << QStringLiteral("enter") << false;
}

void tst_frm_directory::goStartsOnMouseReleaseOnly() {
    QFETCH(QString, input);
    QFETCH(bool, starts);

    // An empty folder without sub-folders: a started cycle stops at its first check, with a
    // message, before anything runs.
    kadrilo::test::FakePlatform fake;
    Fixture fixture;
    const auto window = fixture.open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto *go = window->findChild<QPushButton *>(QStringLiteral("btc_scan"));
    QCOMPARE(go->text(), QStringLiteral("Go !"));
    go->setFocus();

    const QPoint inside = go->rect().center();
    if (input == QLatin1String("left"))
        QTest::mouseClick(go, Qt::LeftButton, {}, inside);
    else if (input == QLatin1String("right"))
        QTest::mouseClick(go, Qt::RightButton, {}, inside);
    else if (input == QLatin1String("middle"))
        QTest::mouseClick(go, Qt::MiddleButton, {}, inside);
    else if (input == QLatin1String("away")) {
        QTest::mousePress(go, Qt::LeftButton, {}, inside);
        QTest::mouseRelease(go, Qt::LeftButton, {}, QPoint(-20, -20));
    } else if (input == QLatin1String("space"))
        QTest::keyClick(go, Qt::Key_Space);
    else if (input == QLatin1String("return"))
        QTest::keyClick(go, Qt::Key_Return);
    else
        QTest::keyClick(go, Qt::Key_Enter);

    QVERIFY(window->isVisible());
    QCOMPARE(fixture.workWindowRequests, 0);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    if (!starts) {
        QVERIFY(fake.messages.isEmpty());
        QCOMPARE(fixture.state.option_recursive, 7);
        return;
    }
    QCOMPARE(fake.messages.size(), 1);
    QCOMPARE(fake.messages.first().text,
             QStringLiteral("Il n'y a aucun fichier Raw dans le dossier selectionné !"));
    QCOMPARE(fake.messages.first().title, QStringLiteral("Le dossier est vide !"));
    QCOMPARE(fake.messages.first().icon, kadrilo::platform::MessageIcon::Question);
    QCOMPARE(fixture.state.option_recursive, 0);
}

void tst_frm_directory::keysAndAnnuler_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("staysOpen");

    QTest::addRow("Escape on Go") << "btc_scan"
                                  << "escape" << true;
    QTest::addRow("Escape in the tree") << "Dir1"
                                        << "escape" << true;
    QTest::addRow("Enter in the tree") << "Dir1"
                                       << "return" << true;
    QTest::addRow("Enter on the check box") << "check_recursive"
                                            << "return" << true;
    QTest::addRow("Enter on Annuler hides") << "btc_annuler"
                                            << "return" << false;
    QTest::addRow("click on Annuler hides") << "btc_annuler"
                                            << "click" << false;
}

void tst_frm_directory::keysAndAnnuler() {
    QFETCH(QString, focus);
    QFETCH(QString, input);
    QFETCH(bool, staysOpen);

    kadrilo::test::FakePlatform fake;
    Fixture fixture;
    const auto window = fixture.open();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    auto *target = window->findChild<QWidget *>(focus);
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);

    if (input == QLatin1String("escape"))
        QTest::keyClick(target, Qt::Key_Escape);
    else if (input == QLatin1String("return"))
        QTest::keyClick(target, Qt::Key_Return);
    else
        QTest::mouseClick(target, Qt::LeftButton);

    QCOMPARE(window->isVisible(), staysOpen);
    // None of these starts a cycle.
    QVERIFY(fake.messages.isEmpty());
    QCOMPARE(fixture.state.option_recursive, 7);
}

void tst_frm_directory::unreadableDriveKeepsThePreviousOne() {
    kadrilo::test::FakePlatform fake;
    Fixture fixture;
    const auto window = fixture.open();
    window->show();
    auto *drives = window->findChild<QComboBox *>(QStringLiteral("Drive1"));
    const int before = drives->currentIndex();
    const QString missing = fixture.root.filePath(QStringLiteral("disconnected"));
    drives->addItem(missing, missing);

    drives->setFocus();
    QTest::keyClick(drives, Qt::Key_End);

    QCOMPARE(fake.messages.size(), 1);
    QVERIFY(fake.messages.first().text.contains(missing));
    QCOMPARE(fake.messages.first().title, QStringLiteral("Lecteur inaccessible"));
    QCOMPARE(drives->currentIndex(), before);
    QCOMPARE(window->currentFolder(), QDir::toNativeSeparators(fixture.images));
    QVERIFY(window->isVisible());
}

void tst_frm_directory::drivesKeepTheirFolder() {
    kadrilo::test::FakePlatform fake;
    Fixture fixture;
    QTemporaryDir card;
    QVERIFY(touch(QDir(card.path()).filePath(QStringLiteral("IMG_9.CR2"))));
    QVERIFY(touch(QDir(fixture.images).filePath(QStringLiteral("IMG_1.CR2"))));

    const auto window = fixture.open();
    window->show();
    auto *drives = window->findChild<QComboBox *>(QStringLiteral("Drive1"));
    const int start = drives->currentIndex();
    drives->addItem(card.path(), card.path());
    drives->setFocus();

    QTest::keyClick(drives, Qt::Key_End);
    QCOMPARE(window->currentFolder(), QDir::toNativeSeparators(card.path()));
    QCOMPARE(listed(*window), QStringList{QStringLiteral("IMG_9.CR2")});

    // Back on the first drive: the folder opened there before.
    drives->setCurrentIndex(start);
    Q_EMIT drives->activated(start);
    QCOMPARE(window->currentFolder(), QDir::toNativeSeparators(fixture.images));
    QCOMPARE(listed(*window), QStringList{QStringLiteral("IMG_1.CR2")});
    QVERIFY(fake.messages.isEmpty());
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
    QVERIFY(
        kadrilo::test::writeCr2(QDir(fixture.images).filePath(QStringLiteral("IMG_1.CR2")), {}));
    QVERIFY(touch(fixture.state.dossier_temp + QStringLiteral("IMG_0001.txt")));

    const auto window = fixture.open();
    window->show();
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("btc_scan")), Qt::LeftButton);

    QCOMPARE(fake.messages.size(), 1);
    QVERIFY(fake.messages.first().text.contains(QStringLiteral("IMG_0001.txt")));
    QCOMPARE(fixture.workWindowRequests, 0);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(window->isVisible());
}

void tst_frm_directory::offersTheRootFolder() {
    const QStringList roots = frm_directory::browsableRoots();
    QVERIFY(!roots.isEmpty());
#ifndef Q_OS_WIN
    QCOMPARE(roots.first(), QStringLiteral("/"));
    QCOMPARE(roots.count(QStringLiteral("/")), 1);
#endif
    for (const QString &root : roots)
        QVERIFY2(QFileInfo(root).isDir(), qPrintable(root));
}

QTEST_MAIN(tst_frm_directory)
#include "tst_frm_directory.moc"
