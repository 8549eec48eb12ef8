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

// A statistics window over its own state; `analyse` runs the real analysis over tag files.
struct Shown {
    Module1 state;
    frm_stats window{state};
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
    void windowShape() {
        Shown s;
        frm_stats &window = s.window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Affichage des statistiques"));
        const QSize client = platform::twipsRect(0, 0, 16065, 11685).size();
        QCOMPARE(window.minimumSize(), client);
        QCOMPARE(window.maximumSize(), client);
        const Qt::WindowFlags flags = window.windowFlags();
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(flags & Qt::MSWindowsFixedSizeDialogHint);

        QTabWidget *tabs = window.tabs();
        QCOMPARE(tabs->objectName(), QStringLiteral("SSTab1"));
        QStringList names;
        for (int tab = 0; tab < tabs->count(); ++tab)
            names << tabs->tabText(tab);
        QCOMPARE(names.join(QLatin1Char('|')),
                 QStringLiteral("ISO|Diaphragme|Vitesse|motorisation / AF|Objectifs|Focales"));
        QCOMPARE(tabs->currentIndex(), 0);

        window.show();
        QPushButton *save = window.button(QStringLiteral("btc_sauvegarde"));
        QCOMPARE(save->text(), QStringLiteral("Sauvegarder dans un fichier"));
        QVERIFY(!save->isEnabled());
        QTest::mouseClick(save, Qt::LeftButton);
        QVERIFY(window.isVisible());
        QVERIFY(!window.button(QStringLiteral("btc_quitter")));
    }

    void fixedCaptions_data() {
        QTest::addColumn<QString>("array");
        QTest::addColumn<int>("element");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<qreal>("points");
        const auto row = [](const char *name, const char *array, int element, const char *text,
                            bool bold = true, qreal points = 8.25) {
            QTest::addRow("%s", name) << QString::fromLatin1(array) << element
                                      << QString::fromUtf8(text) << bold << points;
        };
        row("first aperture has two blanks", "Label10", 4, "F/1.2  :");
        row("f/2.2 has one blank", "Label10", 9, "F/2.2 :");
        row("f/2.8 caption keeps its slash", "Label10", 11, "F/2.8 :");
        row("f/4 has five blanks", "Label10", 14, "F/4     :");
        row("last aperture is f/22", "Label10", 27, "F/22  :");
        row("single frame drive", "Label8", 0, "Mode vue par vue :");
        row("continuous drive has ten blanks", "Label8", 1, "Mode rafale          :");
        row("self-timer note", "Label9", 0,
            "Nota : Le resultat peut ne pas être égal à 100% car les prises de vue avec le "
            "retardateur ne sont pas prises en compte.",
            false);
        row("af one-shot", "Label6", 1, "AF One-shot    :");
        row("manual focus", "Label6", 3, "MAP Manuelle :");
        row("speed notice", "Label10", 1, "Non fonctionnel pour le moment !", true, 24);
        row("iso band 1", "Label4", 1, "100 :");
        row("iso band 7", "Label4", 7, "6400 :");
        row("iso band 8 is H with a blank, no colon", "Label4", 8, "H ");
        row("aperture result before the analysis", "Label11", 24, "Label11", false);
        row("folder line", "Label3", 0, "Label3", false, 9.75);
    }

    void fixedCaptions() {
        QFETCH(QString, array);
        QFETCH(int, element);
        QFETCH(QString, text);
        QFETCH(bool, bold);
        QFETCH(qreal, points);
        Shown s;
        s.window.show();
        const QLabel *label = s.window.label(array, element);
        QVERIFY(label);
        QCOMPARE(label->text(), text);
        QCOMPARE(label->font().bold(), bold);
        QCOMPARE(label->font().pointSizeF(), points);
        QVERIFY(!label->isHidden());
    }

    void resultsAndSummariesLandInTheirSlots() {
        Shown s;
        const std::pair<ResultArray, const char *> arrays[] = {{ResultArray::Label5, "Label5"},
                                                               {ResultArray::Label7, "Label7"},
                                                               {ResultArray::Label9, "Label9"},
                                                               {ResultArray::Label11, "Label11"}};
        const int counts[] = {8, 4, 2, 24};
        const auto caption = [](int n) {
            return QStringLiteral(" %1 photos, soit %1%").arg(n);
        };
        for (int a = 0; a < 4; ++a) {
            const auto [array, name] = arrays[a];
            for (int element = 1; element <= counts[a]; ++element)
                s.window.setResult(array, element, caption(element + 10 * a));
            // Element 0 is never a result (the drive note stays), nor one past the end.
            s.window.setResult(array, 0, QStringLiteral("x"));
            s.window.setResult(array, counts[a] + 1, QStringLiteral("x"));
            QVERIFY(s.text(name, 0) != QStringLiteral("x"));
            for (int element = 1; element <= counts[a]; ++element)
                QCOMPARE(s.text(name, element), caption(element + 10 * a));
        }
        s.window.setSummary(SummaryLine::Label1, QStringLiteral("un"));
        s.window.setSummary(SummaryLine::Label2, QStringLiteral("deux"));
        s.window.setSummary(SummaryLine::Label3, QStringLiteral("trois"));
        QCOMPARE(s.text("Label1", 0) + s.text("Label2", 0) + s.text("Label3", 0),
                 QStringLiteral("undeuxtrois"));
    }

    // Every chart keeps the value axis 0..100 with 10 major divisions and no minor ones.
    void chartValuesLandInTheirBars_data() {
        QTest::addColumn<Chart>("chart");
        QTest::addColumn<ChartTable>("table");
        QTest::addRow("iso, one value per band")
            << Chart::Iso << ChartTable{{44}, {19}, {14}, {10}, {5}, {3}, {1}, {0}};
        QTest::addRow("autofocus") << Chart::Autofocus << ChartTable{{70}, {24}, {3}, {1}};
        QTest::addRow("drive all 100") << Chart::Drive << ChartTable{{100}, {100}};
        ChartTable apertures;
        for (int bucket = 1; bucket <= 24; ++bucket)
            apertures.append(QVector<int>{bucket * 4});
        QTest::addRow("aperture, all 24 rows") << Chart::Aperture << apertures;
        QTest::addRow("aperture all 0") << Chart::Aperture << ChartTable(24, QVector<int>{0});
        QTest::addRow("lens, one column per lens") << Chart::Lens << ChartTable{{33, 28, 0, 100}};
    }

    void chartValuesLandInTheirBars() {
        QFETCH(Chart, chart);
        QFETCH(ChartTable, table);
        Shown s;
        if (chart == Chart::Lens)
            s.window.setColumnCount(chart, table.first().size());
        s.window.setChartData(chart, table);
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
        for (Chart other : allCharts) {
            const QValueAxis *axis = valueAxis(s.window.chart(other));
            QCOMPARE(axis->min(), 0.0);
            QCOMPARE(axis->max(), 100.0);
            QCOMPARE(axis->tickCount(), 11);
            QCOMPARE(axis->minorTickCount(), 0);
        }
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
        Shown s;
        s.useLenses(3);
        s.window.setupCharts();
        const QStringList categories = categoryAxis(s.window.chart(chart))->categories();
        QCOMPARE(categories.size(), chart_labels::rowLabels(chart).size());
        QCOMPARE(categories.at(row - 1), text);
    }

    void titles_data() {
        QTest::addColumn<Chart>("chart");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("tab");
        const auto row = [](const char *name, Chart chart, const char *title, const char *view,
                            int tab) {
            QTest::addRow("%s", name)
                << chart << QString::fromUtf8(title) << QString::fromLatin1(view) << tab;
        };
        row("iso ends with a blank", Chart::Iso,
            "Répartition des photos selon l'usage de la sensibilité ISO ", "chart_iso", 0);
        row("aperture ends with a blank", Chart::Aperture,
            "Répartition des photos selon le Diaphragme utilisé ", "chart_diaph", 1);
        row("drive", Chart::Drive, "Motorisation", "chart_drive", 3);
        row("autofocus", Chart::Autofocus, "Mode AF", "chart_af", 3);
        row("lens", Chart::Lens, "Objectifs utilisés", "chart_lens", 4);
    }

    void titles() {
        QFETCH(Chart, chart);
        QFETCH(QString, title);
        QFETCH(QString, name);
        QFETCH(int, tab);
        Shown s;
        s.window.setupCharts();
        const QChart *c = s.window.chart(chart);
        QCOMPARE(c->title(), title);
        QCOMPARE(c->titleFont().family(), QStringLiteral("arial"));
        QCOMPARE(c->titleFont().pointSize(), 12);
        QVERIFY(c->titleFont().bold());
        QCOMPARE(c->titleBrush().color(), QColor(Qt::black));
        QCOMPARE(s.window.chartView(chart)->chart(), c);
        QCOMPARE(s.window.chartView(chart)->objectName(), name);
        QVERIFY(s.window.tabs()->widget(tab)->isAncestorOf(s.window.chartView(chart)));
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
        QTest::addRow("one lens") << 1;
        QTest::addRow("fourteen lenses") << 14;
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
        s.useLenses(14);
        for (ResultArray array :
             {ResultArray::Label5, ResultArray::Label7, ResultArray::Label9, ResultArray::Label11})
            for (int element = 1; element <= 24; ++element)
                s.window.setResult(array, element, QStringLiteral(" 99999 photos, soit 100%"));
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
        const QString twoOfThree = QStringLiteral(" 2 photos, soit 66%");
        QCOMPARE(s.text("Label5", 1), twoOfThree);
        QCOMPARE(s.text("Label5", 2), QStringLiteral(" 1 photos, soit 33%"));
        QCOMPARE(s.text("Label5", 8), QStringLiteral(" 0 photos, soit 0%"));
        QCOMPARE(s.text("Label7", 1), twoOfThree);
        QCOMPARE(s.text("Label9", 2), twoOfThree);
        QCOMPARE(s.text("Label11", 8), twoOfThree);
        QCOMPARE(s.text("Label11", 17), QStringLiteral(" 1 photos, soit 33%"));
        QCOMPARE(s.text("Label1", 0), QStringLiteral("3 Fichiers RAW Analysés"));
        QCOMPARE(s.text("Label2", 0), QStringLiteral("Type de Fichiers : RAW Canon"));
        QCOMPARE(s.text("Label3", 0), QStringLiteral("Dossier d'analyse : /photos"));
        QCOMPARE(s.text("Label4", 8), QStringLiteral("H "));
        QCOMPARE(barSets(s.window.chart(Chart::Iso)).first()->at(0), 66.0);
        QCOMPARE(barSets(s.window.chart(Chart::Aperture)).first()->at(7), 66.0);
        QCOMPARE(barSets(s.window.chart(Chart::Drive)).first()->at(1), 66.0);
        const auto lenses = barSets(s.window.chart(Chart::Lens));
        QCOMPARE(lenses.size(), 2);
        QCOMPARE(lenses.at(0)->at(0), 66.0);
        QCOMPARE(lenses.at(1)->at(0), 33.0);
        QCOMPARE(s.window.lensLegend()->texts(),
                 (QStringList{QStringLiteral("Canon EF 50mm f/1.8 "),
                              QStringLiteral("Canon EF 16-35mm f/2.8L USM ")}));
    }

    void analysisOfAnEmptyFolderShowsEmptyCharts() {
        Shown s;
        QVERIFY(s.analyse({}));
        QCOMPARE(s.text("Label1", 0), QStringLiteral("0 Fichiers RAW Analysés"));
        QVERIFY(s.window.chart(Chart::Lens)->series().isEmpty());
        QCOMPARE(valueAxis(s.window.chart(Chart::Lens))->max(), 100.0);
        QCOMPARE(barSets(s.window.chart(Chart::Iso)).first()->sum(), 0.0);
    }
};

QTEST_MAIN(TstFrmStats)
#include "tst_frm_stats.moc"
