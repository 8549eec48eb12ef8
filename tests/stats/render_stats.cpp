// Renders every tab of the statistics window, filled with a realistic run, into
// $KADRILO_RENDER_DIR/stats-<tab>.png, to be looked at by a person.
#include "sample_run.h"

#include "run/module1.h"
#include "stats/frm_stats.h"

#include <QChartView>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <QtTest>

using namespace kadrilo;

class RenderStats : public QObject {
    Q_OBJECT

private:
    static QString renderDir() { return qEnvironmentVariable("KADRILO_RENDER_DIR"); }

    static void renderTabs(frm_stats &window, const QString &suffix) {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTabWidget *tabs = window.tabs();
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            QString name = tabs->tabText(tab);
            name.replace(QLatin1Char(' '), QString()).replace(QLatin1Char('/'), QLatin1Char('-'));
            const QString file =
                QDir(renderDir()).filePath(QStringLiteral("stats-%1%2.png").arg(name, suffix));
            QVERIFY2(window.grab().save(file), qPrintable(file));
        }
        window.hide();
    }

private Q_SLOTS:
    void initTestCase() {
        if (renderDir().isEmpty())
            QSKIP("KADRILO_RENDER_DIR is not set: nothing to render");
        QVERIFY(QDir().mkpath(renderDir()));
    }

    void sixTabsWithFourteenLenses() {
        Module1 state;
        frm_stats window(state);
        test::publish(test::realisticRun(14), state, window);
        renderTabs(window, QString());
    }

    void thirtyLenses() {
        Module1 state;
        frm_stats window(state);
        test::publish(test::realisticRun(30), state, window);
        window.show();
        window.tabs()->setCurrentIndex(4);
        QVERIFY(window.grab().save(
            QDir(renderDir()).filePath(QStringLiteral("stats-Objectifs-30.png"))));
    }

    void noLens() {
        Module1 state;
        frm_stats window(state);
        test::publish(test::realisticRun(0), state, window);
        window.show();
        window.tabs()->setCurrentIndex(4);
        QVERIFY(window.grab().save(
            QDir(renderDir()).filePath(QStringLiteral("stats-Objectifs-0.png"))));
    }
};

QTEST_MAIN(RenderStats)
#include "render_stats.moc"
