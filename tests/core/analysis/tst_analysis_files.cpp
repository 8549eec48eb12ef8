#include "analysis/analyse.h"
#include "run/module1.h"
#include "support/captured_results.h"
#include "support/cr2_writer.h"
#include "support/program_folder.h"

#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace kadrilo;
using kadrilo::test::CapturedResults;

namespace {

bool writeFile(const QTemporaryDir &dir, const char *name, const QByteArray &content) {
    QFile file(dir.filePath(QString::fromLatin1(name)));
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
    QStringList listTagFiles(const QString &folder) const override {
        return QStringList{QStringLiteral("0-gone.txt")} + platform::Platform::listTagFiles(folder);
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

// Runs ExifTool over `images` and reads its tag files.
statistiques_exif readWithExiftool(const QString &images) {
    QTemporaryDir tags;
    const Module1 state = stateFor(tags.path());
    if (!tags.isValid() || !runExiftool(images, tags.path()))
        return {};
    return lire_fichiers_tags(state);
}

} // namespace

class TestAnalysisFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // No tag file (other files do not count): zero everywhere, and the old lenses are gone.
    void emptyFolderGivesZeroEverywhere() {
        QTemporaryDir temp;
        QVERIFY(writeFile(temp, "notes.csv", "ISO: 100\n"));
        Module1 state = stateFor(temp.path());
        CapturedResults view;
        analyse_exif(state, QStringLiteral("/photos"), view);
        const StatisticsResults &results = view.results;

        QCOMPARE(view.showings, 1);
        QCOMPARE(state.nb_objectifs, 0);
        for (const QString &lens : state.objectifs)
            QVERIFY(lens.isEmpty());
        QCOMPARE(results.fileCountLine, QStringLiteral("0 Fichiers RAW Analysés"));
        QStringList captions;
        const auto collect = [&captions](const auto &classes) {
            for (const ClassResult &result : classes)
                captions << result.caption;
        };
        collect(results.iso);
        collect(results.autofocus);
        collect(results.drive);
        collect(results.aperture);
        QCOMPARE(captions.size(), 8 + 4 + 2 + 24);
        for (const QString &caption : captions)
            QCOMPARE(caption, QStringLiteral(" 0 photos, soit 0%"));
        QCOMPARE(results.table(Chart::Lens).first().size(), 0);
        // One row without columns: the lens chart has no data to show.
        QCOMPARE(results.table(Chart::Lens), ChartTable(1));
        QCOMPARE(results.table(Chart::Iso), ChartTable(8, QVector<int>{0}));
    }

    void filesAreReadInNameOrder() {
        QTemporaryDir temp;
        QVERIFY(writeFile(temp, "c.txt", "LensID: Lens C\n"));
        QVERIFY(writeFile(temp, "B.txt", "LensID: Lens B\n"));
        QVERIFY(writeFile(temp, "a.txt", "LensID: Lens A\nISO: 100\n"));
        const Module1 state = stateFor(temp.path());
        const statistiques_exif stats = lire_fichiers_tags(state);
        QCOMPARE(stats.nb_fichiers, 3);
        QCOMPARE(stats.compte_iso[0], 1);
        QCOMPARE(stats.nb_objectifs, 3);
        QCOMPARE(QStringList(stats.objectifs.begin(), stats.objectifs.begin() + 4),
                 (QStringList{QStringLiteral("Lens A"), QStringLiteral("Lens B"),
                              QStringLiteral("Lens C"), QString()}));
    }

    // Unreadable, binary, NUL-holding, huge, oddly ended, short, empty and blank files, and a
    // FIFO.
    void brokenFilesStillCount() {
        QTemporaryDir temp;
        QByteArray junk(256 * 1024, '\0');
        for (int i = 0; i < junk.size(); ++i)
            junk[i] = char((i * 7919) % 251);
        QVERIFY(writeFile(temp, "1-junk.txt", junk));
        QVERIFY(writeFile(temp, "2-nul.txt", QByteArray("ISO: 200\0\0\0\nFNumber: 8.0\n", 26)));
        // One 50 MB line without an end, starting like a lens: too long to be a lens name.
        QVERIFY(writeFile(temp, "3-long.txt", "LensID: " + QByteArray(50 * 1024 * 1024, 'x')));
        QVERIFY(writeFile(temp, "4-cr.txt", "ISO: 100\rDriveMode: Continuous Shooting\r"));
        QVERIFY(writeFile(temp, "5-crlf.txt", "ISO: 100\r\nLensID: Unknown 18-55mm\r\n"));
        QVERIFY(writeFile(temp, "6-lf.txt", "FocusMode: AI Focus AF\nLensID: Unknown 18-55mm\n"));
        QVERIFY(writeFile(temp, "7-short.txt", "FNumber\nLensID\nLensID:\nDriveMode\nISO"));
        QVERIFY(writeFile(temp, "8-empty.txt", QByteArray()));
        QVERIFY(writeFile(temp, "9-ends.txt", "\r\n\r\n\n\r\r"));
        // A FIFO is never opened (that would wait for a writer for ever), nor counted.
        QCOMPARE(::mkfifo(QFile::encodeName(temp.filePath(QStringLiteral("fifo.txt"))), 0600), 0);

        VanishingFilePlatform vanishing;
        const platform::Replacement<platform::Platform> installed(vanishing);
        Module1 state = stateFor(temp.path());
        CapturedResults view;
        analyse_exif(state, temp.path(), view);
        const StatisticsResults &results = view.results;

        QCOMPARE(results.fileCountLine, QStringLiteral("10 Fichiers RAW Analysés"));
        QCOMPARE(state.nb_objectifs, 1);
        QCOMPARE(state.objectifs[0], QStringLiteral("Unknown 18-55mm"));
        QCOMPARE(results.table(Chart::Lens), (ChartTable{{20}})); // 2 of 10 files
        QCOMPARE(results.iso[0].caption, QStringLiteral(" 2 photos, soit 20%"));
        const QString one = QStringLiteral(" 1 photos, soit 10%");
        QCOMPARE(results.iso[1].caption, one);
        QCOMPARE(results.autofocus[3].caption, one);
        QCOMPARE(results.drive[1].caption, one);
        QCOMPARE(results.aperture[16].caption, one);
    }

    void tagFilesOfTheRealExiftool() {
        using kadrilo::test::kCr2Lenses;
        KADRILO_REQUIRE_EXIFTOOL();
        QTemporaryDir images;
        QVERIFY(images.isValid());
        // iso, f-number, focus, continuous drive, self-timer, lens (-1: none).
        const int shots[][6] = {
            {100, 28, 0, 0, 0, 0},     // band 1, bucket 8, one-shot, single, lens 0
            {200, 80, 1, 1, 0, 1},     // band 2, bucket 17, servo, continuous, lens 1
            {6400, 220, 3, 0, 100, 0}, // band 7, bucket 24, manual, self-timer, lens 0
            {12800, 56, 2, 0, 0, 10},  // band 8, bucket 14, ai focus, single, unknown
            {300, 10, 6, 0, 0, -1},    // no band, no bucket, manual (6), single, no lens
            {65535, 110, 16, 1, 0, 9}, // band 8, bucket 20, pan focus, continuous, " or "
        };
        int n = 0;
        for (const auto &shot : shots) {
            kadrilo::test::Cr2Fixture f;
            f.iso = shot[0];
            f.fNumber = shot[1] / 10.0;
            f.focusMode = shot[2];
            f.continuousDrive = shot[3];
            f.selfTimer = shot[4];
            if (shot[5] >= 0)
                kadrilo::test::applyLens(f, kCr2Lenses[shot[5]]);
            QVERIFY(
                kadrilo::test::writeCr2(images.filePath(QStringLiteral("IMG_%1.CR2").arg(++n)), f));
        }
        const statistiques_exif stats = readWithExiftool(images.path());
        QCOMPARE(stats.nb_fichiers, 6);
        QCOMPARE(stats.compte_iso, (std::array<int, 8>{1, 1, 0, 0, 0, 0, 1, 2}));
        QCOMPARE(stats.compte_af, (std::array<int, 4>{1, 1, 2, 1}));
        QCOMPARE(stats.compte_drive, (std::array<int, 2>{3, 2}));
        std::array<int, 24> apertures{};
        apertures[7] = apertures[13] = apertures[16] = apertures[19] = apertures[23] = 1;
        QCOMPARE(stats.compte_diaph, apertures);
        QCOMPARE(stats.nb_objectifs, 4);
        const int lensOrder[] = {0, 1, 10, 9};
        for (int slot = 0; slot < 4; ++slot)
            QCOMPARE(stats.objectifs[slot], QString::fromUtf8(kCr2Lenses[lensOrder[slot]].lensId));
        QCOMPARE(stats.compte_objectifs[0], 2);
    }

    void realCanonSamples() {
        const QString samples = kadrilo::test::samplesFolder();
        if (samples.isEmpty() || QDir(samples).entryList({QStringLiteral("*.cr*")}).isEmpty())
            QSKIP("The Canon samples are not beside the repository");
        KADRILO_REQUIRE_EXIFTOOL();
        const statistiques_exif stats = readWithExiftool(samples);
        QCOMPARE(stats.nb_fichiers, 2);
        QCOMPARE(stats.compte_iso, (std::array<int, 8>{1, 0, 1, 0, 0, 0, 0, 0})); // 100 and 400
        QCOMPARE(stats.compte_af, (std::array<int, 4>{1, 0, 0, 1}));
        QCOMPARE(stats.compte_drive, (std::array<int, 2>{1, 1}));
        // f/8 of the CR2; the CRW's 3.6 has no bucket.
        std::array<int, 24> apertures{};
        apertures[16] = 1;
        QCOMPARE(stats.compte_diaph, apertures);
        QCOMPARE(stats.nb_objectifs, 1);
        QCOMPARE(stats.objectifs[0], QStringLiteral("Unknown 18-55mm"));
        QCOMPARE(stats.compte_objectifs[0], 2);
    }
};

QTEST_GUILESS_MAIN(TestAnalysisFiles)
#include "tst_analysis_files.moc"
