#include "stats/frm_stats.h"

#include "analysis/wording.h"
#include "platform/geometry.h"
#include "stats/lens_legend.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGraphicsItem>
#include <QGraphicsLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QValueAxis>
#include <QWindow>

#include <algorithm>
#include <vector>

namespace kadrilo {

namespace {

using platform::designFont;

int indexOf(Chart chart) {
    return static_cast<int>(chart);
}

// Tab pages whose controls are placed in the tab control's own coordinates, the way the
// layout was drawn: every page carries a canvas that is shifted back by the page's offset
// inside the tab control, so a control at (left, top) stands there whatever the tab bar's
// height in the current style.
class DesignTabs : public QTabWidget {
public:
    explicit DesignTabs(QWidget *parent)
        : QTabWidget(parent) {}

    // Adds a tab and returns the canvas to put its controls on.
    QWidget *addDesignPage(const QString &caption) {
        auto *page = new QWidget(this);
        auto *canvas = new QWidget(page);
        addTab(page, caption);
        m_pages.push_back({page, canvas});
        placeCanvases();
        return canvas;
    }

protected:
    bool event(QEvent *event) override {
        const bool handled = QTabWidget::event(event);
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::LayoutRequest:
        case QEvent::StyleChange:
        case QEvent::FontChange:
            placeCanvases();
            break;
        default:
            break;
        }
        return handled;
    }

private:
    void placeCanvases() {
        for (const auto &[page, canvas] : m_pages)
            canvas->setGeometry(QRect(-page->mapTo(this, QPoint()), size()));
    }

    std::vector<std::pair<QWidget *, QWidget *>> m_pages;
};

// A push button whose caption wraps onto several lines when it is wider than the button,
// as "Sauvegarder dans un fichier" must in its narrow box. text() stays the caption itself.
class WrappingButton : public QPushButton {
public:
    WrappingButton(const QString &text, QWidget *parent)
        : QPushButton(text, parent) {}

protected:
    void paintEvent(QPaintEvent *) override {
        QStyleOptionButton option;
        initStyleOption(&option);
        if (fontMetrics().horizontalAdvance(option.text) <=
            style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).width()) {
            QPainter painter(this);
            style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
            return;
        }
        const QString caption = option.text;
        option.text.clear();
        QPainter painter(this);
        style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
        const QRect textBox = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
        style()->drawItemText(&painter, textBox, Qt::AlignCenter | Qt::TextWordWrap, palette(),
                              isEnabled(), caption, QPalette::ButtonText);
    }
};

// Where the controls stand, in twips.
constexpr int labelHeight = 255;
constexpr int resultWidth = 2535;
// The lens chart's bars share this part of the plot's width.
constexpr qreal lensBarWidth = 0.9;

// The lens chart shows up to 30 bars side by side, told apart only by colour: spread the
// hues around the circle and alternate the brightness so that neighbours never look alike.
QColor lensColour(int column) {
    const int hue = (column * 137) % 360;
    const int value = column % 2 == 0 ? 225 : 160;
    return QColor::fromHsv(hue, 190, value);
}

int columnsOf(const ChartTable &table) {
    int columns = 0;
    for (const auto &row : table)
        columns = std::max(columns, static_cast<int>(row.size()));
    return columns;
}

// Keeps the labels of the rows or columns that still exist and gives new ones the chart's
// default names ("R3", "C12").
void resizeLabels(QStringList &labels, int count, QChar prefix) {
    while (labels.size() > count)
        labels.removeLast();
    while (labels.size() < count)
        labels.append(prefix + QString::number(labels.size() + 1));
}

} // namespace

// A lens whose share rounds down to 0 % draws no bar, and with many lenses the bars that do
// show bunch at the left of the plot, the rest of it blank: each such lens keeps a flat mark
// in its colour with "0" over it, so that every lens has its place across the plot.
class ZeroBarMarks : public QGraphicsItem {
public:
    explicit ZeroBarMarks(QChart *chart)
        : QGraphicsItem(chart)
        , m_chart(chart) {
        setZValue(100); // over the series
        QObject::connect(chart, &QChart::plotAreaChanged, chart, [this] {
            prepareGeometryChange();
            update();
        });
    }

    // One entry per bar of the group, left to right; `zero` bars get a mark.
    void setBars(const QVector<QColor> &colours, const QVector<bool> &zero, qreal barWidth,
                 const QFont &font) {
        prepareGeometryChange();
        m_colours = colours;
        m_zero = zero;
        m_barWidth = barWidth;
        m_font = font;
        update();
    }

    QRectF boundingRect() const override {
        return m_chart->plotArea().adjusted(0, -QFontMetricsF(m_font).height() * 2, 0, 2);
    }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override {
        const QRectF plot = m_chart->plotArea();
        const int bars = int(m_colours.size());
        if (bars == 0)
            return;
        // The series draws its one group of bars centred in the plot, `m_barWidth` of it wide.
        const qreal group = plot.width() * m_barWidth;
        const qreal width = group / bars;
        const QFontMetricsF metrics(m_font);
        painter->setFont(m_font);
        painter->setPen(Qt::black);
        for (int bar = 0; bar < bars; ++bar) {
            if (!m_zero.at(bar))
                continue;
            const qreal left = plot.left() + (plot.width() - group) / 2 + bar * width;
            const QRectF mark(left, plot.bottom() - 3, width, 3);
            painter->fillRect(mark, m_colours.at(bar));
            painter->drawText(QRectF(left - width, mark.top() - metrics.height() - 2, 3 * width,
                                     metrics.height()),
                              Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("0"));
        }
    }

private:
    QChart *m_chart;
    QVector<QColor> m_colours;
    QVector<bool> m_zero;
    qreal m_barWidth = 0;
    QFont m_font;
};

frm_stats::frm_stats(QWidget *parent)
    : QDialog(parent) {
    using platform::twipsRect;

    setWindowTitle(QStringLiteral("Affichage des statistiques"));
    // A tool window with a fixed border and no icon.
    setWindowFlags(Qt::Tool | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowIcon(platform::blankIcon());
    setFont(designFont(8.25));

    // Every control stands on one canvas of the design's size. The window shows it whole
    // wherever it fits; on a smaller screen the window shrinks to it and the canvas scrolls.
    auto *canvas = new QWidget;
    canvas->setObjectName(QStringLiteral("canvas"));
    canvas->setFixedSize(twipsRect(0, 0, 16065, 11685).size());
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("defilement"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidget(canvas);
    fitToScreen();

    auto *tabs = new DesignTabs(canvas);
    tabs->setObjectName(QStringLiteral("SSTab1"));
    tabs->setGeometry(twipsRect(0, 0, 16095, 10575));
    m_tabs = tabs;
    std::array<QWidget *, 6> pages{};
    for (std::size_t tab = 0; tab < pages.size(); ++tab)
        pages[tab] = tabs->addDesignPage(wording::tabName(wording::allTabs[tab]));
    tabs->setCurrentIndex(0);

    buildLabels(pages);
    buildCharts(pages);

    // The three summary lines are single labels, kept under element 0 of their name.
    const QFont summaryFont = designFont(9.75);
    const std::pair<const char *, QRect> summaries[] = {{"Label2", {120, 10680, 3615, 375}},
                                                        {"Label1", {3840, 10680, 3615, 375}},
                                                        {"Label3", {120, 11160, 7335, 375}}};
    for (const auto &[name, box] : summaries) {
        const QString design = QString::fromLatin1(name);
        addLabel(canvas, design, 0, design, box, summaryFont)->setObjectName(design);
    }

    m_sauvegarde = new WrappingButton(QStringLiteral("Sauvegarder dans un fichier"), canvas);
    m_sauvegarde->setObjectName(QStringLiteral("btc_sauvegarde"));
    m_sauvegarde->setGeometry(twipsRect(12720, 11040, 1575, 495));
    m_sauvegarde->setEnabled(false);
    m_sauvegarde->setAutoDefault(false);

    m_fermer = new QPushButton(QStringLiteral("Fermer "), canvas);
    m_fermer->setObjectName(QStringLiteral("btc_fermer"));
    m_fermer->setGeometry(twipsRect(14520, 11040, 1455, 495));
    m_fermer->setAutoDefault(false);
    connect(m_fermer, &QPushButton::clicked, this, &QWidget::hide);
}

frm_stats::~frm_stats() = default;

QLabel *frm_stats::addLabel(QWidget *page, const QString &array, int element, const QString &text,
                            const QRect &twipsBox, const QFont &font) {
    auto *label = new QLabel(text, page);
    label->setObjectName(QStringLiteral("%1(%2)").arg(array).arg(element));
    label->setGeometry(
        platform::twipsRect(twipsBox.x(), twipsBox.y(), twipsBox.width(), twipsBox.height()));
    label->setFont(font);
    // Labels of this window show their text from the top left and wrap at blanks.
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    m_labels.insert({array, element}, label);
    return label;
}

void frm_stats::buildLabels(const std::array<QWidget *, 6> &pages) {
    const QFont caption = designFont(8.25, QFont::Bold);
    const QFont result = designFont(8.25);
    const QFont notice = designFont(24, QFont::Bold);
    QWidget *iso = pages[0];
    QWidget *aperture = pages[1];
    QWidget *speed = pages[2];
    QWidget *driveAndAf = pages[3];
    QWidget *focal = pages[5];

    // Element 0 of most arrays only held the array's place in the designer: never shown.
    const auto placeholder = [&](QWidget *page, const QString &array, const QString &text) {
        addLabel(page, array, 0, text, {0, 0, 1215, labelHeight}, result)->hide();
    };
    placeholder(iso, QStringLiteral("Label4"), QStringLiteral("Label4 0 invisible"));
    placeholder(iso, QStringLiteral("Label5"), QStringLiteral("Label5 0 invisible"));
    placeholder(speed, QStringLiteral("Label10"), QStringLiteral("Label10 invisible"));
    placeholder(aperture, QStringLiteral("Label11"), QStringLiteral("Label11 0 invisible"));
    placeholder(driveAndAf, QStringLiteral("Label6"), QStringLiteral("Label6 0 invisible"));
    placeholder(driveAndAf, QStringLiteral("Label7"), QStringLiteral("Label7 0 invisible"));

    // ISO: two columns of four bands under the chart.
    const int isoRows[] = {8640, 9120, 9600, 10080};
    for (int band = 1; band <= 8; ++band) {
        const bool second = band > 4;
        const int top = isoRows[(band - 1) % 4];
        addLabel(iso, QStringLiteral("Label4"), band, QStringLiteral("Label4"),
                 {second ? 3480 : 240, top, 615, labelHeight}, caption);
        addLabel(iso, QStringLiteral("Label5"), band, QStringLiteral("Label5"),
                 {second ? 4320 : 960, top, 2415, labelHeight}, result);
    }

    // Apertures: three columns of eight buckets; caption Label10(k + 3) beside Label11(k).
    const int captionLefts[] = {240, 6000, 10440};
    const int resultLefts[] = {1320, 6840, 11280};
    for (int bucket = 1; bucket <= 24; ++bucket) {
        const int column = (bucket - 1) / 8;
        const int top = 7680 + ((bucket - 1) % 8) * 360;
        addLabel(aperture, QStringLiteral("Label10"), bucket + 3, wording::apertureCaption(bucket),
                 {captionLefts[column], top, 840, labelHeight}, caption);
        addLabel(aperture, QStringLiteral("Label11"), bucket, QStringLiteral("Label11"),
                 {resultLefts[column], top, resultWidth, labelHeight}, result);
    }

    // The two tabs whose analysis does not exist.
    addLabel(speed, QStringLiteral("Label10"), 1, wording::notAvailableNotice(),
             {3960, 7680, 9135, 615}, notice);
    addLabel(focal, QStringLiteral("Label10"), 3, wording::notAvailableNotice(),
             {4080, 6960, 9135, 615}, notice);

    // Drive modes: captions Label8(0..1) beside results Label9(1..2), the note below.
    for (int mode = 1; mode <= 2; ++mode) {
        const int top = mode == 1 ? 9000 : 9360;
        addLabel(driveAndAf, QStringLiteral("Label8"), mode - 1, wording::driveCaption(mode),
                 {1320, top, 1575, labelHeight}, caption);
        addLabel(driveAndAf, QStringLiteral("Label9"), mode, QStringLiteral("Label9"),
                 {3000, top, resultWidth, labelHeight}, result);
    }
    addLabel(driveAndAf, QStringLiteral("Label9"), 0, wording::selfTimerNote(),
             {1320, 9720, 3735, 615}, result);

    // Autofocus modes.
    const int afRows[] = {9000, 9360, 9720, 10080};
    for (int mode = 1; mode <= 4; ++mode) {
        addLabel(driveAndAf, QStringLiteral("Label6"), mode, wording::autofocusCaption(mode),
                 {7800, afRows[mode - 1], 1455, labelHeight}, caption);
        addLabel(driveAndAf, QStringLiteral("Label7"), mode, QStringLiteral("Label7"),
                 {9360, afRows[mode - 1], resultWidth, labelHeight}, result);
    }
}

void frm_stats::buildCharts(const std::array<QWidget *, 6> &pages) {
    struct Place {
        Chart chart;
        const char *name;
        int page;
        QRect twipsBox;
        int rows;
        int columns;
    };
    const Place places[] = {
        {Chart::Iso, "chart_iso", 0, {240, 840, 15735, 7575}, 8, 1},
        {Chart::Aperture, "chart_diaph", 1, {120, 1080, 15855, 5175}, 24, 1},
        {Chart::Drive, "chart_drive", 3, {600, 1680, 4935, 7095}, 2, 1},
        {Chart::Autofocus, "chart_af", 3, {7080, 1680, 8055, 7095}, 4, 1},
        {Chart::Lens, "chart_lens", 4, {240, 720, 15495, 7695}, 1, 0},
    };
    const QFont axisFont = designFont(8.25);
    for (const Place &place : places) {
        ChartSlot &s = slot(place.chart);
        auto *chart = new QChart;
        s.view = new QChartView(chart, pages[place.page]);
        s.view->setObjectName(QLatin1String(place.name));
        s.view->setRenderHint(QPainter::Antialiasing);
        const QRect &box = place.twipsBox;
        s.view->setGeometry(platform::twipsRect(box.x(), box.y(), box.width(), box.height()));
        s.view->setFrameShape(QFrame::NoFrame);
        s.chart = chart;
        // The chart fills its box, as the chart control did.
        chart->layout()->setContentsMargins(0, 0, 0, 0);
        chart->setBackgroundRoundness(0);
        s.categories = new QBarCategoryAxis(chart);
        s.categories->setLabelsFont(axisFont);
        // Category labels are short enough to stand side by side; the toolkit would cut
        // "1600 (1250 à 2000)" although it fits.
        s.categories->setTruncateLabels(false);
        s.values = new QValueAxis(chart);
        s.values->setLabelsFont(axisFont);
        s.values->setLabelFormat(QStringLiteral("%d"));
        chart->addAxis(s.categories, Qt::AlignBottom);
        chart->addAxis(s.values, Qt::AlignLeft);
        chart->legend()->setVisible(false);
        s.table = ChartTable(place.rows, QVector<int>(place.columns, 0));
        resizeLabels(s.rowLabels, place.rows, QLatin1Char('R'));
        resizeLabels(s.columnLabels, place.columns, QLatin1Char('C'));
        redraw(s);
    }

    // The lens names appear nowhere else: the lens chart carries a legend of its own on the
    // right of the bars, which holds thirty long names.
    m_lensLegend = new LensLegend(slot(Chart::Lens).view);
    m_lensLegend->setObjectName(QStringLiteral("chart_lens_legend"));
    m_lensLegend->setFont(designFont(7.5));
    m_zeroMarks = new ZeroBarMarks(slot(Chart::Lens).chart);
    updateLensLegend();
}

void frm_stats::updateLensLegend() {
    ChartSlot &s = slot(Chart::Lens);
    QVector<LensLegend::Entry> entries;
    const auto series = s.chart->series();
    if (!series.isEmpty()) {
        if (const auto *bars = qobject_cast<QBarSeries *>(series.first())) {
            for (QBarSet *set : bars->barSets())
                entries.append({set->color(), set->label()});
        }
    }
    m_lensLegend->setEntries(entries);

    const QSize view = s.view->size();
    const int gap = 12;
    const int top = 48; // below the title
    m_lensLegend->arrange(QSize(view.width() * 2 / 5, view.height() - top - gap));
    const QSize legend = m_lensLegend->size();
    m_lensLegend->move(view.width() - legend.width() - gap,
                       top + std::max(0, (view.height() - top - gap - legend.height()) / 2));
    m_lensLegend->setVisible(!entries.isEmpty());
    QMargins margins = s.chart->margins();
    margins.setRight(entries.isEmpty() ? margins.left() : legend.width() + 2 * gap);
    s.chart->setMargins(margins);
}

frm_stats::ChartSlot &frm_stats::slot(Chart chart) {
    return m_charts.at(indexOf(chart));
}

const frm_stats::ChartSlot &frm_stats::slot(Chart chart) const {
    return m_charts.at(indexOf(chart));
}

void frm_stats::redraw(ChartSlot &s) {
    s.chart->removeAllSeries();
    const int columns = columnsOf(s.table);
    const bool lens = &s == &slot(Chart::Lens);
    if (columns > 0) {
        auto *series = new QBarSeries(s.chart);
        for (int column = 0; column < columns; ++column) {
            auto *set = new QBarSet(s.columnLabels.value(column), series);
            for (const auto &row : s.table)
                set->append(row.value(column));
            if (lens) {
                set->setColor(lensColour(column));
                set->setLabelColor(Qt::black);
                set->setLabelFont(font());
            }
            series->append(set);
        }
        if (lens) {
            // Many narrow bars of one group: use the width and print each percentage.
            series->setBarWidth(lensBarWidth);
            series->setLabelsVisible(true);
            series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
        }
        s.chart->addSeries(series);
        series->attachAxis(s.categories);
        series->attachAxis(s.values);
    }
    s.categories->setCategories(s.rowLabels);
    fixValueScale(s);
    if (lens && m_lensLegend)
        updateLensLegend();
    if (lens && m_zeroMarks) {
        QVector<QColor> colours;
        QVector<bool> zero;
        for (int column = 0; column < columns; ++column) {
            colours.append(lensColour(column));
            zero.append(std::all_of(s.table.cbegin(), s.table.cend(),
                                    [column](const auto &row) { return row.value(column) == 0; }));
        }
        m_zeroMarks->setBars(colours, zero, lensBarWidth, font());
    }
}

void frm_stats::fixValueScale(ChartSlot &s) {
    // Percentages: always the whole 0..100 range with a mark every 10, so that charts of
    // different runs compare at a glance.
    s.values->setRange(0, 100);
    s.values->setTickCount(11);
    s.values->setMinorTickCount(0);
}

void frm_stats::showResults(const StatisticsResults &results) {
    const auto writeCaptions = [this](const QString &array, const auto &classes) {
        for (std::size_t k = 0; k < classes.size(); ++k)
            setResult(array, int(k) + 1, classes[k].caption);
    };
    writeCaptions(QStringLiteral("Label5"), results.iso);
    writeCaptions(QStringLiteral("Label7"), results.autofocus);
    writeCaptions(QStringLiteral("Label9"), results.drive);
    writeCaptions(QStringLiteral("Label11"), results.aperture);

    m_lensNames.clear();
    for (const LensResult &lens : results.lenses)
        m_lensNames << lens.name;
    setColumnCount(Chart::Lens, results.lensColumns);
    for (Chart chart : {Chart::Iso, Chart::Autofocus, Chart::Drive, Chart::Aperture, Chart::Lens})
        setChartData(chart, results.table(chart));

    setResult(QStringLiteral("Label1"), 0, results.fileCountLine);
    setResult(QStringLiteral("Label2"), 0, results.rawTypeLine);
    setResult(QStringLiteral("Label3"), 0, results.folderLine);
}

void frm_stats::setResult(const QString &array, int element, const QString &text) {
    if (QLabel *target = label(array, element))
        target->setText(text);
}

void frm_stats::setColumnCount(Chart chart, int columns) {
    ChartSlot &s = slot(chart);
    columns = std::max(columns, 0);
    for (auto &row : s.table)
        row.resize(columns);
    resizeLabels(s.columnLabels, columns, QLatin1Char('C'));
    redraw(s);
}

void frm_stats::setChartData(Chart chart, const ChartTable &table) {
    ChartSlot &s = slot(chart);
    s.table = table;
    resizeLabels(s.rowLabels, static_cast<int>(table.size()), QLatin1Char('R'));
    resizeLabels(s.columnLabels, columnsOf(table), QLatin1Char('C'));
    redraw(s);
}

void frm_stats::setRowLabel(Chart chart, int row, const QString &text) {
    ChartSlot &s = slot(chart);
    if (row < 1 || row > s.rowLabels.size())
        return;
    s.rowLabels[row - 1] = text;
    s.categories->setCategories(s.rowLabels);
}

void frm_stats::setColumnLabel(Chart chart, int column, const QString &text) {
    ChartSlot &s = slot(chart);
    if (column < 1 || column > s.columnLabels.size())
        return;
    s.columnLabels[column - 1] = text;
    const auto series = s.chart->series();
    if (series.isEmpty())
        return;
    if (auto *bars = qobject_cast<QBarSeries *>(series.first()); bars && column <= bars->count())
        bars->barSets().at(column - 1)->setLabel(text);
    if (chart == Chart::Lens)
        updateLensLegend();
}

void frm_stats::setupCharts() {
    const auto prepare = [this](Chart chart) {
        ChartSlot &s = slot(chart);
        fixValueScale(s);
        s.chart->setTitle(wording::title(chart));
        s.chart->setTitleBrush(QBrush(Qt::black));
        s.chart->setTitleFont(QFont(QStringLiteral("arial"), 12, QFont::Bold));
    };
    const auto labelRows = [this](Chart chart) {
        const QStringList labels = wording::rowLabels(chart);
        for (int row = 1; row <= labels.size(); ++row)
            setRowLabel(chart, row, labels.at(row - 1));
    };

    prepare(Chart::Iso);
    for (int band = 1; band <= 8; ++band)
        label(QStringLiteral("Label4"), band)->setText(wording::isoBandCaption(band));
    labelRows(Chart::Iso);

    prepare(Chart::Lens);
    prepare(Chart::Drive);
    labelRows(Chart::Drive);
    prepare(Chart::Autofocus);
    labelRows(Chart::Autofocus);
    prepare(Chart::Aperture);
    labelRows(Chart::Aperture);

    for (int column = 1; column <= m_lensNames.size(); ++column)
        setColumnLabel(Chart::Lens, column, wording::lensColumnLabel(m_lensNames.at(column - 1)));
    labelRows(Chart::Lens);
}

QLabel *frm_stats::label(const QString &array, int element) const {
    return m_labels.value({array, element}, nullptr);
}

QPushButton *frm_stats::button(const QString &name) const {
    if (name == QLatin1String("btc_fermer"))
        return m_fermer;
    if (name == QLatin1String("btc_sauvegarde"))
        return m_sauvegarde;
    return nullptr;
}

QTabWidget *frm_stats::tabs() const {
    return m_tabs;
}

QChart *frm_stats::chart(Chart chart) const {
    return slot(chart).chart;
}

QChartView *frm_stats::chartView(Chart chart) const {
    return slot(chart).view;
}

LensLegend *frm_stats::lensLegend() const {
    return m_lensLegend;
}

ChartTable frm_stats::chartData(Chart chart) const {
    return slot(chart).table;
}

void frm_stats::fitToScreen() {
    const QSize design = m_scroll->widget()->size();
    const QScreen *shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect available = shownOn ? shownOn->availableGeometry() : QRect(QPoint(), design);
    // Before the window manager has framed the window its frame is unknown: allow for a
    // title bar and thin borders.
    QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull()) {
        const int border = 4;
        frame = QMargins(border, style()->pixelMetric(QStyle::PM_TitleBarHeight) + border, border,
                         border);
    }
    const QSize room = available.size().shrunkBy(frame);
    QSize size = design;
    if (design.width() > room.width() || design.height() > room.height()) {
        // A scroll bar that one direction needs takes room from the other.
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const bool across = design.width() > room.width();
        const bool down = design.height() > room.height();
        size = QSize(design.width() + (down ? bar : 0), design.height() + (across ? bar : 0))
                   .boundedTo(room);
    }
    setFixedSize(size);
    m_scroll->setGeometry(rect());

    // Centred with its frame, the title bar kept on the screen.
    QRect outer(QPoint(), size.grownBy(frame));
    outer.moveCenter(available.center());
    outer.moveTop(std::max(outer.top(), available.top()));
    outer.moveLeft(std::max(outer.left(), available.left()));
    move(outer.topLeft());
}

void frm_stats::keyPressEvent(QKeyEvent *event) {
    // Only "Fermer " and the title bar's close end the showing, not Escape.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frm_stats::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    fitToScreen();
    setupCharts();
}

} // namespace kadrilo
