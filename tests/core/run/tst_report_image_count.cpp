#include "run/image_count.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestReportImageCount : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        // A nested folder as a photographer's card dump leaves it.
        for (const char *name :
             {"top/IMG_0001.CR2", "top/img_0002.cr2", "top/IMG_0003.Crw", "top/IMG_0004.JPG",
              "top/IMG_0001.cr2.txt", "top/notes.cr2x", "top/2010/IMG_0100.CRW",
              "top/2010/IMG_0101.cR2", "top/2010/juin/IMG_0200.CR2", "top/2010/juin/IMG_0201.jpg",
              "top/2010/juin/profond/encore/IMG_0300.crw", "top/jpeg/IMG_0400.jpg",
              "flat/IMG_1.CR2", "flat/.IMG_2.cr2", "flat/.cache/IMG_3.CR2"}) {
            const QString path = m_root.filePath(QString::fromUtf8(name));
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
            QVERIFY2(QFile(path).open(QIODevice::WriteOnly), name);
        }
        // A folder named like an image is not an image.
        QVERIFY(QDir().mkpath(m_root.filePath(QStringLiteral("top/dossier.CR2"))));
        QVERIFY(QDir().mkpath(m_root.filePath(QStringLiteral("empty/vide"))));
        // Linked folders are never followed, as ExifTool's -i SYMLINKS: neither a loop nor a
        // second way to a folder counts twice.
        QVERIFY(QFile::link(QStringLiteral(".."), m_root.filePath(QStringLiteral("top/2010/up"))));
        QVERIFY(QFile::link(QStringLiteral("../top"), m_root.filePath(QStringLiteral("flat/top"))));
    }

    void counts_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<int>("expected");
        const auto row = [](const char *name, const char *folder, bool recursive, int expected) {
            QTest::addRow("%s", name) << QString::fromUtf8(folder) << recursive << expected;
        };
        row("top folder only: three raw files of any case", "top", false, 3);
        row("nested folders at every depth", "top", true, 7);
        row("a sub-folder on its own", "top/2010", true, 4);
        row("a sub-folder without its own sub-folders", "top/2010", false, 2);
        row("jpeg only", "top/jpeg", true, 0);
        row("hidden image counted, hidden folder and linked folder not", "flat", true, 2);
        row("empty tree", "empty", true, 0);
        row("missing folder counts nothing", "absent", true, 0);
    }

    void counts() {
        QFETCH(QString, folder);
        QFETCH(bool, recursive);
        QFETCH(int, expected);
        QCOMPARE(kadrilo::countRawImages(m_root.filePath(folder), recursive), expected);
    }
};

QTEST_GUILESS_MAIN(TestReportImageCount)
#include "tst_report_image_count.moc"
