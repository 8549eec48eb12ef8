#include "report/report_options.h"

#include <QRegularExpression>
#include <QTest>

using namespace kadrilo::report;

namespace {

// The outcome in a few words: "help", "error", or the format, "recursif" when asked, the
// processes, the filters and "sans-cache" when given, and the folder in brackets.
QString outcome(const ParsedArguments &parsed) {
    using Action = ParsedArguments::Action;
    // A usage error says what is wrong; nothing else carries a message.
    if (parsed.error.isEmpty() == (parsed.action == Action::Error))
        return QStringLiteral("wrong message: ") + parsed.error;
    if (parsed.action != Action::Run)
        return QString::fromLatin1(parsed.action == Action::Help ? "help" : "error");
    const char *formats[] = {"texte", "csv", "json"};
    const ReportOptions &options = parsed.options;
    QString filters;
    if (!options.lens.isEmpty())
        filters += QStringLiteral("objectif=%1 ").arg(options.lens);
    if (!options.model.isEmpty())
        filters += QStringLiteral("boitier=%1 ").arg(options.model);
    if (options.since.isValid() || options.until.isValid())
        filters += QStringLiteral("%1..%2 ").arg(options.since.toString(Qt::ISODate),
                                                 options.until.toString(Qt::ISODate));
    if (!options.useCache)
        filters += QStringLiteral("sans-cache ");
    const char *groups[] = {"", "par=boitier ", "par=objectif ", "par=annee "};
    filters += QString::fromLatin1(groups[int(options.groupBy)]);
    return QStringLiteral("%1 %2%3%4[%5]")
        .arg(QString::fromUtf8(formats[int(options.format)]),
             options.recursive ? QStringLiteral("recursif ") : QString(),
             options.processes ? QStringLiteral("p%1 ").arg(options.processes) : QString(), filters,
             options.folder);
}

} // namespace

class TestReportOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parses_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, std::initializer_list<const char *> arguments,
                            const char *expected) {
            QStringList list;
            for (const char *argument : arguments)
                list << QString::fromUtf8(argument);
            QTest::addRow("%s", name) << list << QString::fromUtf8(expected);
        };
        row("folder alone: texte, this folder only", {"/photos"}, "texte [/photos]");
        row("recursif before the folder", {"--recursif", "/photos"}, "texte recursif [/photos]");
        row("options after the folder", {"/photos", "--format", "csv", "--recursif"},
            "csv recursif [/photos]");
        row("format with an equals sign", {"--format=json", "/photos"}, "json [/photos]");
        row("format texte named", {"--format", "texte", "/photos"}, "texte [/photos]");
        row("format given twice is refused", {"--format", "csv", "--format", "json", "/photos"},
            "error");
        row("double dash lets a folder begin with a dash", {"--", "-photos"}, "texte [-photos]");
        row("folder with blanks and accents stays whole", {"/mes photos/été"},
            "texte [/mes photos/été]");
        row("a lone dash is a folder name", {"-"}, "texte [-]");
        row("processes as two arguments", {"--processus", "3", "/photos"}, "texte p3 [/photos]");
        row("processes with an equals sign, 64 at most", {"--processus=64", "/photos"},
            "texte p64 [/photos]");
        row("every filter, in both forms",
            {"--objectif", "24-70", "--boitier=5D Mark", "--depuis", "2023-01-01",
             "--jusqu-au=2023-12-31", "/photos"},
            "texte objectif=24-70 boitier=5D Mark 2023-01-01..2023-12-31 [/photos]");
        row("one day: since and until equal",
            {"--depuis=2024-02-29", "--jusqu-au=2024-02-29", "/p"},
            "texte 2024-02-29..2024-02-29 [/p]");
        row("since alone", {"--depuis", "1999-12-31", "/p"}, "texte 1999-12-31.. [/p]");
        row("a text that begins with a dash", {"--objectif", "-II", "/p"},
            "texte objectif=-II [/p]");
        row("without the cache", {"--sans-cache", "/p"}, "texte sans-cache [/p]");
        row("side by side per body", {"--par", "boitier", "/p"}, "texte par=boitier [/p]");
        row("per lens with an equals sign, after a filter",
            {"--objectif", "24", "--par=objectif", "/p"}, "texte objectif=24 par=objectif [/p]");
        row("per year, as csv", {"--format=csv", "--par", "annee", "/p"}, "csv par=annee [/p]");
        row("help", {"--help"}, "help");
        row("short help, even after other arguments", {"/photos", "-h"}, "help");

        row("no argument", {}, "error");
        row("empty folder argument", {""}, "error");
        row("two folders", {"/a", "/b"}, "error");
        row("unknown format", {"--format", "xml", "/photos"}, "error");
        row("format names are lower-case", {"--format", "CSV", "/photos"}, "error");
        row("empty format after equals", {"--format=", "/photos"}, "error");
        row("format without its value", {"/photos", "--format"}, "error");
        row("english recursive option is unknown", {"--recursive", "/photos"}, "error");
        row("unknown short option", {"-r", "/photos"}, "error");
        row("zero processes", {"--processus", "0", "/photos"}, "error");
        row("more processes than allowed", {"--processus=65", "/photos"}, "error");
        row("processes not a number", {"--processus", "deux", "/photos"}, "error");
        row("processes without its number", {"/photos", "--processus"}, "error");
        row("month 13, day 45", {"--depuis", "2022-13-45", "/p"}, "error");
        row("29 February of a common year", {"--jusqu-au=2023-02-29", "/p"}, "error");
        row("day 0", {"--depuis", "2023-01-00", "/p"}, "error");
        row("date without leading zeros", {"--depuis", "2023-2-3", "/p"}, "error");
        row("date with slashes", {"--depuis", "2023/02/03", "/p"}, "error");
        row("date with a time", {"--jusqu-au", "2023-02-03T10:00", "/p"}, "error");
        row("date in day-month-year order", {"--depuis", "03-02-2023", "/p"}, "error");
        row("since after until", {"--depuis", "2023-06-02", "--jusqu-au", "2023-06-01", "/p"},
            "error");
        row("empty lens text", {"--objectif", "", "/p"}, "error");
        row("empty body text after equals", {"--boitier=", "/p"}, "error");
        row("date without its value", {"/p", "--jusqu-au"}, "error");
        row("lens without its text", {"/p", "--objectif"}, "error");
        row("lens given twice", {"--objectif", "24", "--objectif=70", "/p"}, "error");
        row("since given twice, even equal",
            {"--depuis", "2023-01-01", "--depuis=2023-01-01", "/p"}, "error");
        row("recursif given twice", {"--recursif", "/p", "--recursif"}, "error");
        row("processes given twice", {"--processus=2", "--processus", "2", "/p"}, "error");
        row("sans-cache given twice", {"--sans-cache", "--sans-cache", "/p"}, "error");
        row("sans-cache takes no value", {"--sans-cache=oui", "/p"}, "error");
        row("par given twice, even equal", {"--par", "annee", "--par=annee", "/p"}, "error");
        row("par with another value", {"--par", "mois", "/p"}, "error");
        row("par values are lower-case, without accents", {"--par=année", "/p"}, "error");
        row("par without its value", {"/p", "--par"}, "error");
        row("par with the page", {"--par=annee", "--format", "html", "/p"}, "error");
    }

    void parses() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        QCOMPARE(outcome(parseReportArguments(arguments)), expected);
    }

    // The folder keeps the bytes it was given, whatever the other arguments hold: a filter
    // whose text reads like the folder's name is never taken for it.
    void folderKeepsItsBytes_data() {
        QTest::addColumn<QList<QByteArray>>("arguments");
        QTest::addColumn<QByteArray>("folder");
        QTest::addRow("Latin-1 filter and folder")
            << QList<QByteArray>{"--objectif", "ph\xe9", "ph\xe8"} << QByteArray("ph\xe8");
        QTest::addRow("filter equal to the folder")
            << QList<QByteArray>{"ph\xe9", "--boitier=ph\xe9"} << QByteArray("ph\xe9");
        QTest::addRow("after the end of the options")
            << QList<QByteArray>{"--recursif", "--", "-ph\xe9"} << QByteArray("-ph\xe9");
    }

    void folderKeepsItsBytes() {
        QFETCH(QList<QByteArray>, arguments);
        QFETCH(QByteArray, folder);
        const ParsedArguments parsed = parseReportRequest(arguments);
        QCOMPARE(parsed.action, ParsedArguments::Action::Run);
        QCOMPARE(parsed.options.folderArgument, folder);
    }

    // A refused value is named as given, even when it looks like a placeholder of the message.
    void refusedValueIsQuotedAsGiven() {
        const QStringList refused[] = {{QStringLiteral("--processus"), QStringLiteral("%1")},
                                       {QStringLiteral("--format"), QStringLiteral("%1 %2")},
                                       {QStringLiteral("--depuis"), QStringLiteral("%2")},
                                       {QStringLiteral("--par"), QStringLiteral("%1")},
                                       {QStringLiteral("--%1")}};
        for (const QStringList &arguments : refused) {
            const QString error =
                parseReportArguments(arguments + QStringList{QStringLiteral("/p")}).error;
            QVERIFY2(error.contains(QStringLiteral("« ") + arguments.last() + QStringLiteral(" »")),
                     qPrintable(error));
        }
    }

    void usageListsEveryExitStatus() {
        for (const int status :
             {ExitOk, ExitBadUsage, ExitFolderUnreadable, ExitExiftoolMissing, ExitNoTagFile,
              ExitTempFolderFailed, ExitExiftoolAborted, ExitTagFilesNotWritten, ExitImagesUnread,
              ExitOutputFailed, ExitInterrupted}) {
            const QRegularExpression line(QStringLiteral("\n +%1  \\S").arg(status));
            QVERIFY2(usageText().contains(line), qPrintable(line.pattern()));
        }
    }
};

QTEST_GUILESS_MAIN(TestReportOptions)
#include "tst_report_options.moc"
