// How the report shares the images among several ExifTool processes, without ExifTool.
#include "report/parallel_extraction.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kadrilo;
using namespace kadrilo::report;

namespace {

QString s(const char *text) {
    return QString::fromUtf8(text);
}

} // namespace

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

    // ExifTool's -@ strips line ends and leading blanks and skips "#" lines: such paths go
    // on the command line instead.
    void partCommandListsItsOwnImages() {
        const PartImages images = partImages(
            {"/photos/été 2010/IMG_0001.CR2", "/photos/retour\nà la ligne.cr2", "#photo.cr2"});
        QCOMPARE(images.argumentFile, QByteArray("/photos/été 2010/IMG_0001.CR2\n"));
        QCOMPARE(images.direct,
                 QStringList({s("/photos/retour\nà la ligne.cr2"), s("#photo.cr2")}));

        ExiftoolCommandInput input;
        input.exiftoolPath = s("/opt/kadrilo/exiftool.exe");
        input.extensionFilter = QString::fromUtf16(canonExtensionFilter);
        input.recursive = 1;
        input.imageFolder = s("/photos");
        input.extraTags = reportExtraTags();
        const ExiftoolCommand command =
            partCommand(input, s("/tmp/r/part-2"), s("/tmp/r/part-2.args"), images.direct);
        QCOMPARE(command.arguments.mid(command.arguments.indexOf(s("-LensID"))),
                 QStringList({s("-LensID"), s("-ExposureTime"), s("-Model"), s("-DateTimeOriginal"),
                              s("-FocalLength35efl"), s("-r"), s("-i"), s("SYMLINKS"), s("-w"),
                              s("/tmp/r/part-2/%200f%-c.txt"), s("-@"), s("/tmp/r/part-2.args"),
                              s("/photos/retour\nà la ligne.cr2"), s("#photo.cr2")}));
    }

    // Tag files of several folders read as one folder's listing: by name, case ignored.
    void tagFilesInNameOrder() {
        QTemporaryDir root;
        const QDir dir(root.path());
        QVERIFY(dir.mkpath(s("part-1")) && dir.mkpath(s("part-2")));
        for (const char *name : {"part-1/b.txt", "part-1/IMG_0001.txt", "part-2/A.txt",
                                 "part-2/IMG_0001.txt", "part-2/notes.csv"})
            QVERIFY(QFile(dir.filePath(s(name))).open(QIODevice::WriteOnly));
        QStringList relative;
        for (const QString &path :
             tagFilesByName({dir.filePath(s("part-1")), dir.filePath(s("part-2"))}))
            relative << dir.relativeFilePath(path);
        QCOMPARE(relative, QStringList({s("part-2/A.txt"), s("part-1/b.txt"),
                                        s("part-1/IMG_0001.txt"), s("part-2/IMG_0001.txt")}));
    }
};

QTEST_GUILESS_MAIN(TestReportParallel)
#include "tst_report_parallel.moc"
