#include "report/report_html.h"

#include "analysis/results.h"
#include "analysis/wording.h"
#include "report/report_format.h"

#include <QVector>

#include <algorithm>

namespace kadrilo::report {

namespace {

// Light and dark colours, bars that shrink with the page, tables that wrap long names
// rather than widen it, and charts kept whole on a printed page.
const char pageStyle[] = R"css(
:root{color-scheme:light dark;--fond:#fff;--texte:#1d1f21;--doux:#565b61;--barre:#2b6cb0;
--trait:#cfd4da;--zebre:#f2f4f7}
@media (prefers-color-scheme:dark){:root{--fond:#15181c;--texte:#e6e8eb;--doux:#a9b1ba;
--barre:#63a4e8;--trait:#3b424b;--zebre:#1d2126}}
*{box-sizing:border-box}
body{margin:0 auto;max-width:80rem;padding:1rem;background:var(--fond);color:var(--texte);
font:15px/1.4 system-ui,-apple-system,"Segoe UI",sans-serif}
h1{font-size:1.45rem;margin:0 0 .6rem}h2{font-size:1.1rem;margin:0 0 .4rem}
h3{font-size:1rem;margin:0;overflow-wrap:anywhere}
.resume p,.resume li{margin:.15rem 0;overflow-wrap:anywhere}
.resume ul{margin:.2rem 0;padding-left:1.2rem}
main{columns:2 30rem;column-gap:2rem;margin-top:1rem}
section,figure{break-inside:avoid;margin:0 0 1.4rem}
section.multiples{column-span:all}
.lentilles{display:grid;grid-template-columns:repeat(auto-fill,minmax(min(100%,22rem),1fr));
gap:0 2rem}
table{width:100%;border-collapse:collapse;table-layout:fixed}
th,td{padding:.1rem .3rem;text-align:left;font-weight:normal;vertical-align:middle}
tbody th{overflow-wrap:anywhere}
thead th{color:var(--doux);font-size:.8rem;border-bottom:1px solid var(--trait)}
thead th:first-child{width:36%}
th:nth-child(n+3),td:nth-child(n+3){width:4.2rem;text-align:right;
font-variant-numeric:tabular-nums}
tbody tr:nth-child(even){background:var(--zebre)}
tr{break-inside:avoid}
svg{display:block;width:100%;height:.8rem}
rect{fill:var(--barre);height:100%}
.note,.vide{color:var(--doux);font-size:.85rem;margin:.3rem 0}
@media (max-width:30rem){body{padding:.6rem}th,td{padding:.1rem .2rem}
thead th:first-child{width:44%}th:nth-child(n+3),td:nth-child(n+3){width:3.2rem}}
@media print{body{max-width:none;padding:0;font-size:10pt}main{columns:1}
:root{--fond:#fff;--texte:#000;--doux:#444;--barre:#2b6cb0;--zebre:#f2f4f7}}
)css";

// The headings of the report's own categories, as the texte format's sections name them.
QString ownHeading(const QString &key) {
    static const char16_t *const headings[][2] = {{keyFocal, u"Focales utilisées"},
                                                  {keyExposure, u"Vitesses d'obturation"},
                                                  {keyModel, u"Boîtiers"},
                                                  {keyFocal35, u"Focales en équivalent 35 mm"},
                                                  {keyHours, u"Heures"},
                                                  {keyMonths, u"Mois"},
                                                  {keyYears, u"Années"},
                                                  {keySafety, u"Vitesse de sécurité"}};
    for (const auto &heading : headings) {
        if (key == QString::fromUtf16(heading[0]))
            return QString::fromUtf16(heading[1]);
    }
    return key;
}

// The window's five categories keep the titles of its charts.
QString heading(const QString &key) {
    static const std::pair<const char16_t *, Chart> charts[] = {{keyIso, Chart::Iso},
                                                                {keyAperture, Chart::Aperture},
                                                                {keyDrive, Chart::Drive},
                                                                {keyAutofocus, Chart::Autofocus},
                                                                {keyLens, Chart::Lens}};
    for (const auto &[chartKey, chart] : charts) {
        if (key == QString::fromUtf16(chartKey))
            return wording::title(chart).trimmed();
    }
    return ownHeading(key);
}

// One class of a chart: its label as shown (control characters visible) and its result.
struct Bar {
    QString label;
    const ClassResult *result;
};

// A table of the classes, with a bar each scaled to the largest class of the table, the bar's
// title giving the numbers to a pointer and to a screen reader.
void appendTable(QString &page, const QVector<Bar> &bars) {
    if (bars.isEmpty()) {
        page += QStringLiteral("<p class=\"vide\">Aucune photo.</p>\n");
        return;
    }
    int largest = 1;
    for (const Bar &bar : bars)
        largest = std::max(largest, bar.result->count);
    page += QStringLiteral("<table><thead><tr><th scope=\"col\">Classe</th>"
                           "<th scope=\"col\"><span hidden>Barre</span></th>"
                           "<th scope=\"col\">Photos</th>"
                           "<th scope=\"col\">%</th></tr></thead><tbody>\n");
    for (const Bar &bar : bars) {
        const QString label = htmlText(bar.label);
        const QString count = QString::number(bar.result->count);
        const QString percent = QString::number(bar.result->percent);
        page += QStringLiteral("<tr><th>") + label + QStringLiteral("</th><td><svg><title>") +
                label + QStringLiteral(" :") + htmlText(bar.result->caption) +
                QStringLiteral("</title><rect width=\"") +
                QString::number(bar.result->count * 100.0 / largest, 'g', 4) +
                QStringLiteral("%\"/></svg></td><td>") + count + QStringLiteral("</td><td>") +
                percent + QStringLiteral("%</td></tr>\n");
    }
    page += QStringLiteral("</tbody></table>\n");
}

void appendCategory(QString &page, const ReportCategory &category, const QString &note) {
    const QString key = QString::fromUtf16(category.key);
    QVector<Bar> bars;
    bars.reserve(category.classes.size());
    for (const ReportClass &item : category.classes)
        bars.append({item.name, item.result});
    page += QStringLiteral("<section id=\"") + key + QStringLiteral("\" data-cle=\"") + key +
            QStringLiteral("\"><h2>") + htmlText(heading(key)) + QStringLiteral("</h2>\n");
    appendTable(page, bars);
    page += note + QStringLiteral("</section>\n");
}

// The images that could not be read: the first ten, then the others behind a summary that
// opens to them.
void appendUnread(QString &page, const QVector<UnreadImage> &unread) {
    if (unread.isEmpty())
        return;
    const auto line = [](const UnreadImage &image) {
        QString item = QStringLiteral("<li>") + htmlText(image.path);
        if (!image.reason.isEmpty())
            item += QStringLiteral(" : ") + htmlText(wording::frenchReason(image.reason));
        return item + QStringLiteral("</li>\n");
    };
    const int count = int(unread.size());
    page += QStringLiteral("<p class=\"non-lues\">") +
            (count > 1 ? QStringLiteral("%1 images n'ont pas pu être lues :").arg(count)
                       : QStringLiteral("1 image n'a pas pu être lue :")) +
            QStringLiteral("</p>\n<ul>\n");
    const int shown = std::min(count, wording::unreadImagesShown);
    for (int i = 0; i < shown; ++i)
        page += line(unread.at(i));
    page += QStringLiteral("</ul>\n");
    if (count > shown) {
        const int others = count - shown;
        page += QStringLiteral("<details><summary>") +
                (others > 1 ? QStringLiteral("… et %1 autres").arg(others)
                            : QStringLiteral("… et 1 autre")) +
                QStringLiteral("</summary><ul>\n");
        for (int i = shown; i < count; ++i)
            page += line(unread.at(i));
        page += QStringLiteral("</ul></details>\n");
    }
}

void appendSummary(QString &page, const StatisticsResults &results, const ReportSummary &summary) {
    page += QStringLiteral("<header class=\"resume\"><h1>Statistiques de prise de vue</h1>\n");
    const auto paragraph = [&page](const QString &text) {
        page += QStringLiteral("<p>") + htmlText(text) + QStringLiteral("</p>\n");
    };
    paragraph(results.fileCountLine);
    paragraph(results.rawTypeLine);
    paragraph(results.folderLine);
    const QVector<AppliedFilter> filters = appliedFilters(summary);
    if (!filters.isEmpty()) {
        QStringList phrases;
        for (const AppliedFilter &filter : filters)
            phrases << filter.phrase;
        paragraph(QStringLiteral("Filtres : ") + phrases.join(QStringLiteral(", ")));
        paragraph(QStringLiteral("Images avant filtrage : ") +
                  QString::number(summary.filesBeforeFilter));
    }
    appendUnread(page, summary.unreadImages);
    page += QStringLiteral("</header>\n");
}

// Small multiples: one chart per lens, each scaled to its own largest class.
void appendLensCategory(QString &page, const LensCategory &category) {
    const QString key = QString::fromUtf16(category.key);
    page += QStringLiteral("<section class=\"multiples\" id=\"") + key +
            QStringLiteral("\" data-cle=\"") + key + QStringLiteral("\" data-classes=\"") +
            QString::fromUtf16(category.classesKey) + QStringLiteral("\"><h2>") +
            htmlText(QString::fromUtf16(category.section)) +
            QStringLiteral("</h2>\n<div class=\"lentilles\">\n");
    for (const LensBlock &lens : category.lenses) {
        QVector<Bar> bars;
        bars.reserve(lens.classes->size());
        for (const NamedClassResult &item : *lens.classes)
            bars.append({item.name, &item});
        page += QStringLiteral("<figure><h3>") + htmlText(lens.lens) +
                QStringLiteral("</h3><p class=\"note\"><span class=\"total\">") +
                QString::number(lens.count) + QStringLiteral("</span> photos</p>\n");
        appendTable(page, bars);
        page += QStringLiteral("</figure>\n");
    }
    page += QStringLiteral("</div></section>\n");
}

} // namespace

QString htmlText(const QString &text) {
    const QString shown = visibleText(text);
    QString escaped;
    escaped.reserve(shown.size() + 8);
    for (const QChar c : shown) {
        switch (c.unicode()) {
        case u'&':
            escaped += QStringLiteral("&amp;");
            break;
        case u'<':
            escaped += QStringLiteral("&lt;");
            break;
        case u'>':
            escaped += QStringLiteral("&gt;");
            break;
        case u'"':
            escaped += QStringLiteral("&quot;");
            break;
        case u'\'':
            escaped += QStringLiteral("&#39;");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

QString formatHtml(const StatisticsResults &results, const ReportSummary &summary) {
    QString page;
    page.reserve(64 * 1024);
    page +=
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
                       "style-src 'unsafe-inline'; img-src data:\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                       "<title>Statistiques de prise de vue</title>\n<style>");
    page += QString::fromUtf8(pageStyle);
    page += QStringLiteral("</style>\n</head>\n<body>\n");
    appendSummary(page, results, summary);
    page += QStringLiteral("<main>\n");

    // The texte format's order; its notes stand under their charts.
    const QVector<ReportCategory> all = categories(results);
    for (int c = 0; c < all.size(); ++c) {
        QString note;
        if (all[c].key == keyDrive)
            note = QStringLiteral("<p class=\"note\">") + htmlText(wording::selfTimerNote()) +
                   QStringLiteral("</p>\n");
        if (c == lensCategory && results.uncountedLenses > 0) {
            const NamedClassResult uncounted = uncountedLenses(results);
            note = QStringLiteral("<p class=\"note non-comptes\" data-objectifs=\"") +
                   QString::number(results.uncountedLenses) + QStringLiteral("\" data-photos=\"") +
                   QString::number(uncounted.count) +
                   QStringLiteral("\">Objectifs non comptés, au-delà des 30 premiers : ") +
                   htmlText(uncounted.name + QLatin1Char(',') + uncounted.caption) +
                   QStringLiteral("</p>\n");
        }
        appendCategory(page, all[c], note);
    }
    for (const LensCategory &category : lensCategories(results))
        appendLensCategory(page, category);
    page += QStringLiteral("</main>\n</body>\n</html>\n");
    return page;
}

} // namespace kadrilo::report
