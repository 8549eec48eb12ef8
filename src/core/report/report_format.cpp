#include "report/report_format.h"

#include "analysis/results.h"
#include "analysis/wording.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVector>

#include <algorithm>
#include <iterator>

namespace kadrilo::report {

namespace {

// One class of a category as the report prints it: its short name (the chart's label, or
// the lens name), the window's caption beside its result, and the result itself.
struct ReportClass {
    QString name;
    QString caption;
    const ClassResult *result;
};

struct ReportCategory {
    const char16_t *key;
    QVector<ReportClass> classes;
};

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

// The five categories in the order of the window's tabs, then the report's own (but the
// focal lengths per lens, which have a shape of their own). The
// aperture classes take the photographer's name ("F/2.8"), not the chart's row label, which
// lost a slash on row 8.
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
    return all;
}

// The index in categories() of the lenses, after which the lenses past the 30th are told.
constexpr int lensCategory = 4;

// The filters that applied, each as a key of the json summary, the value given and the
// phrase of the texte summary.
struct AppliedFilter {
    QString key;
    QString value;
    QString phrase;
};

QVector<AppliedFilter> appliedFilters(const StatisticsResults &results) {
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
    text("objectif", results.lensFilter, "objectif");
    text("boitier", results.modelFilter, "boîtier");
    day("depuis", results.sinceFilter, "depuis le ");
    day("jusqu_au", results.untilFilter, "jusqu'au ");
    return filters;
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

QString lensFocalCategory(const LensFocalResult &lens) {
    return QString::fromUtf16(keyLensFocal) + QStringLiteral(" : ") + lens.lens;
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

bool isShownEscaped(QChar c) {
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == 0x2028 || u == 0x2029;
}

} // namespace

QString formatTexte(const StatisticsResults &results) {
    const QVector<ReportCategory> all = categories(results);
    QString text;
    text += results.fileCountLine + QLatin1Char('\n');
    text += results.rawTypeLine + QLatin1Char('\n');
    text += visibleText(results.folderLine) + QLatin1Char('\n');
    const QVector<AppliedFilter> filters = appliedFilters(results);
    if (!filters.isEmpty()) {
        QStringList phrases;
        for (const AppliedFilter &filter : filters)
            phrases << filter.phrase;
        text +=
            QStringLiteral("Filtres : ") + phrases.join(QStringLiteral(", ")) + QLatin1Char('\n');
        text += QStringLiteral("Images avant filtrage : ") +
                QString::number(results.filesBeforeFilter) + QLatin1Char('\n');
    }

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
    static const char16_t *const ownSections[] = {u"Focales utilisées",
                                                  u"Vitesses d'obturation",
                                                  u"Boîtiers",
                                                  u"Focales en équivalent 35 mm",
                                                  u"Heures",
                                                  u"Mois",
                                                  u"Années"};
    constexpr int firstOwnCategory = 5;
    for (int i = 0; i < int(std::size(ownSections)); ++i) {
        appendSection(text, QString::fromUtf16(ownSections[i]));
        appendClasses(text, all[firstOwnCategory + i]);
    }
    appendSection(text, QStringLiteral("Focales par objectif"));
    for (int i = 0; i < results.lensFocalLengths.size(); ++i) {
        const LensFocalResult &lens = results.lensFocalLengths[i];
        if (i > 0)
            text += QLatin1Char('\n');
        text += visibleText(lens.lens) + QStringLiteral(" : ") + QString::number(lens.count) +
                QStringLiteral(" photos\n");
        for (const NamedClassResult &focal : lens.focalLengths)
            text += QStringLiteral("  ") + focal.name + QStringLiteral(" :") + focal.caption +
                    QLatin1Char('\n');
    }
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

QString formatCsv(const StatisticsResults &results) {
    QString text = QStringLiteral("categorie,classe,photos,pourcentage\n");
    const auto row = [&text](const QString &category, const QString &name,
                             const ClassResult &result) {
        text += csvField(category) + QLatin1Char(',') + csvField(name) + QLatin1Char(',') +
                QString::number(result.count) + QLatin1Char(',') + QString::number(result.percent) +
                QLatin1Char('\n');
    };
    const QVector<ReportCategory> all = categories(results);
    for (int c = 0; c < all.size(); ++c) {
        const QString key = QString::fromUtf16(all[c].key);
        for (const ReportClass &item : all[c].classes)
            row(key, item.name, *item.result);
        if (c == lensCategory && results.uncountedLenses > 0) {
            const NamedClassResult uncounted = uncountedLenses(results);
            row(QString::fromUtf16(keyUncountedLenses), uncounted.name, uncounted);
        }
    }
    for (const LensFocalResult &lens : results.lensFocalLengths) {
        for (const NamedClassResult &focal : lens.focalLengths)
            row(lensFocalCategory(lens), focal.name, focal);
    }
    return text;
}

QByteArray formatJson(const StatisticsResults &results) {
    QJsonObject summary;
    summary.insert(QStringLiteral("fichiers"), results.files);
    summary.insert(QStringLiteral("fichiers_avant_filtre"), results.filesBeforeFilter);
    QJsonObject filters;
    for (const AppliedFilter &filter : appliedFilters(results))
        filters.insert(filter.key, filter.value);
    summary.insert(QStringLiteral("filtres"), filters);
    summary.insert(QStringLiteral("type"), results.rawType);
    summary.insert(QStringLiteral("dossier"), visibleText(results.folder));
    summary.insert(QStringLiteral("lignes"), QJsonArray{results.fileCountLine, results.rawTypeLine,
                                                        visibleText(results.folderLine)});

    QJsonObject root;
    root.insert(QStringLiteral("resume"), summary);
    const auto classObject = [](const QString &name, const ClassResult &result) {
        return QJsonObject{{QStringLiteral("classe"), visibleText(name)},
                           {QStringLiteral("photos"), result.count},
                           {QStringLiteral("pourcentage"), result.percent}};
    };
    for (const ReportCategory &category : categories(results)) {
        QJsonArray classes;
        for (const ReportClass &item : category.classes)
            classes.append(classObject(item.name, *item.result));
        root.insert(QString::fromUtf16(category.key), classes);
    }
    QJsonArray lenses;
    for (const LensFocalResult &lens : results.lensFocalLengths) {
        QJsonArray focalLengths;
        for (const NamedClassResult &focal : lens.focalLengths)
            focalLengths.append(classObject(focal.name, focal));
        lenses.append(QJsonObject{{QStringLiteral("objectif"), visibleText(lens.lens)},
                                  {QStringLiteral("photos"), lens.count},
                                  {QStringLiteral("focales"), focalLengths}});
    }
    root.insert(QString::fromUtf16(keyLensFocal), lenses);
    root.insert(QString::fromUtf16(keyUncountedLenses),
                QJsonObject{{QStringLiteral("objectifs"), results.uncountedLenses},
                            {QStringLiteral("photos"), results.uncountedLensPhotos}});
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray formatReport(const StatisticsResults &results, ReportFormat format) {
    switch (format) {
    case ReportFormat::Csv:
        return formatCsv(results).toUtf8();
    case ReportFormat::Json:
        return formatJson(results);
    case ReportFormat::Texte:
        break;
    }
    return formatTexte(results).toUtf8();
}

} // namespace kadrilo::report
