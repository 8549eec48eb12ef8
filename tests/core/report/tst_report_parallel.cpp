// How the report shares the images among several ExifTool processes, without ExifTool.
#include "report/parallel_extraction.h"
#include "report/report_run.h"
#include "support/text.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kadrilo;
using namespace kadrilo::report;
using kadrilo::test::s;

class TestReportParallel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitImages_data() {
        QTest::addColumn<int>("images");
        QTest::addColumn<int>("parts");
        QTest::addColumn<QString>("sizes");
        QTest::addRow("seven in three: the first part takes the extra") << 7 << 3 << s("3 2 2");
        QTest::addRow("two images in three parts: two processes") << 2 << 3 << s("1 1");
        QTest::addRow("no image, no process") << 0 << 4 << QString();
    }

    void splitImages() {
        QFETCH(int, images);
        QFETCH(int, parts);
        QFETCH(QString, sizes);
        QList<QByteArray> paths;
        for (int i = 0; i < images; ++i)
            paths << "/photos/IMG_" + QByteArray::number(i) + ".CR2";
        QStringList shown;
        QList<QByteArray> joined;
        for (const QList<QByteArray> &part : report::splitImages(paths, parts)) {
            shown << QString::number(part.size());
            joined += part;
        }
        QCOMPARE(shown.join(u' '), sizes);
        QCOMPARE(joined, paths); // every image once, in order
    }

    // ExifTool's -@ strips line ends and leading blanks and skips "#" lines: such paths are
    // written as C strings; a relative path must not pass for an option.
    void partCommandListsItsOwnImages() {
        QCOMPARE(argumentFile({"/photos/été 2010/IMG_0001.CR2", "/photos/retour\nà la\\ligne.cr2",
                               "#photo.cr2", "-r/x.CR3"}),
                 QByteArray("/photos/été 2010/IMG_0001.CR2\n"
                            "#[CSTR]/photos/retour\\nà la\\\\ligne.cr2\n"
                            "./#photo.cr2\n"
                            "./-r/x.CR3\n"));

        ExiftoolCommandInput input;
        input.exiftoolPath = s("/opt/kadrilo/exiftool.exe");
        input.extensionFilter = extensionFilter(true);
        input.recursive = 1;
        input.imageFolder = s("/photos");
        input.extraTags = reportExtraTags();
        const ExiftoolCommand command =
            partCommand(input, s("/tmp/r/part-2"), s("/tmp/r/part-2.args"));
        QCOMPARE(command.arguments.mid(command.arguments.indexOf(s("-LensID"))),
                 QStringList({s("-LensID"), s("-FileType"), s("-ExposureTime"), s("-Model"),
                              s("-DateTimeOriginal"), s("-FocalLength35efl"), s("-r"), s("-i"),
                              s("SYMLINKS"), s("-w"), s("/tmp/r/part-2/%C.txt"), s("-@"),
                              s("/tmp/r/part-2.args")}));
        QVERIFY(command.arguments.contains(s(".cr3")));
    }

    // The tag files' names as ExifTool gives them, images in the order it reads them ("" for
    // an image left without a tag file), and the order in which the window then reads them.
    void tagFileNamesAndReadingOrder_data() {
        QTest::addColumn<QString>("paths");   // "|" between the images
        QTest::addColumn<QString>("names");   // "|" between the names
        QTest::addColumn<QString>("reading"); // the images' positions, in the window's order
        const auto row = [](const char *name, const char *paths, const char *names,
                            const char *reading) {
            QTest::addRow("%s", name) << s(paths) << s(names) << s(reading);
        };
        row("copy number to the image read second, whatever its folder or type",
            "/p/b/Z.CR2|/p/Z.CR2|/p/Z.CRW|/p/a/Z.CR2", "Z.txt|Z-1.txt|Z-2.txt|Z-3.txt", "1 2 3 0");
        row("an image named like a copy: the next copy number is taken",
            "/p/Z.CR2|/p/Z-1.CR2|/p/a/Z.CR2", "Z.txt|Z-1.txt|Z-2.txt", "1 2 0");
        row("an image without a tag file takes no name", "/p/a/Z.CR2||/p/Z.CR2", "Z.txt||Z-1.txt",
            "2 0 1");
        row("names that differ only by case are two files, without a copy number",
            "/p/img_1.cr2|/p/IMG_1.CR2|/p/b.CR3", "img_1.txt|IMG_1.txt|b.txt", "2 1 0");
        row("a name that is only an extension", "/p/.CR2|/p/.x.CR2|/p/a/.CR2", ".txt|.x.txt|-1.txt",
            "2 0 1");
        row("copy 10 sorts before copy 2",
            "/p/Z.CR2|/p/1/Z.CR2|/p/2/Z.CR2|/p/3/Z.CR2|/p/4/Z.CR2|/p/5/Z.CR2|/p/6/Z.CR2|"
            "/p/7/Z.CR2|/p/8/Z.CR2|/p/9/Z.CR2|/p/10/Z.CR2",
            "Z.txt|Z-1.txt|Z-2.txt|Z-3.txt|Z-4.txt|Z-5.txt|Z-6.txt|Z-7.txt|Z-8.txt|Z-9.txt|Z-10."
            "txt",
            "1 10 2 3 4 5 6 7 8 9 0");
    }

    void tagFileNamesAndReadingOrder() {
        QFETCH(QString, paths);
        QFETCH(QString, names);
        QFETCH(QString, reading);
        const QList<QByteArray> given = paths.toUtf8().split('|');
        const QList<QByteArray> named = tagFileNames(given);
        QCOMPARE(QString::fromUtf8(named.join('|')), names);
        QStringList order;
        for (const qsizetype position : windowReadingOrder(named))
            order << QString::number(position);
        QCOMPARE(order.join(u' '), reading);
    }
};

QTEST_GUILESS_MAIN(TestReportParallel)
#include "tst_report_parallel.moc"
