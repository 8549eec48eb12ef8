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
                 QStringList({s("-LensID"), s("-ExposureTime"), s("-Model"), s("-DateTimeOriginal"),
                              s("-FocalLength35efl"), s("-r"), s("-i"), s("SYMLINKS"), s("-w"),
                              s("/tmp/r/part-2/%C.txt"), s("-@"), s("/tmp/r/part-2.args")}));
        QVERIFY(command.arguments.contains(s(".cr3")));
    }

    // Images counted in the order the window reads their tag files: by name, case ignored,
    // whatever their folder; equal names by path.
    void countingOrderIsTheWindowsTagFileOrder() {
        QVector<platform::ListedImage> images;
        for (const char *path : {"/p/z/IMG_0001.CR2", "/p/a/b.CR3", "/p/A.crw", "/p/a/IMG_0001.CR2",
                                 "/p/c/IMG_0001.CRW"})
            images.append({QByteArray(path), 0, 0, 0});
        QStringList order;
        for (const platform::ListedImage *image : countingOrder(images))
            order << QString::fromUtf8(image->path);
        QCOMPARE(order, QStringList({s("/p/A.crw"), s("/p/a/b.CR3"), s("/p/a/IMG_0001.CR2"),
                                     s("/p/c/IMG_0001.CRW"), s("/p/z/IMG_0001.CR2")}));
    }
};

QTEST_GUILESS_MAIN(TestReportParallel)
#include "tst_report_parallel.moc"
