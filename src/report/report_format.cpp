#include "report/report_format.h"

#include "analysis/results.h"
#include "analysis/wording.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVector>

#include <algorithm>

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

// A category whose classes are known by name: the lenses and the report's own three. The
// names come from the files: each format shows their control characters.
ReportCategory namedCategory(const char16_t *key, const QVector<NamedClassResult> &results) {
    ReportCategory category{key, {}};
    for (const NamedClassResult &result : results)
        category.classes.append(
            {result.name, visibleText(result.name) + QStringLiteral(" :"), &result});
    return category;
}

// The five categories in the order of the window's tabs, then the report's own three. The
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
    return all;
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
    appendClasses(text, all[4]);
    appendTab(text, wording::Tab::Focal);
    text += notice;

    // The report's own categories, which the window's tabs do not show.
    appendSection(text, QStringLiteral("Focales utilisées"));
    appendClasses(text, all[5]);
    appendSection(text, QStringLiteral("Vitesses d'obturation"));
    appendClasses(text, all[6]);
    appendSection(text, QStringLiteral("Boîtiers"));
    appendClasses(text, all[7]);
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
    for (const ReportCategory &category : categories(results)) {
        const QString key = QString::fromUtf16(category.key);
        for (const ReportClass &item : category.classes) {
            text += key + QLatin1Char(',') + csvField(item.name) + QLatin1Char(',') +
                    QString::number(item.result->count) + QLatin1Char(',') +
                    QString::number(item.result->percent) + QLatin1Char('\n');
        }
    }
    return text;
}

QByteArray formatJson(const StatisticsResults &results) {
    QJsonObject summary;
    summary.insert(QStringLiteral("fichiers"), results.files);
    summary.insert(QStringLiteral("type"), results.rawType);
    summary.insert(QStringLiteral("dossier"), visibleText(results.folder));
    summary.insert(QStringLiteral("lignes"), QJsonArray{results.fileCountLine, results.rawTypeLine,
                                                        visibleText(results.folderLine)});

    QJsonObject root;
    root.insert(QStringLiteral("resume"), summary);
    for (const ReportCategory &category : categories(results)) {
        QJsonArray classes;
        for (const ReportClass &item : category.classes) {
            classes.append(QJsonObject{{QStringLiteral("classe"), visibleText(item.name)},
                                       {QStringLiteral("photos"), item.result->count},
                                       {QStringLiteral("pourcentage"), item.result->percent}});
        }
        root.insert(QString::fromUtf16(category.key), classes);
    }
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
