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

// A socket of this test, bound and, with `listen`, taking connections: a Unix one at `path`,
// or without a path a TCP one on a free port of 127.0.0.1, put in `port`.
int boundSocket(const QByteArray &path, bool listen, int &port) {
    const int socket = ::socket(path.isEmpty() ? AF_INET : AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in tcp = {AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    sockaddr_un local = {AF_UNIX, {}};
    std::memcpy(local.sun_path, path.constData(), size_t(path.size()));
    socklen_t size = path.isEmpty() ? sizeof tcp : sizeof local;
    sockaddr *address =
        path.isEmpty() ? reinterpret_cast<sockaddr *>(&tcp) : reinterpret_cast<sockaddr *>(&local);
    ::bind(socket, address, size);
    ::getsockname(socket, address, &size);
    port = ntohs(tcp.sin_port);
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
        const auto row = [](const char *name, const QByteArray &display, const QByteArray &wayland,
                            const QByteArray &platform, const QByteArrayList &arguments,
                            const QByteArrayList &listening, WindowSystem expected) {
            QTest::addRow("%s", name)
                << display << wayland << platform << arguments << listening << expected;
        };
        const QByteArrayList x0{"/tmp/.X11-unix/X0"}, wayland0{"/run/user/1000/wayland-0"};
        using W = WindowSystem;
        row("nothing set: none", {}, {}, {}, {}, x0, W::NoneNamed);
        row("empty variables count as unset", "", "", "", {}, x0, W::NoneNamed);
        row("an X server", ":0", {}, {}, {}, x0, W::Open);
        row("a Wayland compositor", {}, "wayland-0", {}, {}, wayland0, W::Open);
        row("a plugin chosen in the environment", {}, {}, "offscreen", {}, {}, W::Open);
        row("a plugin chosen on the command line", {}, {}, {}, {"-platform", "offscreen"}, {},
            W::Open);
        row("-platform without a name chooses nothing", {}, {}, {}, {"-platform"}, {},
            W::NoneNamed);
        row("DISPLAY set, no server there", ":55", {}, {}, {}, x0, W::NoneAnswers);
        row("X server on its abstract socket only", ":0", {}, {}, {}, {"@/tmp/.X11-unix/X0"},
            W::Open);
        row("forwarded X server over TCP", "localhost:10.0", {}, {}, {}, {"localhost:6010"},
            W::Open);
        row("unix: host and a screen number", "unix:3.1", {}, {}, {}, {"/tmp/.X11-unix/X3"},
            W::Open);
        row("IPv6 host in brackets", "[::1]:2", {}, {}, {}, {"::1:6002"}, W::Open);
        row("dead X server, live Wayland compositor", ":55", "wayland-0", {}, {}, wayland0,
            W::Open);
        // An empty (not unset) platform stands for a missing runtime folder.
        row("Wayland name without a runtime folder", {}, "wayland-0", "", {}, wayland0,
            W::NoneAnswers);
        row("dead server, plugin chosen by hand", ":55", {}, "offscreen", {}, {}, W::Open);
        row("DISPLAY of a form not understood: Qt tries it", "decnet::0", {}, {}, {}, {}, W::Open);
    }

    void finds_a_window_system() {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, platform);
        QFETCH(QByteArrayList, arguments);
        QFETCH(QByteArrayList, listening);
        QFETCH(WindowSystem, expected);
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
        QTest::addColumn<bool>("tcp");
        QTest::addColumn<int>("made"); // 0: nothing, 1: bound, 2: listening
        QTest::addColumn<bool>("expected");
        QTest::addRow("listening socket file") << false << 2 << true;
        QTest::addRow("socket file nobody listens on") << false << 1 << false;
        QTest::addRow("no file at all") << false << 0 << false;
        QTest::addRow("listening TCP port") << true << 2 << true;
        QTest::addRow("closed TCP port") << true << 1 << false;
    }

    void tells_whether_a_server_answers() {
        QFETCH(bool, tcp);
        QFETCH(int, made);
        QFETCH(bool, expected);
        QTemporaryDir folder;
        kadrilo::platform::ServerAddress address;
        if (tcp)
            address.host = "127.0.0.1";
        else
            address.socketPath = QFile::encodeName(folder.filePath(QStringLiteral("X9")));
        const int socket = made ? boundSocket(address.socketPath, made == 2, address.port) : -1;
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
