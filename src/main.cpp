#include "run/module1.h"
#include "windows/frm_main.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kadrilo/kadrilo.png")));

    kadrilo::Module1 state;
    kadrilo::frm_main window(state);
    if (!window.load())
        return EXIT_FAILURE;
    window.show();
    return app.exec();
}
