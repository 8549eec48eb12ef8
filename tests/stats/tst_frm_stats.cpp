#include "sample_run.h"

#include "analysis/analyse.h"
#include "platform/geometry.h"
#include "platform/platform.h"
#include "run/module1.h"
#include "stats/chart_labels.h"
#include "stats/frm_stats.h"
#include "stats/lens_legend.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QValueAxis>
#include <QtTest>

using namespace kadrilo;

Q_DECLARE_METATYPE(kadrilo::Chart)
Q_DECLARE_METATYPE(kadrilo::ResultArray)

namespace {

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
    if (series.isEmpty())
        return {};
    auto *bars = qobject_cast<QBarSeries *>(series.first());
    return bars ? bars->barSets() : QList<QBarSet *>{};
}

// Everything the chart set-up decides, as text, to compare two set-ups.
QStringList setupSnapshot(const frm_stats &window) {
    QStringList snapshot;
    for (Chart chart : {Chart::Iso, Chart::Aperture, Chart::Drive, Chart::Autofocus, Chart::Lens}) {
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

void useLenses(Module1 &state, frm_stats &window, int count) {
    test::publish(test::realisticRun(count), state, window);
}

} // namespace

class TstFrmStats : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowIsAFixedDialog() {
        Module1 state;
        frm_stats window(state);
        QCOMPARE(window.windowTitle(), QStringLiteral("Affichage des statistiques"));
        const QSize client = platform::twipsRect(0, 0, 16065, 11685).size();
        QCOMPARE(window.minimumSize(), client);
        QCOMPARE(window.maximumSize(), client);
        const Qt::WindowFlags flags = window.windowFlags();
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(flags & Qt::MSWindowsFixedSizeDialogHint);
    }

    void tabsInOrderIsoFirst() {
        Module1 state;
        frm_stats window(state);
        const QStringList expected = {
            QStringLiteral("ISO"),       QStringLiteral("Diaphragme"),
            QStringLiteral("Vitesse"),   QStringLiteral("motorisation / AF"),
            QStringLiteral("Objectifs"), QStringLiteral("Focales")};
        QTabWidget *tabs = window.tabs();
        QCOMPARE(tabs->objectName(), QStringLiteral("SSTab1"));
        QCOMPARE(tabs->count(), expected.size());
        for (int tab = 0; tab < tabs->count(); ++tab)
            QCOMPARE(tabs->tabText(tab), expected.at(tab));
        QCOMPARE(tabs->currentIndex(), 0);
    }

    void fixedCaptions_data() {
        QTest::addColumn<QString>("array");
        QTest::addColumn<int>("element");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<qreal>("points");

        const auto row = [](const char *name, const char *array, int element, const char *text,
                            bool bold, qreal points) {
            QTest::addRow("%s", name) << QString::fromLatin1(array) << element
                                      << QString::fromUtf8(text) << bold << points;
        };
        row("first aperture has two blanks", "Label10", 4, "F/1.2  :", true, 8.25);
        row("f/2.2 has one blank", "Label10", 9, "F/2.2 :", true, 8.25);
        row("f/2.8 caption keeps its slash", "Label10", 11, "F/2.8 :", true, 8.25);
        row("f/4 has five blanks", "Label10", 14, "F/4     :", true, 8.25);
        row("last aperture is f/22", "Label10", 27, "F/22  :", true, 8.25);
        row("single frame drive", "Label8", 0, "Mode vue par vue :", true, 8.25);
        row("continuous drive has ten blanks", "Label8", 1, "Mode rafale          :", true, 8.25);
        row("self-timer note", "Label9", 0,
            "Nota : Le resultat peut ne pas être égal à 100% car les prises de vue avec le "
            "retardateur ne sont pas prises en compte.",
            false, 8.25);
        row("af one-shot", "Label6", 1, "AF One-shot    :", true, 8.25);
        row("manual focus", "Label6", 3, "MAP Manuelle :", true, 8.25);
        row("speed notice", "Label10", 1, "Non fonctionnel pour le moment !", true, 24);
        row("iso result before the analysis", "Label5", 1, "Label5", false, 8.25);
        row("aperture result before the analysis", "Label11", 24, "Label11", false, 8.25);
        row("folder line", "Label3", 0, "Label3", false, 9.75);
    }

    void fixedCaptions() {
        QFETCH(QString, array);
        QFETCH(int, element);
        QFETCH(QString, text);
        QFETCH(bool, bold);
        QFETCH(qreal, points);

        Module1 state;
        frm_stats window(state);
        const QLabel *label = window.label(array, element);
        QVERIFY(label);
        QCOMPARE(label->text(), text);
        QCOMPARE(label->font().bold(), bold);
        QCOMPARE(label->font().pointSizeF(), points);
        QVERIFY(!label->isHidden());
    }

    void resultsLandInTheirSlots_data() {
        QTest::addColumn<ResultArray>("array");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("count");
        QTest::addRow("iso bands") << ResultArray::Label5 << QStringLiteral("Label5") << 8;
        QTest::addRow("autofocus modes") << ResultArray::Label7 << QStringLiteral("Label7") << 4;
        QTest::addRow("drive modes") << ResultArray::Label9 << QStringLiteral("Label9") << 2;
        QTest::addRow("apertures") << ResultArray::Label11 << QStringLiteral("Label11") << 24;
    }

    void resultsLandInTheirSlots() {
        QFETCH(ResultArray, array);
        QFETCH(QString, name);
        QFETCH(int, count);

        Module1 state;
        frm_stats window(state);
        for (int element = 1; element <= count; ++element)
            window.setResult(array, element, QStringLiteral(" %1 photos, soit %1%").arg(element));
        for (int element = 1; element <= count; ++element)
            QCOMPARE(window.label(name, element)->text(),
                     QStringLiteral(" %1 photos, soit %1%").arg(element));
        // Element 0 is never a result: the drive note in particular stays.
        window.setResult(array, 0, QStringLiteral("x"));
        QVERIFY(window.label(name, 0)->text() != QStringLiteral("x"));
        window.setResult(array, count + 1, QStringLiteral("x"));
    }

    void summaryLines() {
        Module1 state;
        frm_stats window(state);
        const std::pair<SummaryLine, const char *> lines[] = {{SummaryLine::Label1, "Label1"},
                                                              {SummaryLine::Label2, "Label2"},
                                                              {SummaryLine::Label3, "Label3"}};
        for (const auto &[line, name] : lines)
            window.setSummary(line, QString::fromLatin1(name) + QStringLiteral(" écrit"));
        for (const auto &[line, name] : lines)
            QCOMPARE(window.label(QString::fromLatin1(name), 0)->text(),
                     QString::fromLatin1(name) + QStringLiteral(" écrit"));
    }

    void chartValuesLandInTheirBars_data() {
        QTest::addColumn<Chart>("chart");
        QTest::addColumn<ChartTable>("table");
        QTest::addRow("iso, one value per band")
            << Chart::Iso << ChartTable{{44}, {19}, {14}, {10}, {5}, {3}, {1}, {0}};
        QTest::addRow("autofocus") << Chart::Autofocus << ChartTable{{70}, {24}, {3}, {1}};
        QTest::addRow("drive") << Chart::Drive << ChartTable{{74}, {23}};
        ChartTable apertures;
        for (int bucket = 1; bucket <= 24; ++bucket)
            apertures.append(QVector<int>{bucket * 4});
        QTest::addRow("aperture, all 24 rows") << Chart::Aperture << apertures;
        QTest::addRow("lens, one column per lens") << Chart::Lens << ChartTable{{33, 28, 0, 100}};
        QTest::addRow("a full chart stays on the fixed scale")
            << Chart::Drive << ChartTable{{100}, {100}};
    }

    void chartValuesLandInTheirBars() {
        QFETCH(Chart, chart);
        QFETCH(ChartTable, table);

        Module1 state;
        frm_stats window(state);
        if (chart == Chart::Lens)
            window.setColumnCount(chart, table.first().size());
        window.setChartData(chart, table);
        window.setupCharts();

        QCOMPARE(window.chartData(chart), table);
        const auto sets = barSets(window.chart(chart));
        QCOMPARE(sets.size(), table.first().size());
        for (int column = 0; column < sets.size(); ++column) {
            QCOMPARE(sets.at(column)->count(), table.size());
            for (int row = 0; row < table.size(); ++row)
                QCOMPARE(sets.at(column)->at(row), qreal(table.at(row).at(column)));
        }
        QCOMPARE(categoryAxis(window.chart(chart))->count(), table.size());
        const QValueAxis *values = valueAxis(window.chart(chart));
        QCOMPARE(values->min(), 0.0);
        QCOMPARE(values->max(), 100.0);
    }

    void rowLabels_data() {
        QTest::addColumn<Chart>("chart");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        const auto row = [](const char *name, Chart chart, int number, const char *text) {
            QTest::addRow("%s", name) << chart << number << QString::fromUtf8(text);
        };
        row("iso band 1", Chart::Iso, 1, "100 (50 à 125)");
        row("iso band 7", Chart::Iso, 7, "6400 (5000 à 6400)");
        row("iso band 8 is above 6400", Chart::Iso, 8, "H (au dela de 6400)");
        row("aperture 1", Chart::Aperture, 1, "F/1.2");
        row("aperture 5 has no decimals", Chart::Aperture, 5, "F/2");
        row("aperture 8 has no slash", Chart::Aperture, 8, "F2.8");
        row("aperture 24 is f/22", Chart::Aperture, 24, "F/22");
        row("single frame", Chart::Drive, 1, "Mode vue par vue");
        row("continuous", Chart::Drive, 2, "Mode rafale");
        row("one-shot", Chart::Autofocus, 1, "One-Shot");
        row("manual", Chart::Autofocus, 3, "MAP Manuelle");
        row("lens chart's only row is empty", Chart::Lens, 1, "");
    }

    void rowLabels() {
        QFETCH(Chart, chart);
        QFETCH(int, row);
        QFETCH(QString, text);

        Module1 state;
        frm_stats window(state);
        useLenses(state, window, 3);
        window.setupCharts();
        const QStringList categories = categoryAxis(window.chart(chart))->categories();
        QCOMPARE(categories.size(), chart_labels::rowLabels(chart).size());
        QCOMPARE(categories.at(row - 1), text);
    }

    void titles_data() {
        QTest::addColumn<Chart>("chart");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("tab");
        QTest::addRow("iso ends with a blank")
            << Chart::Iso
            << QStringLiteral("Répartition des photos selon l'usage de la sensibilité ISO ")
            << QStringLiteral("chart_iso") << 0;
        QTest::addRow("aperture ends with a blank")
            << Chart::Aperture
            << QStringLiteral("Répartition des photos selon le Diaphragme utilisé ")
            << QStringLiteral("chart_diaph") << 1;
        QTest::addRow("drive") << Chart::Drive << QStringLiteral("Motorisation")
                               << QStringLiteral("chart_drive") << 3;
        QTest::addRow("autofocus")
            << Chart::Autofocus << QStringLiteral("Mode AF") << QStringLiteral("chart_af") << 3;
        QTest::addRow("lens") << Chart::Lens << QStringLiteral("Objectifs utilisés")
                              << QStringLiteral("chart_lens") << 4;
    }

    void titles() {
        QFETCH(Chart, chart);
        QFETCH(QString, title);
        QFETCH(QString, name);
        QFETCH(int, tab);

        Module1 state;
        frm_stats window(state);
        window.setupCharts();
        const QChart *c = window.chart(chart);
        QCOMPARE(c->title(), title);
        QCOMPARE(c->titleFont().family(), QStringLiteral("arial"));
        QCOMPARE(c->titleFont().pointSize(), 12);
        QVERIFY(c->titleFont().bold());
        QCOMPARE(c->titleBrush().color(), QColor(Qt::black));
        QCOMPARE(window.chartView(chart)->chart(), c);
        QCOMPARE(window.chartView(chart)->objectName(), name);
        QVERIFY(window.tabs()->widget(tab)->isAncestorOf(window.chartView(chart)));
    }

    void valueScaleIsFixed_data() {
        QTest::addColumn<int>("value");
        QTest::addRow("all values 0") << 0;
        QTest::addRow("small values") << 3;
        QTest::addRow("all values 100") << 100;
    }

    void valueScaleIsFixed() {
        QFETCH(int, value);
        Module1 state;
        frm_stats window(state);
        window.setChartData(Chart::Iso, ChartTable(8, QVector<int>{value}));
        window.setChartData(Chart::Autofocus, ChartTable(4, QVector<int>{value}));
        window.setChartData(Chart::Drive, ChartTable(2, QVector<int>{value}));
        window.setChartData(Chart::Aperture, ChartTable(24, QVector<int>{value}));
        window.setColumnCount(Chart::Lens, 2);
        window.setChartData(Chart::Lens, {{value, value}});
        window.setupCharts();
        for (Chart chart :
             {Chart::Iso, Chart::Aperture, Chart::Drive, Chart::Autofocus, Chart::Lens}) {
            const QValueAxis *axis = valueAxis(window.chart(chart));
            QCOMPARE(axis->min(), 0.0);
            QCOMPARE(axis->max(), 100.0);
            QCOMPARE(axis->tickCount(), 11);
            QCOMPARE(axis->minorTickCount(), 0);
        }
    }

    void isoBandCaptions_data() {
        QTest::addColumn<int>("band");
        QTest::addColumn<QString>("caption");
        QTest::addRow("band 1") << 1 << QStringLiteral("100 :");
        QTest::addRow("band 5") << 5 << QStringLiteral("1600 :");
        QTest::addRow("band 7") << 7 << QStringLiteral("6400 :");
        QTest::addRow("band 8 is H with a blank, no colon") << 8 << QStringLiteral("H ");
    }

    void isoBandCaptions() {
        QFETCH(int, band);
        QFETCH(QString, caption);
        Module1 state;
        frm_stats window(state);
        window.show();
        QCOMPARE(window.label(QStringLiteral("Label4"), band)->text(), caption);
        QCOMPARE(chart_labels::isoBandCaption(band), caption);
    }

    void setupTwiceGivesTheSameResult() {
        Module1 state;
        frm_stats window(state);
        useLenses(state, window, 5);
        window.setupCharts();
        const QStringList first = setupSnapshot(window);
        window.setupCharts();
        QCOMPARE(setupSnapshot(window), first);
        window.show();
        window.hide();
        window.show();
        QCOMPARE(setupSnapshot(window), first);
    }

    void lensNamesEndWithOneBlank_data() {
        QTest::addColumn<int>("lenses");
        QTest::addRow("one lens") << 1;
        QTest::addRow("fourteen lenses") << 14;
        QTest::addRow("thirty lenses, the maximum") << 30;
    }

    void lensNamesEndWithOneBlank() {
        QFETCH(int, lenses);
        Module1 state;
        frm_stats window(state);
        useLenses(state, window, lenses);
        window.show();

        const QStringList legend = window.lensLegend()->texts();
        const auto sets = barSets(window.chart(Chart::Lens));
        QCOMPARE(legend.size(), lenses);
        QCOMPARE(sets.size(), lenses);
        for (int slot = 0; slot < lenses; ++slot) {
            const QString expected = state.objectifs.at(slot) + QLatin1Char(' ');
            QCOMPARE(legend.at(slot), expected);
            QCOMPARE(sets.at(slot)->label(), expected);
            QVERIFY(!legend.at(slot).endsWith(QStringLiteral("  ")));
        }
        // The whole legend lies inside the chart's box, beside the bars.
        const QChartView *view = window.chartView(Chart::Lens);
        QVERIFY(!window.lensLegend()->isHidden());
        QVERIFY(view->rect().contains(window.lensLegend()->geometry()));
        QVERIFY(window.chart(Chart::Lens)->plotArea().right() <
                window.lensLegend()->geometry().left());
    }

    void noLensGivesAnEmptyChart() {
        Module1 state;
        frm_stats window(state);
        useLenses(state, window, 0);
        window.show();
        QChart *lens = window.chart(Chart::Lens);
        QVERIFY(lens->series().isEmpty());
        QCOMPARE(categoryAxis(lens)->categories(), QStringList{QString()});
        QCOMPARE(valueAxis(lens)->max(), 100.0);
        QVERIFY(window.lensLegend()->texts().isEmpty());
        QVERIFY(window.lensLegend()->isHidden());
        QCOMPARE(lens->title(), QStringLiteral("Objectifs utilisés"));
    }

    void lensCountFollowsTheLastRun() {
        Module1 state;
        frm_stats window(state);
        useLenses(state, window, 12);
        window.setupCharts();
        useLenses(state, window, 2);
        window.setupCharts();
        QCOMPARE(barSets(window.chart(Chart::Lens)).size(), 2);
        QCOMPARE(window.lensLegend()->texts().size(), 2);
    }

    void unavailableTabsHoldOnlyTheNotice_data() {
        QTest::addColumn<int>("tab");
        QTest::addRow("Vitesse") << 2;
        QTest::addRow("Focales") << 5;
    }

    void unavailableTabsHoldOnlyTheNotice() {
        QFETCH(int, tab);
        Module1 state;
        frm_stats window(state);
        QWidget *page = window.tabs()->widget(tab);
        QVERIFY(page->findChildren<QChartView *>().isEmpty());
        QStringList shown;
        for (const QLabel *label : page->findChildren<QLabel *>()) {
            if (!label->isHidden())
                shown << label->text();
        }
        QCOMPARE(shown, QStringList{QStringLiteral("Non fonctionnel pour le moment !")});
    }

    // Every label of a page fits its box and overlaps no other, with results as long as a
    // large run makes them.
    void noTextIsClippedNorOverlapping() {
        Module1 state;
        frm_stats window(state);
        test::SampleRun run = test::realisticRun(14);
        test::publish(run, state, window);
        for (ResultArray array :
             {ResultArray::Label5, ResultArray::Label7, ResultArray::Label9, ResultArray::Label11})
            for (int element = 1; element <= 24; ++element)
                window.setResult(array, element, QStringLiteral(" 99999 photos, soit 100%"));
        window.show();

        QList<QLabel *> shown;
        for (QLabel *label : window.findChildren<QLabel *>()) {
            if (!label->isHidden() && label->objectName().startsWith(QStringLiteral("Label")))
                shown << label;
        }
        QVERIFY(shown.size() > 80);
        for (const QLabel *label : shown) {
            const QRect needed = label->fontMetrics().boundingRect(
                label->contentsRect(), int(label->alignment()) | Qt::TextWordWrap, label->text());
            QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                     qPrintable(label->objectName() + QStringLiteral(" clips: ") + label->text()));
            const QRect box(label->mapTo(&window, QPoint()), label->size());
            QVERIFY2(window.rect().contains(box), qPrintable(label->objectName()));
            for (const QLabel *other : shown) {
                if (other == label || other->parentWidget() != label->parentWidget())
                    continue;
                QVERIFY2(!label->geometry().intersects(other->geometry()),
                         qPrintable(label->objectName() + QStringLiteral(" overlaps ") +
                                    other->objectName()));
            }
        }
    }

    void fermerHidesAndEndsTheShowing() {
        Module1 state;
        frm_stats window(state);
        QPushButton *fermer = window.button(QStringLiteral("btc_fermer"));
        QCOMPARE(fermer->text(), QStringLiteral("Fermer "));
        QTimer::singleShot(0, fermer, &QPushButton::click);
        window.exec();
        QVERIFY(!window.isVisible());
    }

    void titleBarCloseEndsTheShowing() {
        Module1 state;
        frm_stats window(state);
        QTimer::singleShot(0, &window, &QWidget::close);
        window.exec();
        QVERIFY(!window.isVisible());
    }

    void sauvegardeIsDisabled() {
        Module1 state;
        frm_stats window(state);
        window.show();
        QPushButton *save = window.button(QStringLiteral("btc_sauvegarde"));
        QCOMPARE(save->text(), QStringLiteral("Sauvegarder dans un fichier"));
        QVERIFY(!save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
        QVERIFY(window.isVisible());
        QVERIFY(!window.button(QStringLiteral("btc_quitter")));
    }

    // The real analysis over tag files as ExifTool writes them, shown by the window.
    void analysisOfTagFilesFillsTheWindow() {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const std::pair<const char *, const char *> files[] = {
            {"a.txt", "ISO: 100\nFNumber: 2.8\nFocusMode: One-shot AF\n"
                      "DriveMode: Single-frame Shooting\nLensID: Canon EF 50mm f/1.8\n"},
            {"b.txt", "ISO: 200\nFNumber: 2.8\nFocusMode: AI Servo AF\n"
                      "DriveMode: Continuous Shooting\nLensID: Canon EF 16-35mm f/2.8L USM\n"},
            {"c.txt", "ISO: 100\nFNumber: 8.0\nFocusMode: One-shot AF\n"
                      "DriveMode: Continuous Shooting\nLensID: Canon EF 50mm f/1.8\n"}};
        for (const auto &[name, text] : files) {
            QFile file(temp.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        }
        Module1 state;
        state.type_raw = QStringLiteral("Canon");
        state.dossier_temp = platform::withTrailingSeparator(temp.path());
        frm_stats window(state);
        analyse_exif(state, QStringLiteral("/photos"), window);
        window.show();

        const auto text = [&](const char *array, int element) {
            return window.label(QString::fromLatin1(array), element)->text();
        };
        QCOMPARE(text("Label5", 1), QStringLiteral(" 2 photos, soit 66%"));
        QCOMPARE(text("Label5", 2), QStringLiteral(" 1 photos, soit 33%"));
        QCOMPARE(text("Label5", 8), QStringLiteral(" 0 photos, soit 0%"));
        QCOMPARE(text("Label7", 1), QStringLiteral(" 2 photos, soit 66%"));
        QCOMPARE(text("Label9", 2), QStringLiteral(" 2 photos, soit 66%"));
        QCOMPARE(text("Label11", 8), QStringLiteral(" 2 photos, soit 66%"));
        QCOMPARE(text("Label11", 17), QStringLiteral(" 1 photos, soit 33%"));
        QCOMPARE(text("Label1", 0), QStringLiteral("3 Fichiers RAW Analysés"));
        QCOMPARE(text("Label2", 0), QStringLiteral("Type de Fichiers : RAW Canon"));
        QCOMPARE(text("Label3", 0), QStringLiteral("Dossier d'analyse : /photos"));
        QCOMPARE(text("Label4", 8), QStringLiteral("H "));
        QCOMPARE(barSets(window.chart(Chart::Iso)).first()->at(0), 66.0);
        QCOMPARE(barSets(window.chart(Chart::Aperture)).first()->at(7), 66.0);
        QCOMPARE(barSets(window.chart(Chart::Drive)).first()->at(1), 66.0);
        const auto lenses = barSets(window.chart(Chart::Lens));
        QCOMPARE(lenses.size(), 2);
        QCOMPARE(lenses.at(0)->at(0), 66.0);
        QCOMPARE(lenses.at(1)->at(0), 33.0);
        QCOMPARE(window.lensLegend()->texts(),
                 (QStringList{QStringLiteral("Canon EF 50mm f/1.8 "),
                              QStringLiteral("Canon EF 16-35mm f/2.8L USM ")}));
    }

    void analysisOfAnEmptyFolderShowsEmptyCharts() {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        Module1 state;
        state.type_raw = QStringLiteral("Canon");
        state.dossier_temp = platform::withTrailingSeparator(temp.path());
        frm_stats window(state);
        analyse_exif(state, QStringLiteral("/photos"), window);
        window.show();
        QCOMPARE(window.label(QStringLiteral("Label1"), 0)->text(),
                 QStringLiteral("0 Fichiers RAW Analysés"));
        QVERIFY(window.chart(Chart::Lens)->series().isEmpty());
        QCOMPARE(valueAxis(window.chart(Chart::Lens))->max(), 100.0);
        QCOMPARE(barSets(window.chart(Chart::Iso)).first()->sum(), 0.0);
    }
};

QTEST_MAIN(TstFrmStats)
#include "tst_frm_stats.moc"
