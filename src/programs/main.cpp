#include "platform/platform.h"
#include "platform/window_system.h"
#include "run/exiftool_run.h"
#include "run/module1.h"
#include "run/process.h"
#include "run/startup.h"
#include "run/termination.h"
#include "windows/frm_main.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[]) {
    // Without a window system, or with one named that does not answer, Qt aborts with a
    // message about its plugins that sends people reinstalling; say instead what the program
    // needs and what runs without a display.
    const kadrilo::platform::WindowSystem found =
        kadrilo::platform::windowSystemOfThisProcess(argc, argv);
    if (found != kadrilo::platform::WindowSystem::Open) {
        kadrilo::platform::WindowSystemHints hints;
        hints.display = qgetenv("DISPLAY");
        hints.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
        std::fputs(
            kadrilo::noWindowSystemText(argc > 0 ? QByteArray(argv[0]) : QByteArray(), found, hints)
                .toUtf8()
                .constData(),
            stderr);
        return EXIT_FAILURE;
    }

    // Before Qt starts its threads: whatever ExifTool leaves running ends with the program.
    kadrilo::platform::startGuard();
    QApplication app(argc, argv);
    // Qt's own buttons and menus speak French too ("Montrer les détails...").
    kadrilo::platform::installQtFrench();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kadrilo/kadrilo.png")));

    kadrilo::Module1 state;
    kadrilo::frm_main window(state);
    if (!window.load())
        return EXIT_FAILURE;
    window.show();

    // SIGTERM, SIGINT or SIGHUP end the program as a cancel would: ExifTool is stopped, then
    // every window's event loop returns and the windows close in order.
    kadrilo::platform::TerminationWatch termination;
    QObject::connect(&termination, &kadrilo::platform::TerminationWatch::requested, &app,
                     [](int signal) {
                         kadrilo::ExiftoolRun::cancelAll();
                         QCoreApplication::exit(128 + signal);
                     });
    return app.exec();
}
