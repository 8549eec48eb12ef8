#include "support/cr2_writer.h"
#include "support/cr3_writer.h"
#include "support/program_folder.h"
#include "support/text.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using kadrilo::test::Cr2Fixture;
using kadrilo::test::s;

Q_DECLARE_METATYPE(Cr2Fixture)

namespace {

// The lines ExifTool prints for each file, keyed by file name. With two files or more it heads
// each file's lines with "======== path"; its closing counts are indented.
QMap<QString, QStringList> exiftoolLines(const QStringList &arguments) {
    QProcess exiftool;
    exiftool.start(kadrilo::test::installedExiftool(), arguments);
    if (!exiftool.waitForFinished(60000) || exiftool.exitStatus() != QProcess::NormalExit)
        return {};
    QMap<QString, QStringList> lines;
    QString file;
    const QStringList output =
        QString::fromUtf8(exiftool.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &line : output) {
        if (line.startsWith(s("======== ")))
            file = QFileInfo(line.mid(9)).fileName();
        else if (!line.isEmpty() && !line.startsWith(QLatin1Char(' ')))
            lines[file] << line;
    }
    return lines;
}

} // namespace

class TestRawFixtures : public QObject {
    Q_OBJECT

private Q_SLOTS:

    void initTestCase() { KADRILO_REQUIRE_EXIFTOOL(); }

    // The CR2 and the CR3 of one fixture print the same texts: the values the report counts.
    void exiftoolPrintsTheFixtureValues_data() {
        QTest::addColumn<Cr2Fixture>("fixture");
        QTest::addColumn<QStringList>("expected");

        Cr2Fixture lens;
        kadrilo::test::applyLens(lens, kadrilo::test::kCr2Lenses[1]);
        lens.iso = 400;
        lens.fNumber = 8;
        lens.focusMode = 1;
        lens.continuousDrive = 1;
        lens.focalLength = 55;
        lens.exposureNumerator = 1;
        lens.exposureDenominator = 250;
        QTest::addRow("zoom at its long end, no 35 mm field: no equivalent")
            << lens
            << QStringList{s("ISO: 400"),
                           s("FNumber: 8.0"),
                           s("FocusMode: AI Servo AF"),
                           s("DriveMode: Continuous Shooting"),
                           s("LensID: Canon EF-S 18-55mm f/3.5-5.6 [II]"),
                           s("Lens: 18.0 - 55.0 mm"),
                           s("FocalLength: 55.0 mm"),
                           s("ExposureTime: 1/250"),
                           s("Model: Canon EOS 5D Mark II"),
                           s("FocalLength35efl: 55.0 mm")};

        QTest::addRow("no lens, focal length, exposure or date")
            << Cr2Fixture()
            << QStringList{s("ISO: 100"), s("FNumber: 5.6"), s("FocusMode: One-shot AF"),
                           s("DriveMode: Single-frame Shooting"), s("Model: Canon EOS 5D Mark II")};

        Cr2Fixture equivalent;
        equivalent.iso = -1;
        equivalent.fNumber = 0;
        equivalent.focalLength = 17.5;
        equivalent.focalLengthIn35mm = 28;
        equivalent.exposureNumerator = 30;
        QTest::addRow("fractional focal length with its 35 mm equivalent, no ISO or f-number")
            << equivalent << QStringList{s("FocusMode: One-shot AF"),
                                         s("DriveMode: Single-frame Shooting"),
                                         s("FocalLength: 17.5 mm"),
                                         s("ExposureTime: 30"),
                                         s("Model: Canon EOS 5D Mark II"),
                                         s("FocalLength35efl: 17.5 mm (35 mm equivalent: 28.0 mm)"),
                                         s("ScaleFactor35efl: 1.6")};

        Cr2Fixture dated;
        kadrilo::test::applyLens(dated, kadrilo::test::kCr2Lenses[9]);
        dated.model = s("Canon EOS R5");
        dated.iso = 100;
        dated.isoSecond = 200;
        dated.fNumber = 0.95;
        dated.focusMode = 16;
        dated.selfTimer = 100;
        dated.focalLength = 35;
        dated.exposureNumerator = 1;
        dated.exposureDenominator = 2;
        dated.dateTimeOriginal = s("2021:06:05 14:03:09");
        QTest::addRow("second ISO, date, self-timer, ambiguous lens")
            << dated
            << QStringList{s("ISO: 100, 200"),
                           s("FNumber: 0.95"),
                           s("FocusMode: Pan Focus"),
                           s("DriveMode: Self-timer Operation"),
                           s("LensID: Carl Zeiss Distagon T* 35mm f/2 ZE or Carl Zeiss "
                             "Distagon T* 35mm f/1.4 ZE"),
                           s("Lens: 35.0 mm"),
                           s("FocalLength: 35.0 mm"),
                           s("ExposureTime: 0.5"),
                           s("Model: Canon EOS R5"),
                           s("DateTimeOriginal: 2021:06:05 14:03:09"),
                           s("FocalLength35efl: 35.0 mm")};
    }

    void exiftoolPrintsTheFixtureValues() {
        QFETCH(Cr2Fixture, fixture);
        QFETCH(QStringList, expected);
        QTemporaryDir images;
        QVERIFY(images.isValid());
        const QString cr2 = images.filePath(s("IMG_0001.CR2"));
        const QString cr3 = images.filePath(s("IMG_0001.CR3"));
        QVERIFY(kadrilo::test::writeCr2(cr2, fixture));
        QVERIFY(kadrilo::test::writeCr3(cr3, fixture));

        // The tags in this order, whichever the file holds.
        const QMap<QString, QStringList> printed = exiftoolLines(
            {s("-s"), s("-s"), s("-FileType"), s("-ISO"), s("-FNumber"), s("-FocusMode"),
             s("-DriveMode"), s("-LensID"), s("-Lens"), s("-FocalLength"), s("-ExposureTime"),
             s("-Model"), s("-DateTimeOriginal"), s("-FocalLength35efl"), s("-ScaleFactor35efl"),
             cr2, cr3});
        QCOMPARE(printed.value(s("IMG_0001.CR2")), QStringList{s("FileType: CR2")} + expected);
        QCOMPARE(printed.value(s("IMG_0001.CR3")), QStringList{s("FileType: CR3")} + expected);
    }

    // A run picks its images with -ext, over a folder or from a -@ list, and must keep a CR3.
    void exiftoolTakesTheCr3OfARun_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("-ext cr3 over a folder and its sub-folders")
            << QStringList{s("-ext"), s("cr3"), s("-r"), s("FOLDER")}
            << QStringList{s("a.cr3 FileType: CR3"), s("b.CR3 FileType: CR3")};
        QTest::addRow("-ext cr2 -ext cr3 over a -@ list")
            << QStringList{s("-ext"), s("cr2"), s("-ext"), s("cr3"), s("-@"), s("LIST")}
            << QStringList{s("a.cr3 FileType: CR3"), s("b.CR3 FileType: CR3"),
                           s("c.cr2 FileType: CR2")};
    }

    void exiftoolTakesTheCr3OfARun() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QVERIFY(QDir(folder.path()).mkdir(s("sub")));
        const QStringList images = {folder.filePath(s("a.cr3")), folder.filePath(s("sub/b.CR3")),
                                    folder.filePath(s("c.cr2"))};
        QVERIFY(kadrilo::test::writeCr3(images[0], Cr2Fixture()));
        QVERIFY(kadrilo::test::writeCr3(images[1], Cr2Fixture()));
        QVERIFY(kadrilo::test::writeCr2(images[2], Cr2Fixture()));
        const QString list = folder.filePath(s("list.txt"));
        QFile listFile(list);
        QVERIFY(listFile.open(QIODevice::WriteOnly));
        QVERIFY(listFile.write((images.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()) > 0);
        listFile.close();

        arguments.replaceInStrings(s("FOLDER"), folder.path());
        arguments.replaceInStrings(s("LIST"), list);
        const QMap<QString, QStringList> printed =
            exiftoolLines(QStringList{s("-s"), s("-s"), s("-FileType")} + arguments);
        QStringList found;
        for (auto it = printed.cbegin(); it != printed.cend(); ++it)
            found << it.key() + QLatin1Char(' ') + it.value().join(s(", "));
        QCOMPARE(found, expected);
    }
};

QTEST_GUILESS_MAIN(TestRawFixtures)
#include "tst_raw_fixtures.moc"
