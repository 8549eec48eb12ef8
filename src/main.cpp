#include "platform/process.h"
#include "platform/termination.h"
#include "run/exiftool_run.h"
#include "run/module1.h"
#include "windows/frm_main.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char *argv[]) {
    // Before Qt starts its threads: whatever ExifTool leaves running ends with the program.
    kadrilo::platform::startGuard();
    QApplication app(argc, argv);
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
