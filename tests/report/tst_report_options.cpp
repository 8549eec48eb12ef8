#include "report/report_options.h"

#include <QRegularExpression>
#include <QTest>

using kadrilo::report::ParsedArguments;
using kadrilo::report::ReportFormat;
using Action = ParsedArguments::Action;

Q_DECLARE_METATYPE(ReportFormat)
Q_DECLARE_METATYPE(Action)

class TestReportOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parses_data();
    void parses();
    void usageListsEveryExitStatus_data();
    void usageListsEveryExitStatus();
};

void TestReportOptions::parses_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Action>("action");
    QTest::addColumn<bool>("recursive");
    QTest::addColumn<ReportFormat>("format");
    QTest::addColumn<QString>("folder");

    const auto run = Action::Run;
    const auto error = Action::Error;
    const auto texte = ReportFormat::Texte;
    const auto csv = ReportFormat::Csv;
    const auto json = ReportFormat::Json;
    const QString photos = QStringLiteral("/photos");
    const QString none;
    auto args = [](std::initializer_list<const char *> list) {
        QStringList result;
        for (const char *item : list)
            result << QString::fromUtf8(item);
        return result;
    };

    QTest::addRow("folder alone: texte, this folder only")
        << args({"/photos"}) << run << false << texte << photos;
    QTest::addRow("recursif before the folder")
        << args({"--recursif", "/photos"}) << run << true << texte << photos;
    QTest::addRow("options after the folder")
        << args({"/photos", "--format", "csv", "--recursif"}) << run << true << csv << photos;
    QTest::addRow("format with an equals sign")
        << args({"--format=json", "/photos"}) << run << false << json << photos;
    QTest::addRow("format texte named")
        << args({"--format", "texte", "/photos"}) << run << false << texte << photos;
    QTest::addRow("last format wins") << args({"--format", "csv", "--format", "json", "/photos"})
                                      << run << false << json << photos;
    QTest::addRow("double dash lets a folder begin with a dash")
        << args({"--", "-photos"}) << run << false << texte << QStringLiteral("-photos");
    QTest::addRow("folder with blanks and accents stays whole")
        << args({"/mes photos/été"}) << run << false << texte << QStringLiteral("/mes photos/été");
    QTest::addRow("a lone dash is a folder name")
        << args({"-"}) << run << false << texte << QStringLiteral("-");
    QTest::addRow("help") << args({"--help"}) << Action::Help << false << texte << none;
    QTest::addRow("short help, even after other arguments")
        << args({"/photos", "-h"}) << Action::Help << false << texte << none;

    QTest::addRow("no argument") << args({}) << error << false << texte << none;
    QTest::addRow("empty folder argument") << args({""}) << error << false << texte << none;
    QTest::addRow("only options") << args({"--recursif", "--format", "csv"}) << error << false
                                  << texte << none;
    QTest::addRow("two folders") << args({"/a", "/b"}) << error << false << texte << none;
    QTest::addRow("unknown format")
        << args({"--format", "xml", "/photos"}) << error << false << texte << none;
    QTest::addRow("format names are lower-case")
        << args({"--format", "CSV", "/photos"}) << error << false << texte << none;
    QTest::addRow("empty format after equals")
        << args({"--format=", "/photos"}) << error << false << texte << none;
    QTest::addRow("format without its value")
        << args({"/photos", "--format"}) << error << false << texte << none;
    QTest::addRow("english recursive option is unknown")
        << args({"--recursive", "/photos"}) << error << false << texte << none;
    QTest::addRow("unknown short option")
        << args({"-r", "/photos"}) << error << false << texte << none;
}

void TestReportOptions::parses() {
    QFETCH(QStringList, arguments);
    QFETCH(Action, action);
    QFETCH(bool, recursive);
    QFETCH(ReportFormat, format);
    QFETCH(QString, folder);

    const ParsedArguments parsed = kadrilo::report::parseReportArguments(arguments);
    QCOMPARE(parsed.action, action);
    if (action == Action::Error) {
        QVERIFY2(!parsed.error.isEmpty(), "a usage error must say what is wrong");
        return;
    }
    QVERIFY(parsed.error.isEmpty());
    if (action == Action::Run) {
        QCOMPARE(parsed.options.recursive, recursive);
        QCOMPARE(parsed.options.format, format);
        QCOMPARE(parsed.options.folder, folder);
    }
}

void TestReportOptions::usageListsEveryExitStatus_data() {
    QTest::addColumn<int>("status");
    QTest::addRow("ok") << int(kadrilo::report::ExitOk);
    QTest::addRow("bad usage") << int(kadrilo::report::ExitBadUsage);
    QTest::addRow("folder unreadable") << int(kadrilo::report::ExitFolderUnreadable);
    QTest::addRow("exiftool missing") << int(kadrilo::report::ExitExiftoolMissing);
    QTest::addRow("no tag file") << int(kadrilo::report::ExitNoTagFile);
    QTest::addRow("temp folder failed") << int(kadrilo::report::ExitTempFolderFailed);
    QTest::addRow("interrupted") << int(kadrilo::report::ExitInterrupted);
}

void TestReportOptions::usageListsEveryExitStatus() {
    QFETCH(int, status);
    const QRegularExpression line(QStringLiteral("\n +%1  \\S").arg(status));
    QVERIFY2(kadrilo::report::usageText().contains(line), qPrintable(line.pattern()));
}

QTEST_GUILESS_MAIN(TestReportOptions)
#include "tst_report_options.moc"
