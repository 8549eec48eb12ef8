// Renders the statistics window, filled with a realistic run, into
// $KADRILO_RENDER_DIR/stats-<tab>[-<lenses>].png, to be looked at by a person.
#include "sample_run.h"

#include "run/module1.h"
#include "stats/frm_stats.h"

#include <QDir>
#include <QTabWidget>
#include <QtTest>

using namespace kadrilo;

class RenderStats : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("KADRILO_RENDER_DIR"))
            QSKIP("KADRILO_RENDER_DIR is not set: nothing to render");
        QVERIFY(QDir().mkpath(qEnvironmentVariable("KADRILO_RENDER_DIR")));
    }

    void render_data() {
        QTest::addColumn<int>("lenses");
        QTest::addColumn<QString>("suffix");
        QTest::addRow("every tab with fourteen lenses") << 14 << QString();
        QTest::addRow("lens tab with thirty lenses") << 30 << QStringLiteral("-30");
        QTest::addRow("lens tab without a lens") << 0 << QStringLiteral("-0");
    }

    void render() {
        QFETCH(int, lenses);
        QFETCH(QString, suffix);
        Module1 state;
        frm_stats window(state);
        test::publish(test::realisticRun(lenses), state, window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTabWidget *tabs = window.tabs();
        for (int tab = suffix.isEmpty() ? 0 : 4; tab < (suffix.isEmpty() ? tabs->count() : 5);
             ++tab) {
            tabs->setCurrentIndex(tab);
            QString name = tabs->tabText(tab);
            name.replace(QLatin1Char(' '), QString()).replace(QLatin1Char('/'), QLatin1Char('-'));
            const QString file = QDir(qEnvironmentVariable("KADRILO_RENDER_DIR"))
                                     .filePath(QStringLiteral("stats-%1%2.png").arg(name, suffix));
            QVERIFY2(window.grab().save(file), qPrintable(file));
        }
    }
};

QTEST_MAIN(RenderStats)
#include "render_stats.moc"
