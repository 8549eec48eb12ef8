#include "platform/registry.h"
#include "support/fake_platform.h"
#include "support/fake_program.h"
#include "support/window_helpers.h"
#include "windows/frm_about.h"

#include <QFile>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using kadrilo::frmAbout;
using kadrilo::platform::MemoryRegistry;
namespace platform = kadrilo::platform;

namespace {
const QString msinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString locationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
} // namespace

class tst_frm_about : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensOnTheScreen();
    void hasNoIcon();
    void getKeyValue_data();
    void getKeyValue();
    void startSysInfo_data();
    void startSysInfo();
    void keyboard_data();
    void keyboard();
};

void tst_frm_about::opensOnTheScreen() {
    frmAbout about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    // The stored position lies beyond small screens: the window is pulled back onto it.
    QVERIFY(about.screen()->availableGeometry().contains(about.geometry()));
}

void tst_frm_about::hasNoIcon() {
    // Its icon draws nothing: neither its parent's nor the program's reaches the title bar.
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    QWidget parent;
    parent.setWindowIcon(QIcon(picture));
    frmAbout about(&parent);
    const QImage icon = about.windowIcon().pixmap(16, 16).toImage();
    QVERIFY(!icon.isNull());
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            QCOMPARE(qAlpha(icon.pixel(x, y)), 0);
}

void tst_frm_about::getKeyValue_data() {
    QTest::addColumn<QString>("storedName"); // empty: the key does not exist
    QTest::addColumn<QVariant>("data");
    QTest::addColumn<QString>("value"); // null: not found

    const QString path = QStringLiteral("PATH");
    const QString tool = QStringLiteral("C:\\WINDOWS\\msinfo32.exe");
    QTest::addRow("text comes back as stored") << path << QVariant(tool) << tool;
    QTest::addRow("dword as eight hexadecimal digits")
        << path << QVariant(0x12345678) << QStringLiteral("&h12345678");
    QTest::addRow("dword keeps its leading zeros")
        << path << QVariant(0xABCDE) << QStringLiteral("&h000ABCDE");
    QTest::addRow("dword with its top bit set, read by Qt as a negative number")
        << path << QVariant(int(0x80000001u)) << QStringLiteral("&h80000001");
    QTest::addRow("binary value leaves the value as passed in")
        << path << QVariant(QByteArray("\x01\x02", 2)) << QStringLiteral("avant");
    QTest::addRow("missing value") << QStringLiteral("OTHER") << QVariant(tool) << QString();
    QTest::addRow("missing key") << QString() << QVariant(tool) << QString();
}

void tst_frm_about::getKeyValue() {
    QFETCH(QString, storedName);
    QFETCH(QVariant, data);
    QFETCH(QString, value);

    MemoryRegistry registry;
    const platform::Replacement<platform::Registry> installed(registry);
    if (!storedName.isEmpty())
        registry.setValue(platform::hkeyLocalMachine, msinfoKey, storedName, data);
    QString read = QStringLiteral("avant");
    QCOMPARE(frmAbout::GetKeyValue(platform::hkeyLocalMachine, msinfoKey.toLower(),
                                   QStringLiteral("PATH"), read),
             !value.isNull());
    QCOMPARE(read, value);
}

void tst_frm_about::startSysInfo_data() {
    QTest::addColumn<QString>("pathValue");     // "" = absent
    QTest::addColumn<QString>("locationValue"); // "" = absent; $DIR = a real folder
    QTest::addColumn<bool>("msinfoInFolder");
    QTest::addColumn<QStringList>("installedTools");
    QTest::addColumn<bool>("startSucceeds");
    // $DIR, $BIN = the test's folders; "" = none. Nothing started or a failed start says so.
    QTest::addColumn<QString>("expectedStart");

    const QString path = QStringLiteral("C:\\Program Files\\msinfo32.exe"),
                  dir = QStringLiteral("$DIR");
    QTest::addRow("PATH value starts the tool without looking for it")
        << path << QString() << false << QStringList() << true << path;
    QTest::addRow("Location folder holding MSINFO32.EXE starts it")
        << QString() << dir << true << QStringList() << true << QStringLiteral("$DIR/MSINFO32.EXE");
    QTest::addRow("Location folder without MSINFO32.EXE is unavailable")
        << QString() << dir << false << QStringList() << true << QString();
    QTest::addRow("nothing readable and no tool installed is unavailable")
        << QString() << QString() << false << QStringList() << true << QString();
    QTest::addRow("nothing readable starts the first installed tool in order")
        << QString() << QString() << false
        << QStringList{QStringLiteral("hardinfo"), QStringLiteral("gnome-system-monitor")} << true
        << QStringLiteral("$BIN/gnome-system-monitor");
    QTest::addRow("a named tool that fails to start is unavailable")
        << path << QString() << false << QStringList() << false << path;
}

void tst_frm_about::startSysInfo() {
    QFETCH(QString, pathValue);
    QFETCH(QString, locationValue);
    QFETCH(bool, msinfoInFolder);
    QFETCH(QStringList, installedTools);
    QFETCH(bool, startSucceeds);
    QFETCH(QString, expectedStart);

    QTemporaryDir folder, bin;
    QVERIFY(folder.isValid() && bin.isValid());
    const auto expand = [&](QString text) {
        return text.replace(QStringLiteral("$DIR"), folder.path())
            .replace(QStringLiteral("$BIN"), bin.path());
    };
    for (const QString &tool : installedTools)
        QVERIFY(kadrilo::test::writeFakeProgram(bin.filePath(tool)));
    if (msinfoInFolder)
        QVERIFY(kadrilo::test::writeFakeProgram(folder.filePath(QStringLiteral("MSINFO32.EXE"))));
    // Only the programs the test installs are found.
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    const auto restorePath = qScopeGuard([&] { qputenv("PATH", savedPath); });

    MemoryRegistry registry;
    const platform::Replacement<platform::Registry> installed(registry);
    if (!pathValue.isEmpty())
        registry.setValue(platform::hkeyLocalMachine, msinfoKey, QStringLiteral("PATH"), pathValue);
    if (!locationValue.isEmpty())
        registry.setValue(platform::hkeyLocalMachine, locationKey, QStringLiteral("MSINFO"),
                          expand(locationValue));

    kadrilo::test::FakePlatform fake;
    fake.detachedStartSucceeds = startSucceeds;
    frmAbout about;
    about.show();
    kadrilo::test::clickButton(about, "cmdSysInfo");

    QCOMPARE(fake.detachedStarts.size(), expectedStart.isEmpty() ? 0 : 1);
    if (!expectedStart.isEmpty())
        QCOMPARE(fake.detachedStarts.first().program, expand(expectedStart));
    const bool unavailable = expectedStart.isEmpty() || !startSucceeds;
    QCOMPARE(fake.messages.size(), unavailable ? 1 : 0);
    if (unavailable) {
        const auto &message = fake.messages.first();
        QCOMPARE(message.text,
                 QStringLiteral("Les informations système ne sont pas disponibles actuellement"));
        QCOMPARE(message.title, QStringLiteral("Kadrilo"));
        QCOMPARE(message.icon, platform::MessageIcon::None);
    }
    QVERIFY(about.isVisible()); // starting the tool leaves the window open
}

void tst_frm_about::keyboard_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("closes");

    const int none = Qt::NoModifier;
    QTest::addRow("Escape closes") << "cmdSysInfo" << int(Qt::Key_Escape) << none << true;
    QTest::addRow("Enter on OK closes") << "cmdOK" << int(Qt::Key_Return) << none << true;
    QTest::addRow("Enter on Infos système starts the tool")
        << "cmdSysInfo" << int(Qt::Key_Return) << none << false;
    QTest::addRow("Alt+I starts the tool")
        << "cmdOK" << int(Qt::Key_I) << int(Qt::AltModifier) << false;
}

void tst_frm_about::keyboard() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, closes);

    MemoryRegistry registry;
    const platform::Replacement<platform::Registry> installed(registry);
    registry.setValue(platform::hkeyLocalMachine, msinfoKey, QStringLiteral("PATH"),
                      QStringLiteral("msinfo32.exe"));
    kadrilo::test::FakePlatform fake;
    frmAbout about;
    about.show();
    about.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    auto *target = about.findChild<QPushButton *>(focus);
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);

    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTest::qWait(250); // an access key presses its button for a moment before it acts
    QCOMPARE(about.isVisible(), !closes);
    QCOMPARE(fake.detachedStarts.size(), closes ? 0 : 1);
}

QTEST_MAIN(tst_frm_about)
#include "tst_frm_about.moc"
