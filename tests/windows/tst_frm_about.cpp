#include "platform/registry.h"
#include "support/fake_platform.h"
#include "windows/frm_about.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using kadrilo::frmAbout;
using kadrilo::platform::MemoryRegistry;
using kadrilo::platform::ScopedRegistry;
namespace platform = kadrilo::platform;

namespace {

const QString msinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString locationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString unavailable =
    QStringLiteral("Les informations système ne sont pas disponibles actuellement");

bool makeExecutable(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("#!/bin/sh\nexit 0\n");
    file.close();
    return file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

// Sets PATH for the guard's lifetime, so that only the programs a test puts there are found.
class ScopedPath {
public:
    explicit ScopedPath(const QString &path)
        : m_saved(qgetenv("PATH")) {
        qputenv("PATH", QFile::encodeName(path));
    }
    ~ScopedPath() { qputenv("PATH", m_saved); }

private:
    QByteArray m_saved;
};

} // namespace

class tst_frm_about : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void textsAtLoad();
    void opensOnTheScreen();
    void getKeyValue_data();
    void getKeyValue();
    void startSysInfo_data();
    void startSysInfo();
    void keyboard_data();
    void keyboard();
};

void tst_frm_about::textsAtLoad() {
    kadrilo::test::FakePlatform fake;
    frmAbout about;
    QCOMPARE(about.windowTitle(), QStringLiteral("À propos de Kadrilo"));
    const auto text = [&](const char *name) {
        return about.findChild<QLabel *>(QLatin1String(name))->text();
    };
    QCOMPARE(text("lblVersion"), QStringLiteral("Version 0.1.10"));
    QCOMPARE(text("lblTitle"), QStringLiteral("Kadrilo"));
    QCOMPARE(text("lblDescription"), QStringLiteral("Le programme le plus inutile qui soit"));
    QCOMPARE(text("lblDisclaimer"), QStringLiteral(" "));
    auto *sysInfo = about.findChild<QPushButton *>(QStringLiteral("cmdSysInfo"));
    QCOMPARE(sysInfo->text(), QStringLiteral("&Infos système..."));
    QVERIFY(about.findChild<QPushButton *>(QStringLiteral("cmdOK"))->isDefault());
}

void tst_frm_about::opensOnTheScreen() {
    frmAbout about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    // The stored position lies beyond small screens: the window is pulled back onto it.
    const QRect screen = about.screen()->availableGeometry();
    QVERIFY2(screen.contains(about.geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                               .arg(about.x())
                                                               .arg(about.y())
                                                               .arg(about.width())
                                                               .arg(about.height())));
}

void tst_frm_about::getKeyValue_data() {
    QTest::addColumn<bool>("stored");
    QTest::addColumn<uint>("allowedAccess");
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("expectedResult");
    QTest::addColumn<QString>("expectedValue");

    const uint all = platform::keyAllAccess;
    const QString path = QStringLiteral("PATH");
    const QByteArray tool("C:\\WINDOWS\\msinfo32.exe");

    QTest::addRow("text stored with its terminating zero comes back without it")
        << true << all << path << uint(platform::regSz) << QByteArray(tool + '\0') << true
        << QString::fromLatin1(tool);
    QTest::addRow("text stored without terminating zero comes back whole")
        << true << all << path << uint(platform::regSz) << tool << true
        << QString::fromLatin1(tool);
    QTest::addRow("only one terminating zero is dropped")
        << true << all << path << uint(platform::regSz) << QByteArray("ab\0\0", 4) << true
        << QString::fromLatin1("ab\0", 3);
    QTest::addRow("empty text") << true << all << path << uint(platform::regSz)
                                << QByteArray(1, '\0') << true << QString();
    QTest::addRow("value name in another letter case")
        << true << all << QStringLiteral("path") << uint(platform::regSz) << tool << true
        << QString::fromLatin1(tool);
    QTest::addRow("dword reads most significant byte first")
        << true << all << path << uint(platform::regDword) << QByteArray("\x78\x56\x34\x12", 4)
        << true << QStringLiteral("&h12345678");
    QTest::addRow("dword with a zero top byte keeps its value")
        << true << all << path << uint(platform::regDword) << QByteArray("\x02\x01\x00\x00", 4)
        << true << QStringLiteral("&h000102");
    QTest::addRow("binary value leaves the value as passed in")
        << true << all << path << uint(platform::regBinary) << QByteArray("\x01\x02", 2) << true
        << QStringLiteral("avant");
    QTest::addRow("value that fills the buffer exactly")
        << true << all << path << uint(platform::regSz) << QByteArray(1024, 'x') << true
        << QString(1024, QLatin1Char('x'));
    QTest::addRow("value too large for the buffer") << true << all << path << uint(platform::regSz)
                                                    << QByteArray(1025, 'x') << false << QString();
    QTest::addRow("missing value") << true << all << QStringLiteral("OTHER")
                                   << uint(platform::regSz) << tool << false << QString();
    QTest::addRow("missing key") << false << all << path << uint(platform::regSz) << tool << false
                                 << QString();
    QTest::addRow("key that refuses full access")
        << true << uint(platform::keyRead) << path << uint(platform::regSz) << tool << false
        << QString();
}

void tst_frm_about::getKeyValue() {
    QFETCH(bool, stored);
    QFETCH(uint, allowedAccess);
    QFETCH(QString, storedName);
    QFETCH(uint, type);
    QFETCH(QByteArray, data);
    QFETCH(bool, expectedResult);
    QFETCH(QString, expectedValue);

    MemoryRegistry registry;
    ScopedRegistry installed(registry);
    if (stored) {
        registry.setValue(platform::hkeyLocalMachine, msinfoKey, storedName, type, data);
        registry.restrictKey(platform::hkeyLocalMachine, msinfoKey, allowedAccess);
    }

    QString value = QStringLiteral("avant");
    const bool result = frmAbout::GetKeyValue(platform::hkeyLocalMachine, msinfoKey.toLower(),
                                              QStringLiteral("PATH"), value);
    QCOMPARE(result, expectedResult);
    QCOMPARE(value, expectedValue);
    QCOMPARE(registry.openKeyCount(), 0);
}

void tst_frm_about::startSysInfo_data() {
    QTest::addColumn<QString>("pathValue");     // "" = absent
    QTest::addColumn<QString>("locationValue"); // "" = absent; $DIR = a real folder
    QTest::addColumn<bool>("msinfoInFolder");
    QTest::addColumn<QStringList>("installedTools");
    QTest::addColumn<bool>("startSucceeds");
    QTest::addColumn<QString>("expectedStart"); // $DIR, $BIN = the folders of the test
    QTest::addColumn<bool>("expectMessage");

    const QString path = QStringLiteral("C:\\Program Files\\msinfo32.exe");
    QTest::addRow("PATH value starts the tool without looking for it")
        << path << QString() << false << QStringList() << true << path << false;
    QTest::addRow("PATH value wins over Location")
        << path << QStringLiteral("$DIR") << true << QStringList() << true << path << false;
    QTest::addRow("Location folder holding MSINFO32.EXE starts it")
        << QString() << QStringLiteral("$DIR") << true << QStringList() << true
        << QStringLiteral("$DIR/MSINFO32.EXE") << false;
    QTest::addRow("Location folder without MSINFO32.EXE is unavailable")
        << QString() << QStringLiteral("$DIR") << false << QStringList() << true << QString()
        << true;
    QTest::addRow("nothing readable and no tool installed is unavailable")
        << QString() << QString() << false << QStringList() << true << QString() << true;
    QTest::addRow("nothing readable starts the desktop's tool")
        << QString() << QString() << false << QStringList{QStringLiteral("xfce4-taskmanager")}
        << true << QStringLiteral("$BIN/xfce4-taskmanager") << false;
    QTest::addRow("the first tool in order wins")
        << QString() << QString() << false
        << QStringList{QStringLiteral("hardinfo"), QStringLiteral("gnome-system-monitor")} << true
        << QStringLiteral("$BIN/gnome-system-monitor") << false;
    QTest::addRow("a named tool that fails to start is unavailable")
        << path << QString() << false << QStringList() << false << path << true;
    QTest::addRow("an installed tool that fails to start is unavailable")
        << QString() << QString() << false << QStringList{QStringLiteral("hardinfo")} << false
        << QStringLiteral("$BIN/hardinfo") << true;
}

void tst_frm_about::startSysInfo() {
    QFETCH(QString, pathValue);
    QFETCH(QString, locationValue);
    QFETCH(bool, msinfoInFolder);
    QFETCH(QStringList, installedTools);
    QFETCH(bool, startSucceeds);
    QFETCH(QString, expectedStart);
    QFETCH(bool, expectMessage);

    QTemporaryDir folder;
    QTemporaryDir bin;
    QVERIFY(folder.isValid() && bin.isValid());
    const auto expand = [&](QString text) {
        return text.replace(QStringLiteral("$DIR"), folder.path())
            .replace(QStringLiteral("$BIN"), bin.path());
    };
    for (const QString &tool : installedTools)
        QVERIFY(makeExecutable(bin.filePath(tool)));
    if (msinfoInFolder)
        QVERIFY(makeExecutable(folder.filePath(QStringLiteral("MSINFO32.EXE"))));
    ScopedPath onlyTestTools(bin.path());

    MemoryRegistry registry;
    ScopedRegistry installed(registry);
    if (!pathValue.isEmpty())
        registry.setText(platform::hkeyLocalMachine, msinfoKey, QStringLiteral("PATH"), pathValue);
    if (!locationValue.isEmpty())
        registry.setText(platform::hkeyLocalMachine, locationKey, QStringLiteral("MSINFO"),
                         expand(locationValue));

    kadrilo::test::FakePlatform fake;
    fake.detachedStartSucceeds = startSucceeds;
    frmAbout about;
    about.show();
    QTest::mouseClick(about.findChild<QPushButton *>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);

    if (expectedStart.isEmpty()) {
        QVERIFY(fake.detachedStarts.isEmpty());
    } else {
        QCOMPARE(fake.detachedStarts.size(), 1);
        QCOMPARE(fake.detachedStarts.first().program, expand(expectedStart));
    }
    QCOMPARE(fake.messages.size(), expectMessage ? 1 : 0);
    if (expectMessage) {
        QCOMPARE(fake.messages.first().text, unavailable);
        QCOMPARE(fake.messages.first().title, QStringLiteral("Kadrilo"));
        QCOMPARE(fake.messages.first().icon, platform::MessageIcon::None);
    }
    // Starting the tool leaves the window open.
    QVERIFY(about.isVisible());
    QCOMPARE(registry.openKeyCount(), 0);
}

void tst_frm_about::keyboard_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("startsTool");

    const int none = Qt::NoModifier;
    QTest::addRow("Escape on OK closes") << "cmdOK" << int(Qt::Key_Escape) << none << true << false;
    QTest::addRow("Escape on Infos système closes")
        << "cmdSysInfo" << int(Qt::Key_Escape) << none << true << false;
    QTest::addRow("Enter on OK closes") << "cmdOK" << int(Qt::Key_Return) << none << true << false;
    QTest::addRow("keypad Enter on OK closes")
        << "cmdOK" << int(Qt::Key_Enter) << none << true << false;
    QTest::addRow("Enter on Infos système starts the tool")
        << "cmdSysInfo" << int(Qt::Key_Return) << none << false << true;
    QTest::addRow("Alt+I starts the tool")
        << "cmdOK" << int(Qt::Key_I) << int(Qt::AltModifier) << false << true;
}

void tst_frm_about::keyboard() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, closes);
    QFETCH(bool, startsTool);

    MemoryRegistry registry;
    ScopedRegistry installed(registry);
    registry.setText(platform::hkeyLocalMachine, msinfoKey, QStringLiteral("PATH"),
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
    // An access key presses its button for a moment before it acts.
    QTest::qWait(250);
    QCOMPARE(about.isVisible(), !closes);
    QCOMPARE(fake.detachedStarts.size(), startsTool ? 1 : 0);
}

QTEST_MAIN(tst_frm_about)
#include "tst_frm_about.moc"
