#include "run/image_count.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool touch(const QString &path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

} // namespace

class TestReportImageCount : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void counts_data();
    void counts();
    void missingFolderCountsNothing();

private:
    QTemporaryDir m_root;
};

void TestReportImageCount::initTestCase() {
    QVERIFY(m_root.isValid());
    // A nested folder as a photographer's card dump leaves it.
    const QStringList files{
        QStringLiteral("top/IMG_0001.CR2"),
        QStringLiteral("top/img_0002.cr2"),
        QStringLiteral("top/IMG_0003.Crw"),
        QStringLiteral("top/IMG_0004.JPG"),
        QStringLiteral("top/IMG_0001.cr2.txt"),
        QStringLiteral("top/notes.cr2x"),
        QStringLiteral("top/2010/IMG_0100.CRW"),
        QStringLiteral("top/2010/IMG_0101.cR2"),
        QStringLiteral("top/2010/juin/IMG_0200.CR2"),
        QStringLiteral("top/2010/juin/IMG_0201.jpg"),
        QStringLiteral("top/2010/juin/profond/encore/IMG_0300.crw"),
        QStringLiteral("top/jpeg/IMG_0400.jpg"),
        QStringLiteral("flat/IMG_1.CR2"),
    };
    for (const QString &file : files)
        QVERIFY2(touch(m_root.filePath(file)), qPrintable(file));
    // A folder named like an image is not an image.
    QVERIFY(QDir().mkpath(m_root.filePath(QStringLiteral("top/dossier.CR2"))));
    QVERIFY(QDir().mkpath(m_root.filePath(QStringLiteral("empty/vide"))));
}

void TestReportImageCount::counts_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("recursive");
    QTest::addColumn<int>("expected");
    QTest::addRow("top folder only: three raw files of any case")
        << QStringLiteral("top") << false << 3;
    QTest::addRow("nested folders at every depth") << QStringLiteral("top") << true << 7;
    QTest::addRow("a sub-folder on its own") << QStringLiteral("top/2010") << true << 4;
    QTest::addRow("a sub-folder without its own sub-folders")
        << QStringLiteral("top/2010") << false << 2;
    QTest::addRow("jpeg only") << QStringLiteral("top/jpeg") << true << 0;
    QTest::addRow("flat folder, recursive changes nothing") << QStringLiteral("flat") << true << 1;
    QTest::addRow("empty tree") << QStringLiteral("empty") << true << 0;
}

void TestReportImageCount::counts() {
    QFETCH(QString, folder);
    QFETCH(bool, recursive);
    QFETCH(int, expected);
    QCOMPARE(kadrilo::countRawImages(m_root.filePath(folder), recursive), expected);
}

void TestReportImageCount::missingFolderCountsNothing() {
    QCOMPARE(kadrilo::countRawImages(m_root.filePath(QStringLiteral("absent")), true), 0);
}

QTEST_GUILESS_MAIN(TestReportImageCount)
#include "tst_report_image_count.moc"
