#include "platform/platform.h"
#include "platform/window_system.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using kadrilo::platform::WindowSystem;

Q_DECLARE_METATYPE(WindowSystem)

namespace {

// A socket of this test: a Unix one at `path`, or a TCP one on a free port of 127.0.0.1 (its
// number put in `port`). Without `listen`, it is bound but takes no connection.
int listeningSocket(const QByteArray &path, bool listen, int *port = nullptr) {
    const int socket = ::socket(path.isEmpty() ? AF_INET : AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (path.isEmpty()) {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(socket, reinterpret_cast<sockaddr *>(&address), size);
        ::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &size);
        *port = ntohs(address.sin_port);
    } else {
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        ::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address);
    }
    if (listen)
        ::listen(socket, 1);
    return socket;
}

} // namespace

class TestWindowSystem : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void finds_a_window_system_data() {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("platform");
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<QByteArrayList>("listening"); // socket paths, or "host:port"
        QTest::addColumn<WindowSystem>("expected");
        const QByteArrayList x0{"/tmp/.X11-unix/X0"};
        const QByteArrayList wayland0{"/run/user/1000/wayland-0"};
        QTest::addRow("nothing set: none") << QByteArray() << QByteArray() << QByteArray()
                                           << QByteArrayList() << x0 << WindowSystem::NoneNamed;
        QTest::addRow("empty variables count as unset")
            << QByteArray("") << QByteArray("") << QByteArray("") << QByteArrayList() << x0
            << WindowSystem::NoneNamed;
        QTest::addRow("an X server") << QByteArray(":0") << QByteArray() << QByteArray()
                                     << QByteArrayList() << x0 << WindowSystem::Open;
        QTest::addRow("a Wayland compositor")
            << QByteArray() << QByteArray("wayland-0") << QByteArray() << QByteArrayList()
            << wayland0 << WindowSystem::Open;
        QTest::addRow("a plugin chosen in the environment")
            << QByteArray() << QByteArray() << QByteArray("offscreen") << QByteArrayList()
            << QByteArrayList() << WindowSystem::Open;
        QTest::addRow("a plugin chosen on the command line")
            << QByteArray() << QByteArray() << QByteArray()
            << QByteArrayList{"-platform", "offscreen"} << QByteArrayList() << WindowSystem::Open;
        QTest::addRow("-platform without a name chooses nothing")
            << QByteArray() << QByteArray() << QByteArray() << QByteArrayList{"-platform"}
            << QByteArrayList() << WindowSystem::NoneNamed;
        QTest::addRow("DISPLAY set, no server there")
            << QByteArray(":55") << QByteArray() << QByteArray() << QByteArrayList() << x0
            << WindowSystem::NoneAnswers;
        QTest::addRow("X server on its abstract socket only")
            << QByteArray(":0") << QByteArray() << QByteArray() << QByteArrayList()
            << QByteArrayList{"@/tmp/.X11-unix/X0"} << WindowSystem::Open;
        QTest::addRow("forwarded X server over TCP")
            << QByteArray("localhost:10.0") << QByteArray() << QByteArray() << QByteArrayList()
            << QByteArrayList{"localhost:6010"} << WindowSystem::Open;
        QTest::addRow("unix: host and a screen number")
            << QByteArray("unix:3.1") << QByteArray() << QByteArray() << QByteArrayList()
            << QByteArrayList{"/tmp/.X11-unix/X3"} << WindowSystem::Open;
        QTest::addRow("IPv6 host in brackets")
            << QByteArray("[::1]:2") << QByteArray() << QByteArray() << QByteArrayList()
            << QByteArrayList{"::1:6002"} << WindowSystem::Open;
        QTest::addRow("dead X server, live Wayland compositor")
            << QByteArray(":55") << QByteArray("wayland-0") << QByteArray() << QByteArrayList()
            << wayland0 << WindowSystem::Open;
        QTest::addRow("Wayland name without a runtime folder")
            << QByteArray() << QByteArray("wayland-0") << QByteArray("") << QByteArrayList()
            << wayland0 << WindowSystem::NoneAnswers;
        QTest::addRow("dead server, plugin chosen by hand")
            << QByteArray(":55") << QByteArray() << QByteArray("offscreen") << QByteArrayList()
            << QByteArrayList() << WindowSystem::Open;
        QTest::addRow("DISPLAY of a form not understood: Qt tries it")
            << QByteArray("decnet::0") << QByteArray() << QByteArray() << QByteArrayList()
            << QByteArrayList() << WindowSystem::Open;
    }

    void finds_a_window_system() {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, platform);
        QFETCH(QByteArrayList, arguments);
        QFETCH(QByteArrayList, listening);
        QFETCH(WindowSystem, expected);
        // The runtime folder is missing only where the row names an empty platform.
        const QByteArray runtime = platform.isNull() ? QByteArray("/run/user/1000") : QByteArray();
        const auto answers = [&listening](const kadrilo::platform::ServerAddress &address) {
            return listening.contains(address.socketPath.isEmpty()
                                          ? address.host + ':' + QByteArray::number(address.port)
                                          : address.socketPath);
        };
        QCOMPARE(kadrilo::platform::findWindowSystem(
                     {display, wayland, platform, arguments, runtime}, answers),
                 expected);
    }

    // The probe itself, against sockets this test opens or leaves closed.
    void tells_whether_a_server_answers_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("expected");
        QTest::addRow("listening socket file") << QStringLiteral("unix listening") << true;
        QTest::addRow("socket file nobody listens on") << QStringLiteral("unix closed") << false;
        QTest::addRow("no file at all") << QStringLiteral("unix missing") << false;
        QTest::addRow("a plain file") << QStringLiteral("unix plain") << false;
        QTest::addRow("listening TCP port") << QStringLiteral("tcp listening") << true;
        QTest::addRow("closed TCP port") << QStringLiteral("tcp closed") << false;
        QTest::addRow("unknown host") << QStringLiteral("tcp unknown") << false;
    }

    void tells_whether_a_server_answers() {
        QFETCH(QString, kind);
        QFETCH(bool, expected);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        kadrilo::platform::ServerAddress address;
        address.socketPath = QFile::encodeName(folder.filePath(QStringLiteral("X9")));
        const bool listen = kind.endsWith(QStringLiteral("listening"));
        int socket = -1;
        if (kind.startsWith(QStringLiteral("unix"))) {
            if (kind == QStringLiteral("unix plain"))
                QVERIFY(QFile(folder.filePath(QStringLiteral("X9"))).open(QIODevice::WriteOnly));
            if (kind == QStringLiteral("unix listening") || kind == QStringLiteral("unix closed"))
                socket = listeningSocket(address.socketPath, listen);
        } else {
            address.socketPath.clear();
            address.host = kind == QStringLiteral("tcp unknown") ? QByteArray("nohost.invalid")
                                                                 : QByteArray("127.0.0.1");
            if (kind != QStringLiteral("tcp unknown"))
                socket = listeningSocket({}, listen, &address.port);
        }
        QCOMPARE(kadrilo::platform::platform().acceptsConnections(address), expected);
        if (socket >= 0)
            ::close(socket);
    }

    // The program itself, started where no window can open: it says why and what to run
    // instead, from where it was started, rather than abort inside Qt.
    void kadrilo_without_display_says_what_to_run_data() {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("why");
        QTest::addRow("nothing set") << QString() << QStringLiteral("aucune n'est ouverte");
        // A display number with no socket of this machine's X servers.
        int free = 4242;
        while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(free)))
            ++free;
        QTest::addRow("DISPLAY names no server")
            << QStringLiteral(":%1").arg(free)
            << QStringLiteral("aucune ne répond (DISPLAY=:%1)").arg(free);
    }

    void kadrilo_without_display_says_what_to_run() {
        QFETCH(QString, display);
        QFETCH(QString, why);
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        QProcess kadrilo;
        kadrilo.setProcessEnvironment(environment);
        kadrilo.start(QStringLiteral(KADRILO_PATH), QStringList());
        QVERIFY(kadrilo.waitForFinished(30000));
        QCOMPARE(kadrilo.exitStatus(), QProcess::NormalExit);
        QCOMPARE(kadrilo.exitCode(), 1);
        const QString message = QString::fromUtf8(kadrilo.readAllStandardError());
        QVERIFY2(message.contains(QStringLiteral("session graphique, et ") + why) &&
                     message.contains(QStringLiteral("xvfb-run -a " KADRILO_PATH "\n")) &&
                     message.contains(QStringLiteral("paquet Debian xvfb")) &&
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
