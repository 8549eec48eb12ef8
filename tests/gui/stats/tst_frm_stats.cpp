#include "sample_run.h"

#include "analysis/analyse.h"
#include "platform/geometry.h"
#include "platform/platform.h"
#include "run/module1.h"
#include "stats/frm_stats.h"
#include "stats/lens_legend.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QValueAxis>
#include <QtTest>

#include <map>

using namespace kadrilo;

Q_DECLARE_METATYPE(kadrilo::Chart)

namespace {

const Chart allCharts[] = {Chart::Iso, Chart::Aperture, Chart::Drive, Chart::Autofocus,
                           Chart::Lens};

QBarCategoryAxis *categoryAxis(QChart *chart) {
    const auto axes = chart->axes(Qt::Horizontal);
    return axes.isEmpty() ? nullptr : qobject_cast<QBarCategoryAxis *>(axes.first());
}

QValueAxis *valueAxis(QChart *chart) {
    const auto axes = chart->axes(Qt::Vertical);
    return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis *>(axes.first());
}

QList<QBarSet *> barSets(QChart *chart) {
    const auto series = chart->series();
    auto *bars = series.isEmpty() ? nullptr : qobject_cast<QBarSeries *>(series.first());
    return bars ? bars->barSets() : QList<QBarSet *>{};
}

// Everything the chart set-up decides, as text, to compare two set-ups.
QStringList setupSnapshot(const frm_stats &window) {
    QStringList snapshot;
    for (Chart chart : allCharts) {
        QChart *c = window.chart(chart);
        const QValueAxis *values = valueAxis(c);
        snapshot << c->title() << c->titleFont().toString() << c->titleBrush().color().name()
                 << QStringLiteral("%1..%2/%3/%4")
                        .arg(values->min())
                        .arg(values->max())
                        .arg(values->tickCount())
                        .arg(values->minorTickCount())
                 << categoryAxis(c)->categories().join(QLatin1Char('|'));
        for (const QBarSet *set : barSets(c))
            snapshot << set->label();
    }
    for (int band = 1; band <= 8; ++band)
        snapshot << window.label(QStringLiteral("Label4"), band)->text();
    return snapshot;
}

// Results whose chart `chart` draws `table`: its classes hold the table's percentages.
StatisticsResults resultsDrawing(Chart chart, const ChartTable &table) {
    StatisticsResults results;
    const auto fill = [&table](auto &classes) {
        for (std::size_t row = 0; row < classes.size(); ++row)
            classes[row].percent = table.value(int(row)).value(0);
    };
    switch (chart) {
    case Chart::Iso:
        fill(results.iso);
        break;
    case Chart::Autofocus:
        fill(results.autofocus);
        break;
    case Chart::Drive:
        fill(results.drive);
        break;
    case Chart::Aperture:
        fill(results.aperture);
        break;
    case Chart::Lens:
        for (int percent : table.first()) {
            LensResult lens;
            lens.percent = percent;
            results.lenses.append(lens);
        }
        break;
    }
    return results;
}

// A statistics window over its own state; `analyse` runs the real analysis over tag files.
struct Shown {
    Module1 state;
    frm_stats window;
    QString text(const char *array, int element) const {
        return window.label(QString::fromLatin1(array), element)->text();
    }
    void useLenses(int count) { test::publish(test::realisticRun(count), state, window); }
    bool analyse(const std::map<QString, QByteArray> &files) {
        QTemporaryDir temp;
        for (const auto &[name, content] : files) {
            QFile file(temp.filePath(name));
            if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
                return false;
        }
        state.type_raw = QStringLiteral("Canon");
        state.dossier_temp = platform::withTrailingSeparator(temp.path());
        analyse_exif(state, QStringLiteral("/photos"), window);
        window.show();
        return temp.isValid();
    }
};

} // namespace

class TstFrmStats : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowShapeAndCaptions() {
        Shown s;
        QCOMPARE(s.window.windowTitle(), QStringLiteral("Affichage des statistiques"));
        const QSize client = platform::twipsRect(0, 0, 16065, 11685).size();
        QCOMPARE(s.window.minimumSize(), client);
        QCOMPARE(s.window.maximumSize(), client);
        s.window.show();
        QVERIFY(!s.window.button(QStringLiteral("btc_sauvegarde"))->isEnabled());
        // Captions whose blanks are uneven, checked whole; "H " has no colon.
        QStringList apertures;
        for (int element = 4; element <= 27; ++element)
            apertures << s.text("Label10", element);
        QCOMPARE(apertures.join(QLatin1Char('|')),
                 QStringLiteral("F/1.2  :|F/1.4  :|F/1.6  :|F/1.8  :|F/2    :|F/2.2 :|F/2.5 :|"
                                "F/2.8 :|F/3.2  :|F/3.5  :|F/4     :|F/4.5  :|F/5    :|F/5.6 :|"
                                "F/6.3 :|F/7.1 :|F/8    :|F/9    :|F/10  :|F/11   :|F/13  :|"
                                "F/14  :|F/16  :|F/22  :"));
        QCOMPARE(s.text("Label8", 1), QStringLiteral("Mode rafale          :"));
        QCOMPARE(s.text("Label4", 8), QStringLiteral("H "));
        s.window.setupCharts();
        const QStringList rows = categoryAxis(s.window.chart(Chart::Aperture))->categories();
        QCOMPARE(rows.size(), 24);
        QCOMPARE(rows.at(7), QStringLiteral("F2.8")); // the one row without a slash
        QCOMPARE(rows.at(23), QStringLiteral("F/22"));
    }

    void resultsAndSummariesLandInTheirSlots() {
        Shown s;
        StatisticsResults results;
        const auto caption = [](int n) {
            return QStringLiteral(" %1 photos, soit %1%").arg(n);
        };
        const auto fill = [&caption](auto &classes, int base) {
            for (std::size_t k = 0; k < classes.size(); ++k)
                classes[k].caption = caption(base + int(k) + 1);
        };
        fill(results.iso, 0);
        fill(results.autofocus, 10);
        fill(results.drive, 20);
        fill(results.aperture, 30);
        results.fileCountLine = QStringLiteral("un");
        results.rawTypeLine = QStringLiteral("deux");
        results.folderLine = QStringLiteral("trois");
        const QString driveNote = s.text("Label9", 0);
        s.window.showResults(results);

        const std::pair<const char *, int> arrays[] = {
            {"Label5", 8}, {"Label7", 4}, {"Label9", 2}, {"Label11", 24}};
        for (int a = 0; a < 4; ++a) {
            const auto &[name, count] = arrays[a];
            for (int element = 1; element <= count; ++element)
                QCOMPARE(s.text(name, element), caption(element + 10 * a));
        }
        // Element 0 is never a result: the drive note stays.
        QCOMPARE(s.text("Label9", 0), driveNote);
        QCOMPARE(s.text("Label1", 0) + s.text("Label2", 0) + s.text("Label3", 0),
                 QStringLiteral("undeuxtrois"));
    }

    void chartValuesLandInTheirBars_data() {
        QTest::addColumn<Chart>("chart");
        QTest::addColumn<ChartTable>("table");
        QTest::addRow("iso, one value per band")
            << Chart::Iso << ChartTable{{44}, {19}, {14}, {10}, {5}, {3}, {1}, {0}};
        QTest::addRow("autofocus") << Chart::Autofocus << ChartTable{{70}, {24}, {3}, {1}};
        QTest::addRow("drive") << Chart::Drive << ChartTable{{100}, {64}};
        ChartTable apertures;
        for (int bucket = 1; bucket <= 24; ++bucket)
            apertures.append(QVector<int>{bucket * 4});
        QTest::addRow("aperture, all 24 rows") << Chart::Aperture << apertures;
        QTest::addRow("lens, one column per lens") << Chart::Lens << ChartTable{{33, 28, 0, 100}};
    }

    void chartValuesLandInTheirBars() {
        QFETCH(Chart, chart);
        QFETCH(ChartTable, table);
        Shown s;
        s.window.showResults(resultsDrawing(chart, table));
        s.window.setupCharts();

        QCOMPARE(s.window.chartData(chart), table);
        const auto sets = barSets(s.window.chart(chart));
        QCOMPARE(sets.size(), table.first().size());
        for (int column = 0; column < sets.size(); ++column) {
            QCOMPARE(sets.at(column)->count(), table.size());
            for (int row = 0; row < table.size(); ++row)
                QCOMPARE(sets.at(column)->at(row), qreal(table.at(row).at(column)));
        }
        QCOMPARE(categoryAxis(s.window.chart(chart))->count(), table.size());
    }

    // Every chart: title in bold 12-point black Arial, value axis 0..100 in ten steps without
    // minor ones, on its own tab. Two titles end in a blank.
    void titlesAndAxes() {
        Shown s;
        s.window.setupCharts();
        const std::pair<Chart, int> tabs[] = {{Chart::Iso, 0},
                                              {Chart::Aperture, 1},
                                              {Chart::Drive, 3},
                                              {Chart::Autofocus, 3},
                                              {Chart::Lens, 4}};
        for (const auto &[chart, tab] : tabs) {
            const QChart *c = s.window.chart(chart);
            QCOMPARE(c->titleFont().family(), QStringLiteral("arial"));
            QCOMPARE(c->titleFont().pointSize(), 12);
            QVERIFY(c->titleFont().bold());
            QCOMPARE(c->titleBrush().color(), QColor(Qt::black));
            const QValueAxis *axis = valueAxis(s.window.chart(chart));
            QCOMPARE(QStringLiteral("%1..%2/%3/%4")
                         .arg(axis->min())
                         .arg(axis->max())
                         .arg(axis->tickCount())
                         .arg(axis->minorTickCount()),
                     QStringLiteral("0..100/11/0"));
            QCOMPARE(s.window.chartView(chart)->chart(), c);
            QVERIFY(s.window.tabs()->widget(tab)->isAncestorOf(s.window.chartView(chart)));
        }
        QCOMPARE(s.window.chart(Chart::Iso)->title(),
                 QStringLiteral("Répartition des photos selon l'usage de la sensibilité ISO "));
        QCOMPARE(s.window.chart(Chart::Aperture)->title(),
                 QStringLiteral("Répartition des photos selon le Diaphragme utilisé "));
    }

    // A second set-up, or a second showing, changes nothing; a later run's lenses replace
    // the earlier ones.
    void setupTwiceGivesTheSameResult() {
        Shown s;
        s.useLenses(12);
        s.window.setupCharts();
        s.useLenses(5);
        s.window.setupCharts();
        const QStringList first = setupSnapshot(s.window);
        s.window.setupCharts();
        QCOMPARE(setupSnapshot(s.window), first);
        s.window.show();
        s.window.hide();
        s.window.show();
        QCOMPARE(setupSnapshot(s.window), first);
        QCOMPARE(barSets(s.window.chart(Chart::Lens)).size(), 5);
        QCOMPARE(s.window.lensLegend()->texts().size(), 5);
    }

    void lensLegend_data() {
        QTest::addColumn<int>("lenses");
        QTest::addRow("no lens gives an empty chart") << 0;
        QTest::addRow("thirty lenses, the maximum") << 30;
    }

    void lensLegend() {
        QFETCH(int, lenses);
        Shown s;
        s.useLenses(lenses);
        s.window.show();
        QChart *chart = s.window.chart(Chart::Lens);
        const LensLegend *legend = s.window.lensLegend();
        QCOMPARE(chart->title(), QStringLiteral("Objectifs utilisés"));
        QCOMPARE(valueAxis(chart)->max(), 100.0);
        QCOMPARE(legend->texts().size(), lenses);
        if (lenses == 0) {
            QVERIFY(chart->series().isEmpty());
            QCOMPARE(categoryAxis(chart)->categories(), QStringList{QString()});
            QVERIFY(legend->isHidden());
            return;
        }
        const auto sets = barSets(chart);
        QCOMPARE(sets.size(), lenses);
        for (int slot = 0; slot < lenses; ++slot) {
            const QString expected = s.state.objectifs.at(slot) + QLatin1Char(' ');
            QCOMPARE(legend->texts().at(slot), expected);
            QCOMPARE(sets.at(slot)->label(), expected);
            QVERIFY(!expected.endsWith(QStringLiteral("  ")));
        }
        // The whole legend lies inside the chart's box, beside the bars.
        QVERIFY(!legend->isHidden());
        QVERIFY(s.window.chartView(Chart::Lens)->rect().contains(legend->geometry()));
        QVERIFY(chart->plotArea().right() < legend->geometry().left());
    }

    void unavailableTabsHoldOnlyTheNotice() {
        Shown s;
        for (int tab : {2, 5}) { // "Vitesse", "Focales"
            QWidget *page = s.window.tabs()->widget(tab);
            QVERIFY(page->findChildren<QChartView *>().isEmpty());
            QStringList shown;
            for (const QLabel *label : page->findChildren<QLabel *>()) {
                if (!label->isHidden())
                    shown << label->text();
            }
            QCOMPARE(shown, QStringList{QStringLiteral("Non fonctionnel pour le moment !")});
        }
    }

    // Every label of a page fits its box and overlaps no other, with results as long as a
    // large run makes them.
    void noTextIsClippedNorOverlapping() {
        Shown s;
        const test::SampleRun run = test::realisticRun(14);
        test::publish(run, s.state, s.window);
        StatisticsResults results = computeResults(run.counts, s.state.type_raw, run.folder);
        const auto widest = [](auto &classes) {
            for (ClassResult &result : classes)
                result.caption = QStringLiteral(" 99999 photos, soit 100%");
        };
        widest(results.iso);
        widest(results.autofocus);
        widest(results.drive);
        widest(results.aperture);
        s.window.showResults(results);
        s.window.show();

        QList<QLabel *> shown;
        for (QLabel *label : s.window.findChildren<QLabel *>()) {
            if (!label->isHidden() && label->objectName().startsWith(QStringLiteral("Label")))
                shown << label;
        }
        QVERIFY(shown.size() > 80);
        for (const QLabel *label : shown) {
            const QRect needed = label->fontMetrics().boundingRect(
                label->contentsRect(), int(label->alignment()) | Qt::TextWordWrap, label->text());
            QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                     qPrintable(label->objectName() + QStringLiteral(" clips: ") + label->text()));
            const QRect box(label->mapTo(&s.window, QPoint()), label->size());
            QVERIFY2(s.window.rect().contains(box), qPrintable(label->objectName()));
            for (const QLabel *other : shown) {
                if (other == label || other->parentWidget() != label->parentWidget())
                    continue;
                QVERIFY2(!label->geometry().intersects(other->geometry()),
                         qPrintable(label->objectName() + QStringLiteral(" overlaps ") +
                                    other->objectName()));
            }
        }
    }

    // "Fermer " and the title bar's close both hide the window and end its showing.
    void closingEndsTheShowing() {
        for (bool byButton : {true, false}) {
            Shown s;
            QPushButton *fermer = s.window.button(QStringLiteral("btc_fermer"));
            QCOMPARE(fermer->text(), QStringLiteral("Fermer "));
            if (byButton)
                QTimer::singleShot(0, fermer, &QPushButton::click);
            else
                QTimer::singleShot(0, &s.window, &QWidget::close);
            s.window.exec();
            QVERIFY(!s.window.isVisible());
        }
    }

    // Escape leaves the window open; it is a tool window whose icon draws nothing.
    void escapeBorderAndIcon() {
        QPixmap picture(16, 16);
        picture.fill(Qt::red);
        QWidget parent;
        parent.setWindowIcon(QIcon(picture));
        frm_stats window(&parent);
        QCOMPARE(window.windowType(), Qt::Tool);
        const QImage icon = window.windowIcon().pixmap(16, 16).toImage();
        QVERIFY(!icon.isNull());
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                QCOMPARE(qAlpha(icon.pixel(x, y)), 0);
        QTimer::singleShot(0, &window, [&window] {
            QTest::keyClick(window.tabs(), Qt::Key_Escape);
            QTest::keyClick(&window, Qt::Key_Escape);
            QVERIFY(window.isVisible());
            window.close();
        });
        window.exec();
    }

    // On a 1366 x 768 screen the window and its frame fit the screen, and every control can
    // be scrolled into view.
    void smallScreenKeepsEveryControlReachable() {
        const auto screens = QGuiApplication::screens();
        const auto laptop = std::find_if(screens.cbegin(), screens.cend(), [](QScreen *screen) {
            return screen->name() == QLatin1String("portable");
        });
        if (laptop == screens.cend())
            QSKIP("no 1366 x 768 virtual screen (tests/support/screens.json)");
        Shown s;
        s.useLenses(3);
        s.window.setScreen(*laptop);
        s.window.move((*laptop)->geometry().topLeft());
        s.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        const QRect available = (*laptop)->availableGeometry();
        QVERIFY(available.contains(s.window.frameGeometry()));
        auto *scroll = s.window.findChild<QScrollArea *>();
        QVERIFY(scroll->widget()->height() > scroll->viewport()->height());
        for (QWidget *control :
             {static_cast<QWidget *>(s.window.button(QStringLiteral("btc_fermer"))),
              static_cast<QWidget *>(s.window.label(QStringLiteral("Label3"), 0)),
              static_cast<QWidget *>(s.window.tabs()->tabBar())}) {
            scroll->ensureWidgetVisible(control, 0, 0);
            const QRect box(control->mapTo(scroll->viewport(), QPoint()), control->size());
            QVERIFY2(scroll->viewport()->rect().contains(box), qPrintable(control->objectName()));
        }
    }

    // Value labels in the window's typeface; lenses whose share rounds to 0 % still mark
    // their place, so that thirty lenses spread over the plot's width.
    void lensBarsSpreadOverThePlot() {
        Shown s;
        s.useLenses(30);
        s.window.tabs()->setCurrentIndex(4);
        s.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&s.window));
        const auto sets = barSets(s.window.chart(Chart::Lens));
        QVERIFY(sets.last()->at(0) == 0);
        for (const QBarSet *set : sets)
            QCOMPARE(set->labelFont(), s.window.font());

        // Just above the baseline, the rightmost drawn colour lies in the plot's last tenth.
        QChartView *view = s.window.chartView(Chart::Lens);
        const QImage picture = view->grab().toImage();
        const QRectF plot =
            view->mapFromScene(s.window.chart(Chart::Lens)->plotArea()).boundingRect();
        const int y = int(plot.bottom()) - 2;
        int rightmost = 0;
        for (int x = int(plot.left()) + 2; x < int(plot.right()) - 2; ++x) {
            if (QColor(picture.pixel(x, y)).hsvSaturation() > 80)
                rightmost = x;
        }
        QVERIFY2(rightmost > plot.left() + plot.width() * 0.9,
                 qPrintable(QString::number(rightmost)));
    }

    // The real analysis over tag files as ExifTool writes them, shown by the window.
    void analysisOfTagFilesFillsTheWindow() {
        Shown s;
        QVERIFY(
            s.analyse({{QStringLiteral("a.txt"), "ISO: 100\nFNumber: 2.8\nFocusMode: One-shot AF\n"
                                                 "DriveMode: Single-frame Shooting\n"
                                                 "LensID: Canon EF 50mm f/1.8\n"},
                       {QStringLiteral("b.txt"), "ISO: 200\nFNumber: 2.8\nFocusMode: AI Servo AF\n"
                                                 "DriveMode: Continuous Shooting\n"
                                                 "LensID: Canon EF 16-35mm f/2.8L USM\n"},
                       {QStringLiteral("c.txt"), "ISO: 100\nFNumber: 8.0\nFocusMode: One-shot AF\n"
                                                 "DriveMode: Continuous Shooting\n"
                                                 "LensID: Canon EF 50mm f/1.8\n"}}));
        QCOMPARE(s.text("Label5", 1) + s.text("Label5", 2) + s.text("Label7", 1) +
                     s.text("Label9", 2) + s.text("Label11", 8) + s.text("Label11", 17),
                 QStringLiteral(" 2 photos, soit 66% 1 photos, soit 33% 2 photos, soit 66%"
                                " 2 photos, soit 66% 2 photos, soit 66% 1 photos, soit 33%"));
        QCOMPARE(s.text("Label1", 0), QStringLiteral("3 Fichiers RAW Analysés"));
        QCOMPARE(s.text("Label3", 0), QStringLiteral("Dossier d'analyse : /photos"));
        const auto bar = [&s](Chart chart, int set, int row) {
            return barSets(s.window.chart(chart)).value(set)->at(row);
        };
        QCOMPARE(barSets(s.window.chart(Chart::Lens)).size(), 2);
        QCOMPARE(
            (QList<qreal>{bar(Chart::Iso, 0, 0), bar(Chart::Aperture, 0, 7),
                          bar(Chart::Drive, 0, 1), bar(Chart::Lens, 0, 0), bar(Chart::Lens, 1, 0)}),
            (QList<qreal>{66, 66, 66, 66, 33}));
        QCOMPARE(s.window.lensLegend()->texts(),
                 (QStringList{QStringLiteral("Canon EF 50mm f/1.8 "),
                              QStringLiteral("Canon EF 16-35mm f/2.8L USM ")}));
    }
};

QTEST_MAIN(TstFrmStats)
#include "tst_frm_stats.moc"
