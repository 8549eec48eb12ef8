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

    void builds_both_forms_data() {
        QTest::addColumn<QString>("exiftool");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("recursive");
        QTest::addColumn<QString>("temp");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("arguments");

        // The expected arguments are given joined by "|".
        const auto row = [](const char *name, const char *exiftool, bool canon, int recursive,
                            const char *temp, char16_t separator, const char *folder,
                            const char *line, const char *arguments) {
            QTest::addRow("%s", name)
                << QString::fromUtf8(exiftool) << (canon ? canonFilter : QString()) << recursive
                << QString::fromUtf8(temp) << QChar(separator) << QString::fromUtf8(folder)
                << QString::fromUtf8(line) << QString::fromUtf8(arguments).split(QLatin1Char('|'));
        };
        row("windows folder, this folder only: lower-case drive, no quotes",
            "C:\\Program Files\\Kadrilo\\exiftool.exe", true, 0, "C:\\PROGRA~1\\Kadrilo\\temp",
            u'\\', "C:\\Photos\\2010",
            "C:\\Program Files\\Kadrilo\\exiftool.exe -ext .cr2 -ext .crw -s -s -w "
            "C:\\PROGRA~1\\Kadrilo\\temp\\%f%-c.txt c:\\Photos\\2010",
            "-ext|.cr2|-ext|.crw|-s|-s|-w|C:\\PROGRA~1\\Kadrilo\\temp\\%f%-c.txt|c:\\Photos\\2010");
        row("windows folder with a blank is quoted in the line only", "C:\\K\\exiftool.exe", true,
            0, "C:\\K\\temp", u'\\', "D:\\Mes photos",
            "C:\\K\\exiftool.exe -ext .cr2 -ext .crw -s -s -w C:\\K\\temp\\%f%-c.txt \"d:\\Mes "
            "photos\"",
            "-ext|.cr2|-ext|.crw|-s|-s|-w|C:\\K\\temp\\%f%-c.txt|d:\\Mes photos");
        row("program in a drive root", "C:\\exiftool.exe", true, 0, "C:\\temp", u'\\', "E:\\",
            "C:\\exiftool.exe -ext .cr2 -ext .crw -s -s -w C:\\temp\\%f%-c.txt e:\\",
            "-ext|.cr2|-ext|.crw|-s|-s|-w|C:\\temp\\%f%-c.txt|e:\\");
        row("with sub-folders: seven tags and -r", "/opt/kadrilo/exiftool.exe", true, 1,
            "/opt/kadrilo/temp", u'/', "/home/ana/Photos",
            "/opt/kadrilo/exiftool.exe -ext .cr2 -ext .crw -s -s -ISO -FNumber -FocusMode "
            "-DriveMode -FocalLength -Lens -LensID -r -w /opt/kadrilo/temp/%f%-c.txt "
            "/home/ana/Photos",
            "-ext|.cr2|-ext|.crw|-s|-s|-ISO|-FNumber|-FocusMode|-DriveMode|-FocalLength|-Lens|"
            "-LensID|-r|-w|/opt/kadrilo/temp/%f%-c.txt|/home/ana/Photos");
        row("no filter before any Canon run", "/k/exiftool.exe", false, 0, "/k/temp", u'/', "/p",
            "/k/exiftool.exe -s -s -w /k/temp/%f%-c.txt /p", "-s|-s|-w|/k/temp/%f%-c.txt|/p");
        row("blanks in the program folder stay unquoted", "/home/ana/Mes programmes/exiftool.exe",
            true, 0, "/home/ana/Mes programmes/temp", u'/', "/p",
            "/home/ana/Mes programmes/exiftool.exe -ext .cr2 -ext .crw -s -s -w "
            "/home/ana/Mes programmes/temp/%f%-c.txt /p",
            "-ext|.cr2|-ext|.crw|-s|-s|-w|/home/ana/Mes programmes/temp/%f%-c.txt|/p");
    }

    void builds_both_forms() {
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

    void folder_reaches_exiftool_whole_data() {
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

    void folder_reaches_exiftool_whole() {
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

    void line_has_single_blanks_between_pieces() {
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
};

QTEST_GUILESS_MAIN(TestExiftoolCommand)
#include "tst_exiftool_command.moc"
