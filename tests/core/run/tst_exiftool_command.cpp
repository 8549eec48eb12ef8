#include "run/exiftool_command.h"

#include <QTest>

using kadrilo::buildExiftoolCommand;
using kadrilo::ExiftoolCommandInput;

Q_DECLARE_METATYPE(kadrilo::ExiftoolCommandInput)

namespace {

const QString canonFilter = kadrilo::extensionFilter(false);

ExiftoolCommandInput simpleInput(const QString &folder, int recursive = 0) {
    ExiftoolCommandInput input;
    input.exiftoolPath = QStringLiteral("/k/exiftool.exe");
    input.extensionFilter = canonFilter;
    input.recursive = recursive;
    input.tempShortPath = QStringLiteral("/k/temp");
    input.imageFolder = folder;
    return input;
}

} // namespace

class TestExiftoolCommand : public QObject {
    Q_OBJECT

private Q_SLOTS:

    void builds_both_forms_data() {
        QTest::addColumn<ExiftoolCommandInput>("input");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("workingDirectory");

        // The expected arguments are given joined by "|".
        const auto row = [](const char *name, const char *exiftool, bool canon, int recursive,
                            const char *temp, char16_t separator, const char *folder,
                            const char *line, const char *arguments,
                            const char *workingDirectory = "") {
            ExiftoolCommandInput input;
            input.exiftoolPath = QString::fromUtf8(exiftool);
            input.extensionFilter = canon ? canonFilter : QString();
            input.recursive = recursive;
            input.tempShortPath = QString::fromUtf8(temp);
            input.imageFolder = QString::fromUtf8(folder);
            input.separator = separator;
            QTest::addRow("%s", name) << input << QString::fromUtf8(line)
                                      << QString::fromUtf8(arguments).split(QLatin1Char('|'))
                                      << QString::fromUtf8(workingDirectory);
        };
        row("windows folder, this folder only: lower-case drive, no quotes",
            "C:\\Program Files\\Kadrilo\\exiftool.exe", true, 0, "C:\\PROGRA~1\\Kadrilo\\temp",
            u'\\', "C:\\Photos\\2010",
            "C:\\Program Files\\Kadrilo\\exiftool.exe -ext .cr2 -ext .crw -s -s -w "
            "C:\\PROGRA~1\\Kadrilo\\temp\\%200f%-c.txt c:\\Photos\\2010",
            "-ext|.cr2|-ext|.crw|-s|-s|-w|C:\\PROGRA~1\\Kadrilo\\temp\\%200f%-c.txt|c:"
            "\\Photos\\2010");
        row("windows folder with a blank is quoted in the line only", "C:\\K\\exiftool.exe", true,
            0, "C:\\K\\temp", u'\\', "D:\\Mes photos",
            "C:\\K\\exiftool.exe -ext .cr2 -ext .crw -s -s -w C:\\K\\temp\\%200f%-c.txt \"d:\\Mes "
            "photos\"",
            "-ext|.cr2|-ext|.crw|-s|-s|-w|C:\\K\\temp\\%200f%-c.txt|d:\\Mes photos");
        row("program in a drive root", "C:\\exiftool.exe", true, 0, "C:\\temp", u'\\', "E:\\",
            "C:\\exiftool.exe -ext .cr2 -ext .crw -s -s -w C:\\temp\\%200f%-c.txt e:\\",
            "-ext|.cr2|-ext|.crw|-s|-s|-w|C:\\temp\\%200f%-c.txt|e:\\");
        row("with sub-folders: seven tags, the file type and -r", "/opt/kadrilo/exiftool.exe", true,
            1, "/opt/kadrilo/temp", u'/', "/home/ana/Photos",
            "/opt/kadrilo/exiftool.exe -ext .cr2 -ext .crw -s -s -ISO -FNumber -FocusMode "
            "-DriveMode -FocalLength -Lens -LensID -FileType -r -i SYMLINKS -w "
            "/opt/kadrilo/temp/%200f%-c.txt "
            "/home/ana/Photos",
            "-ext|.cr2|-ext|.crw|-s|-s|-ISO|-FNumber|-FocusMode|-DriveMode|-FocalLength|-Lens|"
            "-LensID|-FileType|-r|-i|SYMLINKS|-w|/opt/kadrilo/temp/%200f%-c.txt|/home/ana/Photos");
        row("no filter before any Canon run", "/k/exiftool.exe", false, 0, "/k/temp", u'/', "/p",
            "/k/exiftool.exe -s -s -w /k/temp/%200f%-c.txt /p", "-s|-s|-w|/k/temp/%200f%-c.txt|/p");
        row("blanks in the program folder stay unquoted", "/home/ana/Mes programmes/exiftool.exe",
            true, 0, "/home/ana/Mes programmes/temp", u'/', "/p",
            "/home/ana/Mes programmes/exiftool.exe -ext .cr2 -ext .crw -s -s -w "
            "/home/ana/Mes programmes/temp/%200f%-c.txt /p",
            "-ext|.cr2|-ext|.crw|-s|-s|-w|/home/ana/Mes programmes/temp/%200f%-c.txt|/p");
        // ExifTool would read "%d" as the image's folder: it runs inside the temp folder.
        row("a % in the temp path: ExifTool runs inside the temp folder", "/o/Mes %d/exiftool.exe",
            true, 0, "/o/Mes %d/temp", u'/', "/p",
            "/o/Mes %d/exiftool.exe -ext .cr2 -ext .crw -s -s -w ./%200f%-c.txt /p",
            "-ext|.cr2|-ext|.crw|-s|-s|-w|./%200f%-c.txt|/p", "/o/Mes %d/temp");
    }

    void builds_both_forms() {
        QFETCH(ExiftoolCommandInput, input);
        QFETCH(QString, line);
        QFETCH(QStringList, arguments);
        QFETCH(QString, workingDirectory);
        const auto command = buildExiftoolCommand(input);
        QCOMPARE(command.line, line);
        QCOMPARE(command.program, input.exiftoolPath);
        QCOMPARE(command.arguments, arguments);
        QCOMPARE(command.workingDirectory, workingDirectory);
    }

    // Only a blank makes the line quote the folder; the argument list never quotes.
    void folder_reaches_exiftool_whole_data() {
        QTest::addColumn<QString>("folder");
        QTest::addRow("blanks and quotes") << QStringLiteral("/photos/Mes \"belles\" d'été");
        QTest::addRow("shell characters, leading dash, a tab")
            << QStringLiteral("/photos/-r;$HOME`x`*\tb");
    }

    void folder_reaches_exiftool_whole() {
        QFETCH(QString, folder);
        const auto command = buildExiftoolCommand(simpleInput(folder));
        QCOMPARE(command.arguments.last(), folder);
        QCOMPARE(command.arguments.count(folder), 1);
        const bool quoted = command.line.endsWith(QLatin1Char('"') + folder + QLatin1Char('"'));
        QCOMPARE(quoted, folder.contains(QLatin1Char(' ')));
    }

    // The line split on single blanks is the program followed by the argument list.
    void line_has_single_blanks_between_pieces() {
        for (int recursive : {0, 1}) {
            const ExiftoolCommandInput input = simpleInput(QStringLiteral("/p"), recursive);
            const auto command = buildExiftoolCommand(input);
            QCOMPARE(command.line.split(QLatin1Char(' ')),
                     QStringList{input.exiftoolPath} + command.arguments);
        }
    }
};

QTEST_GUILESS_MAIN(TestExiftoolCommand)
#include "tst_exiftool_command.moc"
