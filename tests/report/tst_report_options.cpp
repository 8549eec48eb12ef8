#include "report/report_options.h"

#include <QRegularExpression>
#include <QTest>

using namespace kadrilo::report;

namespace {

// The outcome in a few words: "help", "error", or the format, "recursif" when asked and the
// folder in brackets.
QString outcome(const ParsedArguments &parsed) {
    using Action = ParsedArguments::Action;
    // A usage error says what is wrong; nothing else carries a message.
    if (parsed.error.isEmpty() == (parsed.action == Action::Error))
        return QStringLiteral("wrong message: ") + parsed.error;
    if (parsed.action != Action::Run)
        return QString::fromLatin1(parsed.action == Action::Help ? "help" : "error");
    const char *formats[] = {"texte", "csv", "json"};
    const ReportOptions &options = parsed.options;
    return QStringLiteral("%1 %2%3[%4]")
        .arg(QString::fromUtf8(formats[int(options.format)]),
             options.recursive ? QStringLiteral("recursif ") : QString(),
             options.processes ? QStringLiteral("p%1 ").arg(options.processes) : QString(),
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
        row("last format wins", {"--format", "csv", "--format", "json", "/photos"},
            "json [/photos]");
        row("double dash lets a folder begin with a dash", {"--", "-photos"}, "texte [-photos]");
        row("folder with blanks and accents stays whole", {"/mes photos/été"},
            "texte [/mes photos/été]");
        row("a lone dash is a folder name", {"-"}, "texte [-]");
        row("processes as two arguments", {"--processus", "3", "/photos"}, "texte p3 [/photos]");
        row("processes with an equals sign, 64 at most", {"--processus=64", "/photos"},
            "texte p64 [/photos]");
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
    }

    void parses() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        QCOMPARE(outcome(parseReportArguments(arguments)), expected);
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
