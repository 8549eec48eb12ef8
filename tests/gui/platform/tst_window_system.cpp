#include "platform/platform.h"
#include "platform/window_system.h"

#include <QProcess>
#include <QTest>

using kadrilo::platform::WindowSystemHints;

class TestWindowSystem : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void finds_a_window_system_data() {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("platform");
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<bool>("expected");
        QTest::addRow("nothing set: none")
            << QByteArray() << QByteArray() << QByteArray() << QByteArrayList() << false;
        QTest::addRow("empty variables count as unset")
            << QByteArray("") << QByteArray("") << QByteArray("") << QByteArrayList() << false;
        QTest::addRow("an X server")
            << QByteArray(":0") << QByteArray() << QByteArray() << QByteArrayList() << true;
        QTest::addRow("a Wayland compositor")
            << QByteArray() << QByteArray("wayland-0") << QByteArray() << QByteArrayList() << true;
        QTest::addRow("a plugin chosen in the environment")
            << QByteArray() << QByteArray() << QByteArray("offscreen") << QByteArrayList() << true;
        QTest::addRow("a plugin chosen on the command line")
            << QByteArray() << QByteArray() << QByteArray()
            << QByteArrayList{"-platform", "offscreen"} << true;
        QTest::addRow("-platform without a name chooses nothing")
            << QByteArray() << QByteArray() << QByteArray() << QByteArrayList{"-platform"} << false;
    }

    void finds_a_window_system() {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, platform);
        QFETCH(QByteArrayList, arguments);
        QFETCH(bool, expected);
        QCOMPARE(kadrilo::platform::hasWindowSystem({display, wayland, platform, arguments}),
                 expected);
    }

    // The program itself, started where no window can open: it says why and what to run
    // instead, rather than abort inside Qt.
    void kadrilo_without_display_says_what_to_run() {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        QProcess kadrilo;
        kadrilo.setProcessEnvironment(environment);
        kadrilo.start(QStringLiteral(KADRILO_PATH), QStringList());
        QVERIFY(kadrilo.waitForFinished(30000));
        QCOMPARE(kadrilo.exitStatus(), QProcess::NormalExit);
        QCOMPARE(kadrilo.exitCode(), 1);
        const QString message = QString::fromUtf8(kadrilo.readAllStandardError());
        QVERIFY2(message.contains(QStringLiteral("session graphique")) &&
                     message.contains(QStringLiteral("xvfb-run -a kadrilo")) &&
                     message.contains(QStringLiteral("kadrilo-rapport")),
                 qPrintable(message));
        QCOMPARE(kadrilo.readAllStandardOutput(), QByteArray());
    }

    // A message box's details button, a scroll bar's menu: Qt's own texts are French too.
    void qtSpeaksFrench() {
        QVERIFY(kadrilo::platform::installQtFrench());
        QCOMPARE(QCoreApplication::translate("QMessageBox", "Show Details..."),
                 QStringLiteral("Montrer les détails..."));
    }
};

QTEST_GUILESS_MAIN(TestWindowSystem)
#include "tst_window_system.moc"
