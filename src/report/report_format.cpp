#include "report/report_format.h"

#include "report/report_results.h"
#include "stats/chart_labels.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kadrilo::report {

namespace {

void appendClasses(QString &text, const ReportResults &results, const char16_t *key) {
    const ReportCategory *category = results.category(QString::fromUtf16(key));
    if (!category)
        return;
    for (const ReportClass &item : category->classes)
        text += item.caption + item.result + QLatin1Char('\n');
}

void appendTab(QString &text, const QString &tab) {
    text += QStringLiteral("\n[") + tab + QStringLiteral("]\n");
}

} // namespace

QString formatTexte(const ReportResults &results) {
    QString text;
    text += results.filesLine + QLatin1Char('\n');
    text += results.typeLine + QLatin1Char('\n');
    text += results.folderLine + QLatin1Char('\n');

    appendTab(text, captions::tabIso());
    appendClasses(text, results, keyIso);
    appendTab(text, captions::tabAperture());
    appendClasses(text, results, keyAperture);
    appendTab(text, captions::tabSpeed());
    text += chart_labels::notAvailableNotice() + QLatin1Char('\n');
    appendTab(text, captions::tabDrive());
    appendClasses(text, results, keyDrive);
    text += chart_labels::selfTimerNote() + QLatin1Char('\n');
    appendClasses(text, results, keyAutofocus);
    appendTab(text, captions::tabLens());
    appendClasses(text, results, keyLens);
    appendTab(text, captions::tabFocal());
    text += chart_labels::notAvailableNotice() + QLatin1Char('\n');
    return text;
}

QString csvField(const QString &field) {
    const bool needsQuotes = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
                             field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'));
    if (!needsQuotes)
        return field;
    QString quoted = field;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString formatCsv(const ReportResults &results) {
    QString text = QStringLiteral("categorie,classe,photos,pourcentage\n");
    for (const ReportCategory &category : results.categories) {
        for (const ReportClass &item : category.classes) {
            text += csvField(category.key) + QLatin1Char(',') + csvField(item.name) +
                    QLatin1Char(',') + QString::number(item.photos) + QLatin1Char(',') +
                    QString::number(item.percent) + QLatin1Char('\n');
        }
    }
    return text;
}

QByteArray formatJson(const ReportResults &results) {
    QJsonObject summary;
    summary.insert(QStringLiteral("fichiers"), results.files);
    summary.insert(QStringLiteral("type"), results.rawType);
    summary.insert(QStringLiteral("dossier"), results.folder);
    summary.insert(QStringLiteral("lignes"),
                   QJsonArray{results.filesLine, results.typeLine, results.folderLine});

    QJsonObject root;
    root.insert(QStringLiteral("resume"), summary);
    for (const ReportCategory &category : results.categories) {
        QJsonArray classes;
        for (const ReportClass &item : category.classes) {
            classes.append(QJsonObject{{QStringLiteral("classe"), item.name},
                                       {QStringLiteral("photos"), item.photos},
                                       {QStringLiteral("pourcentage"), item.percent}});
        }
        root.insert(category.key, classes);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray formatReport(const ReportResults &results, ReportFormat format) {
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
