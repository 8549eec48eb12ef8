// Renders the statistics window, filled with a realistic run, into FOLDER as
// stats-<tab>.png (fourteen lenses) and stats-Objectifs-30.png / -0.png, for a person to
// look at:  render_stats FOLDER
#include "sample_run.h"

#include "run/module1.h"
#include "stats/frm_stats.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[]) {
    // By default offscreen, on a screen that holds the window at its design size.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", KADRILO_TEST_PLATFORM);
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("usage: render_stats FOLDER\n", stderr);
        return EXIT_FAILURE;
    }
    const QDir folder(arguments.at(1));
    if (!QDir().mkpath(folder.path()))
        return EXIT_FAILURE;

    // Every tab with fourteen lenses, then the lens tab with thirty lenses and with none.
    const struct {
        int lenses;
        const char *suffix;
    } renders[] = {{14, ""}, {30, "-30"}, {0, "-0"}};
    for (const auto &render : renders) {
        kadrilo::Module1 state;
        kadrilo::frm_stats window;
        kadrilo::test::publish(kadrilo::test::realisticRun(render.lenses), state, window);
        window.show();
        QApplication::processEvents();
        QTabWidget *tabs = window.tabs();
        const bool everyTab = render.lenses == 14;
        for (int tab = everyTab ? 0 : 4; tab < (everyTab ? tabs->count() : 5); ++tab) {
            tabs->setCurrentIndex(tab);
            QString name = tabs->tabText(tab);
            name.replace(QLatin1Char(' '), QString()).replace(QLatin1Char('/'), QLatin1Char('-'));
            const QString file = folder.filePath(
                QStringLiteral("stats-%1%2.png").arg(name, QLatin1String(render.suffix)));
            if (!window.grab().save(file)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                return EXIT_FAILURE;
            }
            std::printf("%s\n", qPrintable(file));
        }
    }
    return EXIT_SUCCESS;
}
