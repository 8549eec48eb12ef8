#include "analysis/tag_rules.h"
#include "analysis/wording.h"
#include "support/text.h"

#include <QByteArray>
#include <QTest>

using namespace kadrilo;
using kadrilo::test::s;

using ValueRule = int (*)(QByteArrayView);
Q_DECLARE_METATYPE(ValueRule)

namespace {

// A category as "class=count; ..." in its order, the classes without photos left out.
QString listed(const QVector<CountedValue> &classes) {
    QStringList list;
    for (const CountedValue &value : classes) {
        if (value.count > 0)
            list << value.name + u'=' + QString::number(value.count);
    }
    return list.join(QStringLiteral("; "));
}

int isoTotal(const statistiques_exif &stats) {
    int total = 0;
    for (int c : stats.compte_iso)
        total += c;
    return total;
}

} // namespace

class TestAnalysisRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // ISO bands, autofocus and drive modes, aperture buckets: 0 counts nowhere.
    void valueRules_data() {
        QTest::addColumn<ValueRule>("rule");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("slot");
        const auto row = [](const char *name, ValueRule rule, const QByteArray &value, int slot) {
            QTest::addRow("%s", name) << rule << value << slot;
        };
        row("iso 49 counts nowhere", isoBand, "49", 0);
        row("iso 50 starts band 1", isoBand, "50", 1);
        row("iso 126 stays in band 1", isoBand, "126", 1);
        row("iso 127 starts band 2", isoBand, "127", 2);
        row("iso 251 stays in band 2", isoBand, "251", 2);
        row("iso 252 counts nowhere", isoBand, "252", 0);
        row("iso 318 counts nowhere", isoBand, "318", 0);
        row("iso 319 starts band 3", isoBand, "319", 3);
        row("iso 1001 ends band 4", isoBand, "1001", 4);
        row("iso 2400 stays in band 5", isoBand, "2400", 5);
        row("iso 2401 counts nowhere", isoBand, "2401", 0);
        row("iso 2480 starts band 6", isoBand, "2480", 6);
        row("iso 4100 stays in band 6", isoBand, "4100", 6);
        row("iso 4101 starts band 7", isoBand, "4101", 7);
        row("iso 6401 stays in band 7", isoBand, "6401", 7);
        row("iso 6402 starts band 8", isoBand, "6402", 8);
        row("iso 12800 in band 8", isoBand, "12800", 8);
        row("iso 102400 beyond 16 bits in band 8", isoBand, "102400", 8);
        row("iso Auto reads as 0", isoBand, "Auto", 0);
        row("iso empty reads as 0", isoBand, QByteArray(), 0);
        row("iso 126.5 rounds to even 126", isoBand, "126.5", 1);
        row("iso 127.5 rounds to even 128", isoBand, "127.5", 2);
        row("iso leading blanks are skipped", isoBand, "   400", 3);
        row("iso negative counts nowhere", isoBand, "-6400", 0);
        row("af one-shot", autofocusMode, "One-shot AF", 1);
        row("af ai servo", autofocusMode, "AI Servo AF", 2);
        row("af manual focus (3)", autofocusMode, "Manual Focus (3)", 3);
        row("af ai focus", autofocusMode, "AI Focus AF", 4);
        row("af Manual alone counts nowhere", autofocusMode, "Manual", 0);
        row("af lower-case one-shot counts nowhere", autofocusMode, "one-shot AF", 0);
        row("af value cut short counts nowhere", autofocusMode, "AI Focus A", 0);
        row("drive single-frame", driveMode, "Single-frame Shooting", 1);
        row("drive continuous shooting", driveMode, "Continuous Shooting", 2);
        row("drive continuous, low", driveMode, "Continuous, Low", 2);
        row("drive self-timer counts nowhere", driveMode, "Self-timer Operation", 0);
        row("drive lower-case single counts nowhere", driveMode, "single", 0);
        row("f 2 in bucket 5", apertureBucket, "2", 5);
        row("f 2.0 in bucket 5", apertureBucket, "2.0", 5);
        row("f 1.2 in bucket 1", apertureBucket, "1.2", 1);
        row("f 16 in bucket 23", apertureBucket, "16", 23);
        row("f 18 in bucket 24", apertureBucket, "18", 24);
        row("f 20.0 in bucket 24", apertureBucket, "20.0", 24);
        row("f 22 in bucket 24", apertureBucket, "22", 24);
        row("f 2.00 counts nowhere", apertureBucket, "2.00", 0);
        row("f 5.60 counts nowhere", apertureBucket, "5.60", 0);
        row("f 32 counts nowhere", apertureBucket, "32", 0);
        row("f leading blank counts nowhere", apertureBucket, " 8.0", 0);
    }

    void valueRules() {
        QFETCH(ValueRule, rule);
        QFETCH(QByteArray, value);
        QFETCH(int, slot);
        QCOMPARE(rule(value), slot);
    }

    void lineKinds_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("value");
        const auto add = [](const char *name, const char *line, TagKind kind, const char *value) {
            QTest::addRow("%s", name) << QByteArray(line) << int(kind) << QByteArray(value);
        };
        add("iso value from position 6", "ISO: 400", TagKind::Iso, "400");
        add("iso-named tag starts inside its name", "ISOSpeed: 400", TagKind::Iso, "eed: 400");
        add("base iso is another tag", "BaseISO: 100", TagKind::None, "");
        add("lens id", "LensID: Canon EF 50mm f/1.8", TagKind::LensId, "Canon EF 50mm f/1.8");
        add("lens is not lens id", "Lens: 18.0 - 55.0 mm", TagKind::None, "");
        add("tag names are case-sensitive", "iso: 400", TagKind::None, "");
        add("fnumber without value", "FNumber", TagKind::FNumber, "");
        add("lens id with colon and blank only", "LensID: ", TagKind::LensId, "");
        add("iso without value", "ISO", TagKind::Iso, "");
    }

    void lineKinds() {
        QFETCH(QByteArray, line);
        QFETCH(int, kind);
        QFETCH(QByteArray, value);
        const TagLine tag = classifyLine(line);
        QCOMPARE(int(tag.kind), kind);
        QCOMPARE(tag.value.toByteArray(), value);
    }

    // A tag whose name only starts with "ISO" counts in no class at all.
    void isoLineCountsOnlyAsIso() {
        for (const char *line : {"ISOSpeed: 400", "ISOSetting: 100", "ISO: 100"}) {
            statistiques_exif stats;
            countLine(line, stats);
            QCOMPARE(isoTotal(stats), QByteArray(line).startsWith("ISO:") ? 1 : 0);
            QCOMPARE(stats.compte_af, (std::array<int, 4>{}));
            QCOMPARE(stats.compte_diaph, (std::array<int, 24>{}));
            QCOMPARE(stats.nb_objectifs, 0);
        }
    }

    void thirtyFirstLensIsDropped() {
        statistiques_exif stats;
        for (int i = 1; i <= 31; ++i)
            countLine("LensID: Lens " + QByteArray::number(i), stats);
        // Repeats after the list is full still count in their slots.
        for (const char *line : {"LensID: Lens 1", "LensID: Lens 30", "LensID: Lens 31"})
            countLine(line, stats);
        QCOMPARE(stats.nb_objectifs, 30);
        for (int slot = 1; slot <= 30; ++slot)
            QCOMPARE(stats.objectifs[size_t(slot - 1)], QStringLiteral("Lens %1").arg(slot));
        QCOMPARE(stats.compte_objectifs[0], 2);
        QCOMPARE(stats.compte_objectifs[1], 1);
        QCOMPARE(stats.compte_objectifs[29], 2);
    }

    // Lens names are compared byte for byte (case and blanks count) and read as UTF-8;
    // broken UTF-8 decodes the same way every time, so the same bytes stay one lens.
    void lensNamesCompareExactly() {
        statistiques_exif stats;
        const std::pair<const char *, int> names[] = {{"Canon EF 50mm f/1.8", 1},
                                                      {"canon ef 50mm f/1.8", 2},
                                                      {"Canon EF 50mm f/1.8 ", 3},
                                                      {"Canon EF 50mm f/1.8", 1},
                                                      {"Objectif \xc3\xa9tranger", 4},
                                                      {"Lens \xff\xfe", 5},
                                                      {"Lens \xff\xfe", 5}};
        for (const auto &[name, slot] : names)
            QCOMPARE(lensSlot(stats, name), slot);
        QCOMPARE(stats.nb_objectifs, 5);
        QCOMPARE(stats.objectifs[3], QStringLiteral("Objectif étranger"));
    }

    void emptyAndOversizedLensNamesTakeNoSlot() {
        statistiques_exif stats;
        countLine("LensID: ", stats);
        countLine("LensID:", stats);
        countLine("LensID: " + QByteArray(maxLensNameBytes + 1, 'x'), stats);
        QCOMPARE(stats.nb_objectifs, 0);
        countLine("LensID: Unknown 18-55mm", stats);
        QCOMPARE(stats.nb_objectifs, 1);
        QCOMPARE(stats.objectifs[0], QStringLiteral("Unknown 18-55mm"));
        QCOMPARE(stats.compte_objectifs[0], 1);
    }

    // The report's classes, counted from tag file contents (the window's five beside them):
    // each category as "class=count" in its order.
    void shotClasses_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("focal");
        QTest::addColumn<QString>("exposure");
        QTest::addColumn<QString>("models");
        QTest::addRow("17.5 mm floors to 17 mm, ascending")
            << QByteArray("FocalLength: 18.0 mm\nFocalLength: 17.5 mm\nFocalLength: 17.0 mm\n")
            << QStringLiteral("17 mm=2; 18 mm=1") << QString() << QString();
        QTest::addRow("exposure times from 1/8000 to 30")
            << QByteArray("ExposureTime: 30\nExposureTime: 0.5\nExposureTime: 1/8000\n"
                          "ExposureTime: 1/250\nExposureTime: 1\nExposureTime: 1/250\n")
            << QString() << QStringLiteral("1/8000=1; 1/250=2; 0.5=1; 1=1; 30=1") << QString();
        QTest::addRow("two bodies in order of first appearance")
            << QByteArray("Model: Canon EOS 350D DIGITAL\r\nModel: Canon EOS DIGITAL REBEL\r\n"
                          "Model: Canon EOS 350D DIGITAL\r\n")
            << QString() << QString()
            << QStringLiteral("Canon EOS 350D DIGITAL=2; Canon EOS DIGITAL REBEL=1");
        QTest::addRow("missing values and look-alike tags count nowhere")
            << QByteArray("FocalLength: 0.0 mm\nFocalLengthIn35mmFormat: 88 mm\n"
                          "FocalLength35efl: 55.0 mm\nExposureTime: \nModel:\n"
                          "CanonModelID: EOS 350D\nLensModel: EF-S 18-55mm\nModelX: 1\n")
            << QString() << QString() << QString();
    }

    void shotClasses() {
        QFETCH(QByteArray, content);
        QFETCH(QString, focal);
        QFETCH(QString, exposure);
        QFETCH(QString, models);
        statistiques_exif stats;
        ShotCounts shots;
        countImage(readImageTags(content), stats, shots);
        QCOMPARE(listed(shots.focalLengths()), focal);
        QCOMPARE(listed(shots.exposureTimes()), exposure);
        QCOMPARE(listed(shots.models()), models);
    }

    // Which tag files stand for no photo, in both forms: only ExifTool's Canon raw types
    // count, and the form with sub-folders needs one of its seven tags.
    void uncountedTagFiles_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<QString>("reason"); // empty: the image counts
        const QString notRaw = QStringLiteral("ce n'est pas une image RAW Canon : ");
        const QString noTag = wording::noFolderFormTagReason();
        const auto row = [](const char *name, const char *content, bool recursive,
                            const QString &reason) {
            QTest::addRow("%s", name) << QByteArray(content) << recursive << reason;
        };
        row("CRW and CR3", "FileType: CRW\nISO: 100\nFileType: CR3\n", true, {});
        row("JPEG renamed CR3", "FileType: JPEG\nISO: 800\n", false, notRaw + s("JPEG"));
        row("text named CR2", "FileType: TXT\n", true, notRaw + s("TXT"));
        row("type in lower case", "FileType: cr2\r\nISO: 100\r\n", false, notRaw + s("cr2"));
        row("FileTypeExtension is not the type", "FileTypeExtension: jpg\nISO: 1\n", true, {});
        row("none of the seven tags, with sub-folders", "FileType: CR2\nModel: C\n", true, noTag);
        row("none of the seven tags, this folder only", "FileType: CR2\nModel: C\n", false, {});
    }

    void uncountedTagFiles() {
        QFETCH(QByteArray, content);
        QFETCH(bool, recursive);
        QFETCH(QString, reason);
        QCOMPARE(uncountedReason(readImageTags(content), recursive), reason);
    }

    // ExifTool's reasons in French, its own words kept; an unknown one stays as written.
    void frenchReasons_data() {
        QTest::addColumn<QString>("exiftool");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char *exiftool, const char *shown) {
            QTest::addRow("%s", exiftool)
                << QString::fromUtf8(exiftool) << QString::fromUtf8(shown);
        };
        row("File format error", "format de fichier non reconnu (File format error)");
        row("Error opening file", "fichier illisible (droits d'accès ?) (Error opening file)");
        row("First 4 kB of file is binary zeros", "fichier abîmé (un même octet répété au début) "
                                                  "(First 4 kB of file is binary zeros)");
        row("Truncated 'moov' data", "fichier tronqué (Truncated 'moov' data)");
        row("File format error in a new place", "File format error in a new place");
        row("First error of a new kind", "First error of a new kind");
    }

    void frenchReasons() {
        QFETCH(QString, exiftool);
        QFETCH(QString, shown);
        QCOMPARE(wording::frenchReason(exiftool), shown);
    }

    // The classes of the report counted image by image: each row is a library whose images
    // are separated by "|", and the classes of one category it must give.
    void imageClasses_data() {
        QTest::addColumn<QByteArray>("images");
        QTest::addColumn<QString>("category"); // focal35, hours, months, years or lenses
        QTest::addColumn<QString>("classes");
        const auto row = [](const char *name, const char *images, const char *category,
                            const char *classes) {
            QTest::addRow("%s", name)
                << QByteArray(images) << QString::fromUtf8(category) << QString::fromUtf8(classes);
        };
        row("35 mm equivalent cut to whole millimetres, none without a scale factor",
            "FocalLength35efl: 55.0 mm (35 mm equivalent: 88.0 mm)|"
            "FocalLength35efl: 17.5 mm (35 mm equivalent: 28.9 mm)|FocalLength35efl: 55.0 mm|"
            "FocalLength35efl: 0.0 mm (35 mm equivalent: 0.0 mm)|FocalLength: 50.0 mm",
            "focal35", "28 mm=1; 88 mm=1");
        const char *newYear = "DateTimeOriginal: 2022:12:31 23:59:59|"
                              "DateTimeOriginal: 2023:01:01 00:00:00\r\n|"
                              "ISO: 100\nDateTimeOriginal: 2023:08:15 14:05:00+02:00\n";
        row("hour of the shot", newYear, "hours", "0 h=1; 14 h=1; 23 h=1");
        row("month of the shot", newYear, "months", "janvier=1; août=1; décembre=1");
        row("year of the shot", newYear, "years", "2022=1; 2023=2");
        row("dates that name no instant count nowhere",
            "DateTimeOriginal: 0000:00:00 00:00:00|DateTimeOriginal: 2023:02:29 10:00:00|"
            "DateTimeOriginal: 2023:07:14 24:00:00|DateTimeOriginal: 2023-07-14 10:00:00|"
            "DateTimeOriginal: 2023:07:14|CreateDate: 2023:07:14 10:00:00",
            "years", "");
        row("focal lengths per lens, lenses in order of first occurrence",
            "LensID: Canon EF 24-70mm f/2.8L USM\nFocalLength: 24.0 mm|"
            "FocalLength: 70.0 mm\r\nLensID: Canon EF 24-70mm f/2.8L USM\r\n|"
            "LensID: Canon EF 50mm f/1.8\nFocalLength: 50.0 mm|"
            "LensID: Canon EF 24-70mm f/2.8L USM\nFocalLength: 0.0 mm|"
            "LensID: Canon EF 24-70mm f/2.8L USM\nFocalLength: 24.5 mm|"
            "LensID: canon ef 24-70mm f/2.8l usm\nFocalLength: 35.0 mm|"
            "FocalLength: 85.0 mm|LensID: \nFocalLength: 10.0 mm|"
            "LensIDNumber: 1\nFocalLength: 12.0 mm",
            "lenses",
            "Canon EF 24-70mm f/2.8L USM=4 [24 mm=2; 70 mm=1]; Canon EF 50mm f/1.8=1 [50 mm=1]; "
            "canon ef 24-70mm f/2.8l usm=1 [35 mm=1]");
        row("lines ended by CR alone", "LensID: Canon EF 50mm f/1.8\rFocalLength: 50.0 mm\r",
            "lenses", "Canon EF 50mm f/1.8=1 [50 mm=1]");
        const char *safety =
            "LensID: A\nExposureTime: 1/50\nFocalLength35efl: 50.0 mm (35 mm equivalent: 50.0 mm)|"
            "LensID: A\nFocalLength35efl: 28.0 mm (35 mm equivalent: 44.8 mm)\nExposureTime: 1/40|"
            "LensID: B\nExposureTime: 30\nFocalLength35efl: 10.0 mm (35 mm equivalent: 16.0 mm)|"
            "LensID: B\nExposureTime: 1/50\nFocalLength35efl: 50.0 mm|"
            "LensID: C\nFocalLength35efl: 50.0 mm (35 mm equivalent: 50.0 mm)|"
            "ExposureTime: 1/25\nFocalLength35efl: 50.0 mm (35 mm equivalent: 50.0 mm)\n"
            "ExposureTime: 1/1000";
        row("shutter safety: an image needs both values, the first of each", safety, "safety",
            "à 1/focale ou plus rapide=1; 1 IL plus lent=2; "
            "plus de 3 IL plus lent=1");
        row("shutter safety per lens: only lenses with a class, their images with one", safety,
            "lensSafety",
            "A=2 [à 1/focale ou plus rapide=1; 1 IL plus lent=1]; "
            "B=1 [plus de 3 IL plus lent=1]");
    }

    void imageClasses() {
        QFETCH(QByteArray, images);
        QFETCH(QString, category);
        QFETCH(QString, classes);
        ShotCounts shots;
        for (const QByteArray &image : images.split('|'))
            shots.countImage(readImageTags(image));
        QString counted;
        if (category == QLatin1String("focal35"))
            counted = listed(shots.focalLengths35());
        else if (category == QLatin1String("hours"))
            counted = listed(shots.hours());
        else if (category == QLatin1String("months"))
            counted = listed(shots.months());
        else if (category == QLatin1String("years"))
            counted = listed(shots.years());
        else if (category == QLatin1String("safety"))
            counted = listed(shots.shutterSafety());
        if (category == QLatin1String("lensSafety")) {
            QStringList lenses;
            for (const LensClasses &lens : shots.lensShutterSafety())
                lenses << QStringLiteral("%1=%2 [%3]")
                              .arg(lens.lens)
                              .arg(lens.count)
                              .arg(listed(lens.classes));
            counted = lenses.join(QStringLiteral("; "));
        }
        QStringList lenses;
        for (const LensFocalLengths &lens : shots.lensFocalLengths())
            lenses << QStringLiteral("%1=%2 [%3]")
                          .arg(lens.lens)
                          .arg(lens.count)
                          .arg(listed(lens.focalLengths));
        if (category == QLatin1String("lenses"))
            counted = lenses.join(QStringLiteral("; "));
        QCOMPARE(counted, classes);
    }

    // The handheld limit from the printed values: the margin in stops, log2(exposure x 35 mm
    // equivalent), and its class; each bound and a hair on either side of its tolerance.
    void shutterSafetyClasses_data() {
        QTest::addColumn<QByteArray>("exposure");
        QTest::addColumn<QByteArray>("equivalent");
        QTest::addColumn<int>("safetyClass");
        const auto row = [](const char *name, const char *exposure, const char *equivalent,
                            int safetyClass) {
            QTest::addRow("%s", name)
                << QByteArray(exposure)
                << (QByteArray("50.0 mm (35 mm equivalent: ") + equivalent + " mm)") << safetyClass;
        };
        row("1/50 s at 50 mm: the limit itself", "1/50", "50.0", 0);
        row("a rounded limit, 1/50 at 50.3 mm", "1/50", "50.3", 0);
        row("just past the tolerance", "1/50", "50.4", 1);
        row("1/25 s at 50 mm: exactly one stop", "1/25", "50.0", 1);
        row("1/40 at 28 mm on a 1.6 crop", "1/40", "44.8", 1);
        row("just past one stop", "1/25", "50.4", 2);
        row("exactly two stops, a decimal exposure", "0.5", "8.0", 2);
        row("exactly three stops", "1/4", "32.0", 3);
        row("just past three stops", "1/4", "32.3", 4);
        row("30 s at 16 mm", "30", "16.0", 4);
        row("no equivalent", "1/50", "", -1);
        row("exposure of zero", "0", "50.0", -1);
        row("equivalent of zero", "1/50", "0.0", -1);
        QTest::addRow("printed without an equivalent")
            << QByteArray("1/50") << QByteArray("50.0 mm") << -1;
    }

    void shutterSafetyClasses() {
        QFETCH(QByteArray, exposure);
        QFETCH(QByteArray, equivalent);
        QFETCH(int, safetyClass);
        QCOMPARE(shutterSafetyClass(shutterSafetyMargin(exposure, equivalent)), safetyClass);
    }

    // The report keeps every lens; the ones the window's 30 slots leave out are told with
    // their photos, and the slots hold the very first 30.
    void lensesPastTheThirtieth() {
        statistiques_exif stats;
        ShotCounts shots;
        for (int i = 1; i <= 32; ++i)
            countImage(
                readImageTags("LensID: Lens " + QByteArray::number(i) + "\nFocalLength: 50.0 mm\n"),
                stats, shots);
        countImage(readImageTags("LensID: Lens 31\n"), stats, shots);
        QCOMPARE(stats.nb_objectifs, 30);
        QCOMPARE(shots.lensFocalLengths().size(), 32);
        QCOMPARE(shots.lensFocalLengths().at(29).lens, stats.objectifs[29]);
        QCOMPARE(shots.lensesAfter(statistiques_exif::lens_slots), 2);
        QCOMPARE(shots.lensPhotosAfter(statistiques_exif::lens_slots), 3);
        QCOMPARE(shots.lensFocalLengths().at(30).focalLengths.value(0).count, 1);
    }

    // The lines kept for counting, as the report's cache keeps them: every end of line that
    // the window's reading takes (CR LF, CR, CR CR LF, LF CR, none at the last), and only the
    // tags that a rule reads.
    void keptLines() {
        QCOMPARE(countedTagLines(readImageTags("ISO: 4\r\nBaseISO: 1\rFNumber: 4\r\r\nModelID: 2"
                                               "\n\rExifToolVersion: 12\nLensID: A")),
                 QByteArray("ISO: 4\nFNumber: 4\nModelID: 2\nLensID: A\n"));
    }
};

QTEST_GUILESS_MAIN(TestAnalysisRules)
#include "tst_analysis_rules.moc"
