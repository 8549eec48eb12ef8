#include "report/report_format.h"

#include "analysis/results.h"
#include "analysis/wording.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVector>

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

// The five categories in the order of the window's tabs. The aperture classes take the
// photographer's name ("F/2.8"), not the chart's row label, which lost a slash on row 8.
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
    ReportCategory lenses{keyLens, {}};
    for (const LensResult &lens : results.lenses)
        lenses.classes.append({lens.name, lens.name + QStringLiteral(" :"), &lens});
    all << lenses;
    return all;
}

void appendClasses(QString &text, const ReportCategory &category) {
    for (const ReportClass &item : category.classes)
        text += item.caption + item.result->caption + QLatin1Char('\n');
}

void appendTab(QString &text, wording::Tab tab) {
    text += QStringLiteral("\n[") + wording::tabName(tab) + QStringLiteral("]\n");
}

} // namespace

QString formatTexte(const StatisticsResults &results) {
    const QVector<ReportCategory> all = categories(results);
    QString text;
    text += results.fileCountLine + QLatin1Char('\n');
    text += results.rawTypeLine + QLatin1Char('\n');
    text += results.folderLine + QLatin1Char('\n');

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
    summary.insert(QStringLiteral("dossier"), results.folder);
    summary.insert(QStringLiteral("lignes"),
                   QJsonArray{results.fileCountLine, results.rawTypeLine, results.folderLine});

    QJsonObject root;
    root.insert(QStringLiteral("resume"), summary);
    for (const ReportCategory &category : categories(results)) {
        QJsonArray classes;
        for (const ReportClass &item : category.classes) {
            classes.append(QJsonObject{{QStringLiteral("classe"), item.name},
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
