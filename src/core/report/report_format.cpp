#include "report/report_format.h"

#include "analysis/results.h"
#include "analysis/wording.h"
#include "report/report_html.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVector>

#include <algorithm>
#include <iterator>

namespace kadrilo::report {

namespace {

template <std::size_t N>
ReportCategory category(const char16_t *key, const QStringList &names, QString (*caption)(int),
                        const std::array<ClassResult, N> &results) {
    ReportCategory category{key, {}};
    for (std::size_t k = 0; k < N; ++k)
        category.classes.append({names.value(int(k)), caption(int(k) + 1), &results[k]});
    return category;
}

// A category whose classes are known by name: the lenses and the report's own. The
// names come from the files: each format shows their control characters.
ReportCategory namedCategory(const char16_t *key, const QVector<NamedClassResult> &results) {
    ReportCategory category{key, {}};
    for (const NamedClassResult &result : results)
        category.classes.append(
            {result.name, visibleText(result.name) + QStringLiteral(" :"), &result});
    return category;
}

} // namespace

// The aperture classes take the photographer's name ("F/2.8"), not the chart's row label,
// which lost a slash on row 8.
QVector<ReportCategory> categories(const StatisticsResults &results) {
    QStringList apertureNames;
    for (int bucket = 1; bucket <= 24; ++bucket)
        apertureNames << wording::apertureName(bucket);

    QVector<ReportCategory> all;
    all << category(keyIso, wording::rowLabels(Chart::Iso), wording::isoBandCaption, results.iso);
    all << category(keyAperture, apertureNames, wording::apertureCaption, results.aperture);
    all << category(keyDrive, wording::rowLabels(Chart::Drive), wording::driveCaption,
                    results.drive);
    all << category(keyAutofocus, wording::rowLabels(Chart::Autofocus), wording::autofocusCaption,
                    results.autofocus);
    all << namedCategory(keyLens, results.lenses);
    all << namedCategory(keyFocal, results.focalLengths);
    all << namedCategory(keyExposure, results.exposureTimes);
    all << namedCategory(keyModel, results.models);
    all << namedCategory(keyFocal35, results.focalLengths35);
    all << namedCategory(keyHours, results.hours);
    all << namedCategory(keyMonths, results.months);
    all << namedCategory(keyYears, results.years);
    all << namedCategory(keySafety, results.shutterSafety);
    return all;
}

namespace {

// The section of each category of categories() in texte: the window's tab, then the report's
// own sections (the drive and autofocus modes share one tab).
QStringList sectionNames() {
    QStringList names{wording::tabName(wording::Tab::Iso), wording::tabName(wording::Tab::Aperture),
                      wording::tabName(wording::Tab::DriveAndAutofocus),
                      wording::tabName(wording::Tab::DriveAndAutofocus),
                      wording::tabName(wording::Tab::Lens)};
    for (const char16_t *own :
         {u"Focales utilisées", u"Vitesses d'obturation", u"Boîtiers",
          u"Focales en équivalent 35 mm", u"Heures", u"Mois", u"Années", u"Vitesse de sécurité"})
        names << QString::fromUtf16(own);
    return names;
}

} // namespace

QVector<LensCategory> lensCategories(const StatisticsResults &results) {
    LensCategory safety{keyLensSafety, u"Vitesse de sécurité par objectif", u"classes", {}};
    for (const LensClassesResult &lens : results.lensShutterSafety)
        safety.lenses.append({lens.lens, lens.count, &lens.classes});
    LensCategory focal{keyLensFocal, u"Focales par objectif", u"focales", {}};
    for (const LensFocalResult &lens : results.lensFocalLengths)
        focal.lenses.append({lens.lens, lens.count, &lens.focalLengths});
    return {safety, focal};
}

QVector<AppliedFilter> appliedFilters(const ReportSummary &summary) {
    QVector<AppliedFilter> filters;
    const auto text = [&filters](const char *key, const QString &value, const char *what) {
        if (!value.isEmpty())
            filters.append({QString::fromLatin1(key), visibleText(value),
                            QString::fromUtf8(what) + QStringLiteral(" contenant ") +
                                wording::quoted(visibleText(value))});
    };
    const auto day = [&filters](const char *key, const QDate &value, const char *what) {
        if (value.isValid())
            filters.append({QString::fromLatin1(key), value.toString(Qt::ISODate),
                            QString::fromUtf8(what) + value.toString(Qt::ISODate)});
    };
    text("objectif", summary.lensFilter, "objectif");
    text("boitier", summary.modelFilter, "boîtier");
    day("depuis", summary.sinceFilter, "depuis le ");
    day("jusqu_au", summary.untilFilter, "jusqu'au ");
    return filters;
}

QString appliedFiltersText(const ReportSummary &summary) {
    QStringList phrases;
    for (const AppliedFilter &filter : appliedFilters(summary))
        phrases << filter.phrase;
    const QString last = phrases.isEmpty() ? QString() : phrases.takeLast();
    return phrases.isEmpty() ? last
                             : phrases.join(QStringLiteral(", ")) + QStringLiteral(" et ") + last;
}

// "<n> objectifs" past the 30th ("1 objectif"), with their photos.
NamedClassResult uncountedLenses(const StatisticsResults &results) {
    NamedClassResult uncounted;
    uncounted.name =
        QString::number(results.uncountedLenses) +
        (results.uncountedLenses > 1 ? QStringLiteral(" objectifs") : QStringLiteral(" objectif"));
    uncounted.count = results.uncountedLensPhotos;
    uncounted.percent = percentage(uncounted.count, results.files);
    uncounted.caption = resultCaption(uncounted.count, uncounted.percent);
    return uncounted;
}

namespace {

// One row of the csv form: the category, the class and its numbers.
struct CsvRow {
    QString category;
    QString name;
    int count;
    int percent;
};

QVector<CsvRow> csvRows(const StatisticsResults &results) {
    QVector<CsvRow> rows;
    const QVector<ReportCategory> all = categories(results);
    for (int c = 0; c < all.size(); ++c) {
        const QString key = QString::fromUtf16(all[c].key);
        for (const ReportClass &item : all[c].classes)
            rows.append({key, item.name, item.result->count, item.result->percent});
        if (c == lensCategory && results.uncountedLenses > 0) {
            const NamedClassResult uncounted = uncountedLenses(results);
            rows.append({QString::fromUtf16(keyUncountedLenses), uncounted.name, uncounted.count,
                         uncounted.percent});
        }
    }
    for (const LensCategory &category : lensCategories(results)) {
        for (const LensBlock &lens : category.lenses) {
            const QString key =
                QString::fromUtf16(category.key) + QStringLiteral(" : ") + lens.lens;
            for (const NamedClassResult &item : *lens.classes)
                rows.append({key, item.name, item.count, item.percent});
        }
    }
    return rows;
}

QJsonObject classObject(const QString &name, const ClassResult &result) {
    return QJsonObject{{QStringLiteral("classe"), visibleText(name)},
                       {QStringLiteral("photos"), result.count},
                       {QStringLiteral("pourcentage"), result.percent}};
}

// Every category of `results` into `object`, under its key.
void insertCategories(QJsonObject &object, const StatisticsResults &results) {
    for (const ReportCategory &category : categories(results)) {
        QJsonArray classes;
        for (const ReportClass &item : category.classes)
            classes.append(classObject(item.name, *item.result));
        object.insert(QString::fromUtf16(category.key), classes);
    }
    for (const LensCategory &category : lensCategories(results)) {
        QJsonArray lenses;
        for (const LensBlock &lens : category.lenses) {
            QJsonArray classes;
            for (const NamedClassResult &item : *lens.classes)
                classes.append(classObject(item.name, item));
            lenses.append(QJsonObject{{QStringLiteral("objectif"), visibleText(lens.lens)},
                                      {QStringLiteral("photos"), lens.count},
                                      {QString::fromUtf16(category.classesKey), classes}});
        }
        object.insert(QString::fromUtf16(category.key), lenses);
    }
    object.insert(QString::fromUtf16(keyUncountedLenses),
                  QJsonObject{{QStringLiteral("objectifs"), results.uncountedLenses},
                              {QStringLiteral("photos"), results.uncountedLensPhotos}});
}

void appendClasses(QString &text, const ReportCategory &category) {
    for (const ReportClass &item : category.classes)
        text += item.caption + item.result->caption + QLatin1Char('\n');
}

void appendSection(QString &text, const QString &name) {
    text += QStringLiteral("\n[") + name + QStringLiteral("]\n");
}

void appendTab(QString &text, wording::Tab tab) {
    appendSection(text, wording::tabName(tab));
}

// The three summary lines, then the filters that applied and the images before filtering.
void appendSummary(QString &text, const StatisticsResults &results, const ReportSummary &summary) {
    text += results.fileCountLine + QLatin1Char('\n');
    text += results.rawTypeLine + QLatin1Char('\n');
    text += visibleText(results.folderLine) + QLatin1Char('\n');
    const QVector<AppliedFilter> filters = appliedFilters(summary);
    if (filters.isEmpty())
        return;
    QStringList phrases;
    for (const AppliedFilter &filter : filters)
        phrases << filter.phrase;
    text += QStringLiteral("Filtres : ") + phrases.join(QStringLiteral(", ")) + QLatin1Char('\n');
    text += QStringLiteral("Images avant filtrage : ") +
            QString::number(summary.filesBeforeFilter) + QLatin1Char('\n');
}

// The value of --par, as the json summary gives it.
QString groupByName(GroupBy by) {
    switch (by) {
    case GroupBy::Body:
        return QStringLiteral("boitier");
    case GroupBy::Lens:
        return QStringLiteral("objectif");
    case GroupBy::Year:
        return QStringLiteral("annee");
    case GroupBy::None:
        break;
    }
    return {};
}

// A group's name as a column or a csv field shows it: "autres" with the groups it holds.
QString groupLabel(const ReportGroup &group) {
    if (group.groupsHeld <= 1)
        return group.name;
    return group.name + QStringLiteral(" (%1 groupes)").arg(group.groupsHeld);
}

// " 12 photos (20%)" without the blank: a cell of the side-by-side tables.
QString groupCell(const ClassResult *result) {
    const int count = result ? result->count : 0;
    const int percent = result ? result->percent : 0;
    return QStringLiteral("%1 photos (%2%)").arg(count).arg(percent);
}

// Rows of a label and one cell per group, in aligned columns, " | " between the cells; an
// empty row is a blank line.
void appendTable(QString &text, const QVector<QStringList> &rows) {
    QVector<qsizetype> widths;
    for (const QStringList &row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    }
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i) {
            const bool last = i + 1 == row.size();
            line += last ? row[i] : row[i].leftJustified(widths[i]);
            if (!last)
                line += i == 0 ? QStringLiteral(" ") : QStringLiteral(" | ");
        }
        text += line + QLatin1Char('\n');
    }
}

// The result named `name` in `category`; null when the category has no such class.
const ClassResult *findClass(const ReportCategory &category, const QString &name) {
    for (const ReportClass &item : category.classes) {
        if (item.name == name)
            return item.result;
    }
    return nullptr;
}

const ClassResult *findClass(const QVector<NamedClassResult> &classes, const QString &name) {
    for (const NamedClassResult &item : classes) {
        if (item.name == name)
            return &item;
    }
    return nullptr;
}

// The names of `names` followed by those only `more` has, each once.
void addNames(QStringList &names, const QStringList &more) {
    for (const QString &name : more) {
        if (!names.contains(name))
            names << name;
    }
}

bool isShownEscaped(QChar c) {
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == 0x2028 || u == 0x2029;
}

} // namespace

QString formatTexte(const StatisticsResults &results, const ReportSummary &summary) {
    const QVector<ReportCategory> all = categories(results);
    QString text;
    appendSummary(text, results, summary);
    const QString notice = wording::notAvailableNotice() + QLatin1Char('\n');
    appendTab(text, wording::Tab::Iso);
    appendClasses(text, all[0]);
    appendTab(text, wording::Tab::Aperture);
    appendClasses(text, all[1]);
    appendTab(text, wording::Tab::Speed);
    text += notice;
    appendTab(text, wording::Tab::DriveAndAutofocus);
    appendClasses(text, all[2]);
    text += wording::selfTimerNote() + QLatin1Char('\n');
    appendClasses(text, all[3]);
    appendTab(text, wording::Tab::Lens);
    appendClasses(text, all[lensCategory]);
    if (results.uncountedLenses > 0) {
        const NamedClassResult uncounted = uncountedLenses(results);
        text += QStringLiteral("Objectifs non comptés, au-delà des 30 premiers : ") +
                uncounted.name + QLatin1Char(',') + uncounted.caption + QLatin1Char('\n');
    }
    appendTab(text, wording::Tab::Focal);
    text += notice;

    // The report's own categories, which the window's tabs do not show.
    const QStringList sections = sectionNames();
    for (int i = lensCategory + 1; i < all.size(); ++i) {
        appendSection(text, sections[i]);
        appendClasses(text, all[i]);
    }
    for (const LensCategory &category : lensCategories(results)) {
        appendSection(text, QString::fromUtf16(category.section));
        for (int i = 0; i < category.lenses.size(); ++i) {
            const LensBlock &lens = category.lenses[i];
            if (i > 0)
                text += QLatin1Char('\n');
            text += visibleText(lens.lens) + QStringLiteral(" : ") + QString::number(lens.count) +
                    QStringLiteral(" photos\n");
            for (const NamedClassResult &item : *lens.classes)
                text += QStringLiteral("  ") + item.name + QStringLiteral(" :") + item.caption +
                        QLatin1Char('\n');
        }
    }
    return text;
}

namespace {

// The categories counted per lens, side by side: per lens of the whole report, its photos
// in each group, then its classes.
void appendGroupedLenses(QString &text, const StatisticsResults &results,
                         const QStringList &headings,
                         const QVector<QVector<LensCategory>> &groupedLenses) {
    const QVector<LensCategory> lensAll = lensCategories(results);
    for (int c = 0; c < lensAll.size(); ++c) {
        appendSection(text, QString::fromUtf16(lensAll[c].section));
        QVector<QStringList> rows{headings};
        for (const LensBlock &lens : lensAll[c].lenses) {
            if (rows.size() > 1)
                rows << QStringList();
            QVector<const LensBlock *> inGroups;
            QStringList names;
            for (const NamedClassResult &item : *lens.classes)
                names << item.name;
            QStringList row{visibleText(lens.lens) + QStringLiteral(" :")};
            for (const QVector<LensCategory> &group : groupedLenses) {
                const auto &lenses = group[c].lenses;
                const auto found =
                    std::find_if(lenses.begin(), lenses.end(),
                                 [&lens](const LensBlock &b) { return b.lens == lens.lens; });
                inGroups << (found == lenses.end() ? nullptr : &*found);
                row << QStringLiteral("%1 photos").arg(inGroups.back() ? found->count : 0);
                if (inGroups.back()) {
                    for (const NamedClassResult &item : *found->classes)
                        addNames(names, {item.name});
                }
            }
            rows << row;
            for (const QString &name : names) {
                QStringList classRow{QStringLiteral("  ") + name + QStringLiteral(" :")};
                for (const LensBlock *inGroup : inGroups)
                    classRow << groupCell(inGroup ? findClass(*inGroup->classes, name) : nullptr);
                rows << classRow;
            }
        }
        appendTable(text, rows);
    }
}

} // namespace

QString formatGroupedTexte(const StatisticsResults &results, const ReportSummary &summary,
                           const ReportGroups &groups) {
    QString text;
    appendSummary(text, results, summary);
    static const char16_t *const phrases[] = {u"", u"par boîtier", u"par objectif", u"par année"};
    QStringList named;
    QStringList headings{QString()};
    QVector<QVector<ReportCategory>> grouped;
    QVector<QVector<LensCategory>> groupedLenses;
    for (const ReportGroup &group : groups.groups) {
        const QString label = visibleText(groupLabel(group));
        named << label + QStringLiteral(" (%1 photos)").arg(group.results.files);
        headings << label;
        grouped << categories(group.results);
        groupedLenses << lensCategories(group.results);
    }
    text += QStringLiteral("Groupes ") + QString::fromUtf16(phrases[int(groups.by)]) +
            QStringLiteral(" : ") + named.join(QStringLiteral(" | ")) + QLatin1Char('\n');

    // Each category's classes are the whole report's, which hold every group's, in its order.
    const QVector<ReportCategory> all = categories(results);
    const QStringList sections = sectionNames();
    for (int c = 0; c < all.size(); ++c) {
        if (c == 0 || sections[c] != sections[c - 1])
            appendSection(text, sections[c]);
        QStringList names;
        for (const ReportClass &item : all[c].classes)
            names << item.name;
        for (const QVector<ReportCategory> &group : grouped) {
            for (const ReportClass &item : group[c].classes)
                addNames(names, {item.name});
        }
        QVector<QStringList> rows{headings};
        for (const QString &name : names) {
            QStringList row{visibleText(name) + QStringLiteral(" :")};
            for (const QVector<ReportCategory> &group : grouped)
                row << groupCell(findClass(group[c], name));
            rows << row;
        }
        appendTable(text, rows);
    }

    appendGroupedLenses(text, results, headings, groupedLenses);
    return text;
}

QString visibleText(const QString &text) {
    if (std::none_of(text.begin(), text.end(), isShownEscaped))
        return text;
    QString shown;
    shown.reserve(text.size() + 16);
    for (const QChar c : text) {
        if (isShownEscaped(c))
            shown += QStringLiteral("\\u") +
                     QString::number(c.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QString csvField(const QString &field) {
    // A spreadsheet runs a cell that begins with one of these as a formula (a tab or carriage
    // return is skipped by some before they look).
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    QString cell = visibleText(field);
    if (!field.isEmpty() && formulaStarts.contains(field.front()))
        cell.prepend(QLatin1Char('\''));
    const bool needsQuotes = cell.contains(QLatin1Char(',')) || cell.contains(QLatin1Char('"'));
    if (!needsQuotes)
        return cell;
    cell.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + cell + QLatin1Char('"');
}

QString formatCsv(const StatisticsResults &results, const ReportGroups &groups) {
    const auto row = [](const QStringList &fields, const CsvRow &item) {
        QString line;
        for (const QString &field : fields)
            line += csvField(field) + QLatin1Char(',');
        return line + QString::number(item.count) + QLatin1Char(',') +
               QString::number(item.percent) + QLatin1Char('\n');
    };
    if (groups.by == GroupBy::None) {
        QString text = QStringLiteral("categorie,classe,photos,pourcentage\n");
        for (const CsvRow &item : csvRows(results))
            text += row({item.category, item.name}, item);
        return text;
    }
    QString text = QStringLiteral("categorie,classe,groupe,photos,pourcentage\n");
    for (const ReportGroup &group : groups.groups) {
        const QString name = groupLabel(group);
        for (const CsvRow &item : csvRows(group.results))
            text += row({item.category, item.name, name}, item);
    }
    return text;
}

QByteArray formatJson(const StatisticsResults &results, const ReportSummary &report,
                      const ReportGroups &groups) {
    QJsonObject summary;
    summary.insert(QStringLiteral("fichiers"), results.files);
    summary.insert(QStringLiteral("fichiers_avant_filtre"),
                   report.imagesBeforeFilter(results.files));
    QJsonObject filters;
    for (const AppliedFilter &filter : appliedFilters(report))
        filters.insert(filter.key, filter.value);
    summary.insert(QStringLiteral("filtres"), filters);
    summary.insert(QStringLiteral("type"), results.rawType);
    summary.insert(QStringLiteral("dossier"), visibleText(results.folder));
    summary.insert(QStringLiteral("lignes"), QJsonArray{results.fileCountLine, results.rawTypeLine,
                                                        visibleText(results.folderLine)});

    QJsonObject root;
    insertCategories(root, results);
    if (groups.by != GroupBy::None) {
        summary.insert(QStringLiteral("par"), groupByName(groups.by));
        QJsonArray shown;
        for (const ReportGroup &group : groups.groups) {
            QJsonObject object{{QStringLiteral("groupe"), visibleText(group.name)},
                               {QStringLiteral("fichiers"), group.results.files}};
            if (group.groupsHeld > 1)
                object.insert(QStringLiteral("groupes_reunis"), group.groupsHeld);
            insertCategories(object, group.results);
            shown.append(object);
        }
        root.insert(QStringLiteral("groupes"), shown);
    }
    root.insert(QStringLiteral("resume"), summary);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray formatReport(const StatisticsResults &results, const ReportSummary &summary,
                        ReportFormat format, const ReportGroups &groups) {
    switch (format) {
    case ReportFormat::Csv:
        return formatCsv(results, groups).toUtf8();
    case ReportFormat::Json:
        return formatJson(results, summary, groups);
    case ReportFormat::Html:
        return formatHtml(results, summary).toUtf8();
    case ReportFormat::Texte:
        break;
    }
    if (groups.by != GroupBy::None)
        return formatGroupedTexte(results, summary, groups).toUtf8();
    return formatTexte(results, summary).toUtf8();
}

} // namespace kadrilo::report
