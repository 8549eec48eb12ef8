#include "analysis/analyse.h"
#include "recording_sink.h"
#include "run/module1.h"
#include "support/cr2_writer.h"
#include "support/program_folder.h"

#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kadrilo;
using kadrilo::test::RecordingSink;

namespace {

bool writeFile(const QString &path, const QByteArray &content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// A module whose temp folder is `folder`, with stale lenses from an earlier analysis.
Module1 stateFor(const QString &folder) {
    Module1 state;
    state.type_raw = QStringLiteral("Canon");
    state.dossier_temp = platform::withTrailingSeparator(folder);
    state.nb_objectifs = 2;
    state.objectifs[0] = QStringLiteral("old lens");
    state.objectifs[1] = QStringLiteral("older lens");
    return state;
}

// Lists one more tag file than the folder holds: a file gone before it could be read.
class VanishingFilePlatform : public platform::Platform {
public:
    QStringList listFiles(const QString &folder, const QStringList &patterns) const override {
        QStringList names = platform::Platform::listFiles(folder, patterns);
        names.prepend(QStringLiteral("0-gone.txt"));
        return names;
    }
};

// Has the installed ExifTool write one tag file per image of `images` into `tags`, in its
// full form. False when ExifTool could not run.
bool runExiftool(const QString &images, const QString &tags) {
    QProcess exiftool;
    exiftool.start(kadrilo::test::installedExiftool(),
                   {QStringLiteral("-ext"), QStringLiteral(".cr2"), QStringLiteral("-ext"),
                    QStringLiteral(".crw"), QStringLiteral("-s"), QStringLiteral("-s"),
                    QStringLiteral("-w"), tags + QStringLiteral("/%f%-c.txt"), images});
    return exiftool.waitForFinished(60000) && exiftool.exitStatus() == QProcess::NormalExit;
}

} // namespace

class TestAnalysisFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void emptyFolderGivesZeroEverywhere();
    void filesAreReadInNameOrder();
    void brokenFilesStillCount();
    void tagFilesOfTheRealExiftool();
    void realCanonSamples();
};

void TestAnalysisFiles::emptyFolderGivesZeroEverywhere() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QVERIFY(writeFile(temp.filePath(QStringLiteral("notes.csv")), "ISO: 100\n"));
    Module1 state = stateFor(temp.path());
    RecordingSink sink;
    analyse_exif(state, QStringLiteral("/photos"), sink);

    QCOMPARE(state.nb_objectifs, 0);
    for (const QString &lens : state.objectifs)
        QVERIFY(lens.isEmpty());
    QCOMPARE(sink.summaries[SummaryLine::Label1], QStringLiteral("0 Fichiers RAW Analysés"));
    QCOMPARE(sink.result(ResultArray::Label5, 1), QStringLiteral(" 0 photos, soit 0%"));
    QCOMPARE(sink.columnCounts[Chart::Lens], 0);
}

void TestAnalysisFiles::filesAreReadInNameOrder() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QVERIFY(writeFile(temp.filePath(QStringLiteral("c.txt")), "LensID: Lens C\n"));
    QVERIFY(writeFile(temp.filePath(QStringLiteral("B.txt")), "LensID: Lens B\n"));
    QVERIFY(writeFile(temp.filePath(QStringLiteral("a.txt")), "LensID: Lens A\nISO: 100\n"));
    Module1 state = stateFor(temp.path());
    const statistiques_exif stats = lire_fichiers_tags(state);
    QCOMPARE(stats.nb_fichiers, 3);
    QCOMPARE(state.nb_objectifs, 3);
    QCOMPARE(state.objectifs[0], QStringLiteral("Lens A"));
    QCOMPARE(state.objectifs[1], QStringLiteral("Lens B"));
    QCOMPARE(state.objectifs[2], QStringLiteral("Lens C"));
    QCOMPARE(state.objectifs[3], QString());
    QCOMPARE(stats.compte_iso[0], 1);
}

void TestAnalysisFiles::brokenFilesStillCount() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const auto file = [&](const char *name) {
        return temp.filePath(QString::fromLatin1(name));
    };

    QByteArray junk(256 * 1024, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = char((i * 7919) % 251);
    QVERIFY(writeFile(file("1-junk.txt"), junk));
    QVERIFY(writeFile(file("2-nul.txt"), QByteArray("ISO: 200\0\0\0\nFNumber: 8.0\n", 26)));
    // One 50 MB line without an end, starting like a lens: too long to be a lens name.
    QVERIFY(writeFile(file("3-long.txt"), "LensID: " + QByteArray(50 * 1024 * 1024, 'x')));
    QVERIFY(writeFile(file("4-cr.txt"), "ISO: 100\rDriveMode: Continuous Shooting\r"));
    QVERIFY(writeFile(file("5-crlf.txt"), "ISO: 100\r\nLensID: Unknown 18-55mm\r\n"));
    QVERIFY(writeFile(file("6-lf.txt"), "FocusMode: AI Focus AF\nLensID: Unknown 18-55mm\n"));
    QVERIFY(writeFile(file("7-short.txt"), "FNumber\nLensID\nLensID:\nDriveMode\nISO"));
    QVERIFY(writeFile(file("8-empty.txt"), QByteArray()));

    VanishingFilePlatform vanishing;
    platform::ScopedPlatform installed(vanishing);
    Module1 state = stateFor(temp.path());
    RecordingSink sink;
    analyse_exif(state, temp.path(), sink);

    QCOMPARE(sink.summaries[SummaryLine::Label1], QStringLiteral("9 Fichiers RAW Analysés"));
    QCOMPARE(state.nb_objectifs, 1);
    QCOMPARE(state.objectifs[0], QStringLiteral("Unknown 18-55mm"));
    // 2 of 9 files: floor(22.2...) = 22.
    QCOMPARE(sink.tables[Chart::Lens], (ChartTable{{22}}));
    QCOMPARE(sink.result(ResultArray::Label5, 1), QStringLiteral(" 2 photos, soit 22%"));
    QCOMPARE(sink.result(ResultArray::Label5, 2), QStringLiteral(" 1 photos, soit 11%"));
    QCOMPARE(sink.result(ResultArray::Label7, 4), QStringLiteral(" 1 photos, soit 11%"));
    QCOMPARE(sink.result(ResultArray::Label9, 2), QStringLiteral(" 1 photos, soit 11%"));
    QCOMPARE(sink.result(ResultArray::Label11, 17), QStringLiteral(" 1 photos, soit 11%"));
}

void TestAnalysisFiles::tagFilesOfTheRealExiftool() {
    using kadrilo::test::Cr2Fixture;
    using kadrilo::test::kCr2Lenses;
    if (kadrilo::test::installedExiftool().isEmpty())
        QSKIP("ExifTool is not installed");
    QTemporaryDir images;
    QTemporaryDir tags;
    QVERIFY(images.isValid() && tags.isValid());

    const auto shot = [](int iso, double fNumber, int focus, int drive, int selfTimer, int lens) {
        Cr2Fixture f;
        f.iso = iso;
        f.fNumber = fNumber;
        f.focusMode = focus;
        f.continuousDrive = drive;
        f.selfTimer = selfTimer;
        if (lens >= 0)
            kadrilo::test::applyLens(f, kCr2Lenses[lens]);
        return f;
    };
    const Cr2Fixture shots[] = {
        shot(100, 2.8, 0, 0, 0, 0),     // band 1, bucket 8, one-shot, single, lens 0
        shot(200, 8.0, 1, 1, 0, 1),     // band 2, bucket 17, servo, continuous, lens 1
        shot(6400, 22.0, 3, 0, 100, 0), // band 7, bucket 24, manual, self-timer, lens 0
        shot(12800, 5.6, 2, 0, 0, 10),  // band 8, bucket 14, ai focus, single, unknown
        shot(300, 1.0, 6, 0, 0, -1),    // no band, no bucket, manual (6), single, no lens
        shot(65535, 11.0, 16, 1, 0, 9), // band 8, bucket 20, pan focus, continuous, " or "
    };
    int n = 0;
    for (const Cr2Fixture &f : shots)
        QVERIFY(kadrilo::test::writeCr2(images.filePath(QStringLiteral("IMG_%1.CR2").arg(++n)), f));
    QVERIFY(runExiftool(images.path(), tags.path()));

    Module1 state = stateFor(tags.path());
    const statistiques_exif stats = lire_fichiers_tags(state);
    QCOMPARE(stats.nb_fichiers, 6);
    QCOMPARE(stats.compte_iso, (std::array<int, 8>{1, 1, 0, 0, 0, 0, 1, 2}));
    QCOMPARE(stats.compte_af, (std::array<int, 4>{1, 1, 2, 1}));
    QCOMPARE(stats.compte_drive, (std::array<int, 2>{3, 2}));
    QCOMPARE(stats.compte_diaph[7], 1);
    QCOMPARE(stats.compte_diaph[13], 1);
    QCOMPARE(stats.compte_diaph[16], 1);
    QCOMPARE(stats.compte_diaph[19], 1);
    QCOMPARE(stats.compte_diaph[23], 1);
    QCOMPARE(state.nb_objectifs, 4);
    QCOMPARE(state.objectifs[0], QString::fromUtf8(kCr2Lenses[0].lensId));
    QCOMPARE(state.objectifs[1], QString::fromUtf8(kCr2Lenses[1].lensId));
    QCOMPARE(state.objectifs[2], QString::fromUtf8(kCr2Lenses[10].lensId));
    QCOMPARE(state.objectifs[3], QString::fromUtf8(kCr2Lenses[9].lensId));
    QCOMPARE(stats.compte_objectifs[0], 2);
}

void TestAnalysisFiles::realCanonSamples() {
    const QString samples = kadrilo::test::samplesFolder();
    if (samples.isEmpty() || QDir(samples).entryList({QStringLiteral("*.cr*")}).isEmpty())
        QSKIP("The Canon samples are not beside the repository");
    if (kadrilo::test::installedExiftool().isEmpty())
        QSKIP("ExifTool is not installed");
    QTemporaryDir tags;
    QVERIFY(tags.isValid());
    QVERIFY(runExiftool(samples, tags.path()));

    Module1 state = stateFor(tags.path());
    const statistiques_exif stats = lire_fichiers_tags(state);
    QCOMPARE(stats.nb_fichiers, 2);
    QCOMPARE(stats.compte_iso, (std::array<int, 8>{1, 0, 1, 0, 0, 0, 0, 0})); // 100 and 400
    QCOMPARE(stats.compte_af, (std::array<int, 4>{1, 0, 0, 1}));
    QCOMPARE(stats.compte_drive, (std::array<int, 2>{1, 1}));
    int apertures = 0;
    for (int c : stats.compte_diaph)
        apertures += c;
    QCOMPARE(apertures, 1); // f/8 of the CR2; the CRW's 3.6 has no bucket
    QCOMPARE(stats.compte_diaph[16], 1);
    QCOMPARE(state.nb_objectifs, 1);
    QCOMPARE(state.objectifs[0], QStringLiteral("Unknown 18-55mm"));
    QCOMPARE(stats.compte_objectifs[0], 2);
}

QTEST_GUILESS_MAIN(TestAnalysisFiles)
#include "tst_analysis_files.moc"
