#include "platform/platform.h"
#include "platform/window_system.h"
#include "run/exiftool_run.h"
#include "run/module1.h"
#include "run/process.h"
#include "run/termination.h"
#include "windows/frm_main.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[]) {
    // Without a window system Qt aborts with a message about its plugins that sends people
    // reinstalling; say instead what the program needs and what runs without a display.
    if (!kadrilo::platform::canOpenWindows(argc, argv)) {
        std::fputs("kadrilo : Kadrilo a besoin d'une session graphique, et aucune n'est ouverte "
                   "(ni DISPLAY, ni WAYLAND_DISPLAY, ni QT_QPA_PLATFORM).\n"
                   "  Sans écran, lancez-le sous un serveur X virtuel : xvfb-run -a kadrilo\n"
                   "  Pour les statistiques dans un terminal, sans fenêtre : kadrilo-rapport "
                   "DOSSIER (voir kadrilo-rapport --help)\n",
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
