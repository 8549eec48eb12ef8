#include "stats/frm_stats.h"

#include "analysis/wording.h"
#include "platform/geometry.h"
#include "stats/bar_chart.h"
#include "stats/design_tabs.h"
#include "stats/lens_chart.h"
#include "stats/wrapping_button.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QWindow>

#include <algorithm>

namespace kadrilo {

namespace {

using platform::designFont;

int indexOf(Chart chart) {
    return static_cast<int>(chart);
}

// Where the controls stand, in twips.
constexpr int labelHeight = 255;
constexpr int resultWidth = 2535;
} // namespace

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
    };
    const Place places[] = {
        {Chart::Iso, "chart_iso", 0, {240, 840, 15735, 7575}},
        {Chart::Aperture, "chart_diaph", 1, {120, 1080, 15855, 5175}},
        {Chart::Drive, "chart_drive", 3, {600, 1680, 4935, 7095}},
        {Chart::Autofocus, "chart_af", 3, {7080, 1680, 8055, 7095}},
    };
    const QFont axisFont = designFont(8.25);
    for (const Place &place : places)
        m_charts.at(indexOf(place.chart)) = std::make_unique<BarChart>(
            pages[place.page], QLatin1String(place.name), place.twipsBox, axisFont);
    auto lens = std::make_unique<LensChart>(pages[4], QStringLiteral("chart_lens"),
                                            QRect(240, 720, 15495, 7695), axisFont, font());
    m_lensChart = lens.get();
    m_charts.at(indexOf(Chart::Lens)) = std::move(lens);
}

BarChart &frm_stats::barChart(Chart chart) const {
    return *m_charts.at(indexOf(chart));
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

    setResult(QStringLiteral("Label1"), 0, results.fileCountLine);
    setResult(QStringLiteral("Label2"), 0, results.rawTypeLine);
    setResult(QStringLiteral("Label3"), 0, results.folderLine);

    m_results = results;
    if (isVisible())
        setupCharts();
}

void frm_stats::setResult(const QString &array, int element, const QString &text) {
    if (QLabel *target = label(array, element))
        target->setText(text);
}

void frm_stats::setupCharts() {
    for (int band = 1; band <= 8; ++band)
        label(QStringLiteral("Label4"), band)->setText(wording::isoBandCaption(band));

    QStringList lensLabels;
    for (const LensResult &lens : std::as_const(m_results.lenses))
        lensLabels << wording::lensColumnLabel(lens.name);
    for (Chart chart : {Chart::Iso, Chart::Lens, Chart::Drive, Chart::Autofocus, Chart::Aperture}) {
        BarChart &bars = barChart(chart);
        bars.setTitle(wording::title(chart));
        bars.draw(m_results.table(chart), wording::rowLabels(chart),
                  chart == Chart::Lens ? lensLabels : QStringList());
    }
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
    return barChart(chart).chart();
}

QChartView *frm_stats::chartView(Chart chart) const {
    return barChart(chart).view();
}

LensLegend *frm_stats::lensLegend() const {
    return m_lensChart->legend();
}

ChartTable frm_stats::chartData(Chart chart) const {
    return barChart(chart).table();
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
