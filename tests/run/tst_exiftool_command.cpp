#include "run/exiftool_command.h"

#include <QTest>

using kadrilo::buildExiftoolCommand;
using kadrilo::ExiftoolCommandInput;

namespace {

const QString canonFilter = QString::fromUtf16(kadrilo::canonExtensionFilter);

QStringList split(const QString &words) {
    return words.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

class TestExiftoolCommand : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void builds_both_forms_data();
    void builds_both_forms();
    void folder_reaches_exiftool_whole_data();
    void folder_reaches_exiftool_whole();
    void line_has_single_blanks_between_pieces();
};

void TestExiftoolCommand::builds_both_forms_data() {
    QTest::addColumn<QString>("exiftool");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("recursive");
    QTest::addColumn<QString>("temp");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("arguments");

    const QString seven = QStringLiteral(
        "-s -s -ISO -FNumber -FocusMode -DriveMode -FocalLength -Lens -LensID -r -w");

    QTest::addRow("windows folder, this folder only: lower-case drive, no quotes")
        << QStringLiteral("C:\\Program Files\\Kadrilo\\exiftool.exe") << canonFilter << 0
        << QStringLiteral("C:\\PROGRA~1\\Kadrilo\\temp") << QChar(u'\\')
        << QStringLiteral("C:\\Photos\\2010")
        << QStringLiteral("C:\\Program Files\\Kadrilo\\exiftool.exe -ext .cr2 -ext .crw -s -s -w "
                          "C:\\PROGRA~1\\Kadrilo\\temp\\%f%-c.txt c:\\Photos\\2010")
        << split(QStringLiteral("-ext .cr2 -ext .crw -s -s -w")) +
               QStringList{QStringLiteral("C:\\PROGRA~1\\Kadrilo\\temp\\%f%-c.txt"),
                           QStringLiteral("c:\\Photos\\2010")};

    QTest::addRow("windows folder with a blank is quoted in the line only")
        << QStringLiteral("C:\\K\\exiftool.exe") << canonFilter << 0
        << QStringLiteral("C:\\K\\temp") << QChar(u'\\') << QStringLiteral("D:\\Mes photos")
        << QStringLiteral("C:\\K\\exiftool.exe -ext .cr2 -ext .crw -s -s -w "
                          "C:\\K\\temp\\%f%-c.txt \"d:\\Mes photos\"")
        << split(QStringLiteral("-ext .cr2 -ext .crw -s -s -w")) +
               QStringList{QStringLiteral("C:\\K\\temp\\%f%-c.txt"),
                           QStringLiteral("d:\\Mes photos")};

    QTest::addRow("program in a drive root")
        << QStringLiteral("C:\\exiftool.exe") << canonFilter << 0 << QStringLiteral("C:\\temp")
        << QChar(u'\\') << QStringLiteral("E:\\")
        << QStringLiteral("C:\\exiftool.exe -ext .cr2 -ext .crw -s -s -w C:\\temp\\%f%-c.txt e:\\")
        << split(QStringLiteral("-ext .cr2 -ext .crw -s -s -w")) +
               QStringList{QStringLiteral("C:\\temp\\%f%-c.txt"), QStringLiteral("e:\\")};

    QTest::addRow("with sub-folders: seven tags and -r")
        << QStringLiteral("/opt/kadrilo/exiftool.exe") << canonFilter << 1
        << QStringLiteral("/opt/kadrilo/temp") << QChar(u'/') << QStringLiteral("/home/ana/Photos")
        << QStringLiteral("/opt/kadrilo/exiftool.exe -ext .cr2 -ext .crw ") + seven +
               QStringLiteral(" /opt/kadrilo/temp/%f%-c.txt /home/ana/Photos")
        << split(QStringLiteral("-ext .cr2 -ext .crw ") + seven) +
               QStringList{QStringLiteral("/opt/kadrilo/temp/%f%-c.txt"),
                           QStringLiteral("/home/ana/Photos")};

    QTest::addRow("no filter before any Canon run")
        << QStringLiteral("/k/exiftool.exe") << QString() << 0 << QStringLiteral("/k/temp")
        << QChar(u'/') << QStringLiteral("/p")
        << QStringLiteral("/k/exiftool.exe -s -s -w /k/temp/%f%-c.txt /p")
        << QStringList{QStringLiteral("-s"), QStringLiteral("-s"), QStringLiteral("-w"),
                       QStringLiteral("/k/temp/%f%-c.txt"), QStringLiteral("/p")};

    QTest::addRow("blanks in the program folder stay unquoted")
        << QStringLiteral("/home/ana/Mes programmes/exiftool.exe") << canonFilter << 0
        << QStringLiteral("/home/ana/Mes programmes/temp") << QChar(u'/') << QStringLiteral("/p")
        << QStringLiteral("/home/ana/Mes programmes/exiftool.exe -ext .cr2 -ext .crw -s -s -w "
                          "/home/ana/Mes programmes/temp/%f%-c.txt /p")
        << split(QStringLiteral("-ext .cr2 -ext .crw -s -s -w")) +
               QStringList{QStringLiteral("/home/ana/Mes programmes/temp/%f%-c.txt"),
                           QStringLiteral("/p")};
}

void TestExiftoolCommand::builds_both_forms() {
    QFETCH(QString, exiftool);
    QFETCH(QString, filter);
    QFETCH(int, recursive);
    QFETCH(QString, temp);
    QFETCH(QChar, separator);
    QFETCH(QString, folder);
    QFETCH(QString, line);
    QFETCH(QStringList, arguments);

    ExiftoolCommandInput input;
    input.exiftoolPath = exiftool;
    input.extensionFilter = filter;
    input.recursive = recursive;
    input.tempShortPath = temp;
    input.imageFolder = folder;
    input.separator = separator;

    const auto command = buildExiftoolCommand(input);
    QCOMPARE(command.line, line);
    QCOMPARE(command.program, exiftool);
    QCOMPARE(command.arguments, arguments);
}

void TestExiftoolCommand::folder_reaches_exiftool_whole_data() {
    QTest::addColumn<QString>("folder");
    QTest::addRow("blank") << QStringLiteral("/photos/Mes photos");
    QTest::addRow("double quote") << QStringLiteral("/photos/le \"best\" of");
    QTest::addRow("single quote") << QStringLiteral("/photos/l'été");
    QTest::addRow("dollar") << QStringLiteral("/photos/$HOME");
    QTest::addRow("semicolon") << QStringLiteral("/photos/a;rm -rf b");
    QTest::addRow("star") << QStringLiteral("/photos/*");
    QTest::addRow("leading dash in a name") << QStringLiteral("/photos/-r");
    QTest::addRow("tab is no blank") << QStringLiteral("/photos/a\tb");
}

void TestExiftoolCommand::folder_reaches_exiftool_whole() {
    QFETCH(QString, folder);
    ExiftoolCommandInput input;
    input.exiftoolPath = QStringLiteral("/k/exiftool.exe");
    input.extensionFilter = canonFilter;
    input.tempShortPath = QStringLiteral("/k/temp");
    input.imageFolder = folder;

    const auto command = buildExiftoolCommand(input);
    QCOMPARE(command.arguments.last(), folder);
    QCOMPARE(command.arguments.count(folder), 1);
    const bool quoted = command.line.endsWith(QLatin1Char('"') + folder + QLatin1Char('"'));
    QCOMPARE(quoted, folder.contains(QLatin1Char(' ')));
}

void TestExiftoolCommand::line_has_single_blanks_between_pieces() {
    for (int recursive : {0, 1}) {
        ExiftoolCommandInput input;
        input.exiftoolPath = QStringLiteral("/k/exiftool.exe");
        input.extensionFilter = canonFilter;
        input.recursive = recursive;
        input.tempShortPath = QStringLiteral("/k/temp");
        input.imageFolder = QStringLiteral("/p");
        const QString line = buildExiftoolCommand(input).line;
        QVERIFY(!line.startsWith(QLatin1Char(' ')));
        QVERIFY(!line.endsWith(QLatin1Char(' ')));
        QVERIFY2(!line.contains(QLatin1String("  ")), qPrintable(line));
        // The line split on blanks is the program followed by the argument list.
        QCOMPARE(split(line),
                 QStringList{input.exiftoolPath} + buildExiftoolCommand(input).arguments);
    }
}

QTEST_GUILESS_MAIN(TestExiftoolCommand)
#include "tst_exiftool_command.moc"
