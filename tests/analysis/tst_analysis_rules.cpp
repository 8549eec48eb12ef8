#include "analysis/tag_rules.h"
#include "run/module1.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QTest>

using namespace kadrilo;

class TestAnalysisRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void isoBands_data();
    void isoBands();
    void lineKinds_data();
    void lineKinds();
    void isoLineCountsOnlyAsIso_data();
    void isoLineCountsOnlyAsIso();
    void autofocusModes_data();
    void autofocusModes();
    void driveModes_data();
    void driveModes();
    void apertureBuckets_data();
    void apertureBuckets();
    void thirtyFirstLensIsDropped();
    void lensNamesCompareExactly();
    void emptyAndOversizedLensNamesTakeNoSlot();
    void lensNamesDecodeAsUtf8();
    void lineEndings_data();
    void lineEndings();
    void junkIsTakenInStride_data();
    void junkIsTakenInStride();
};

void TestAnalysisRules::isoBands_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("band");
    QTest::addRow("iso 49 counts nowhere") << QByteArray("49") << 0;
    QTest::addRow("iso 50 starts band 1") << QByteArray("50") << 1;
    QTest::addRow("iso 126 stays in band 1") << QByteArray("126") << 1;
    QTest::addRow("iso 127 starts band 2") << QByteArray("127") << 2;
    QTest::addRow("iso 251 stays in band 2") << QByteArray("251") << 2;
    QTest::addRow("iso 252 counts nowhere") << QByteArray("252") << 0;
    QTest::addRow("iso 318 counts nowhere") << QByteArray("318") << 0;
    QTest::addRow("iso 319 starts band 3") << QByteArray("319") << 3;
    QTest::addRow("iso 1001 ends band 4") << QByteArray("1001") << 4;
    QTest::addRow("iso 2400 stays in band 5") << QByteArray("2400") << 5;
    QTest::addRow("iso 2401 counts nowhere") << QByteArray("2401") << 0;
    QTest::addRow("iso 2480 starts band 6") << QByteArray("2480") << 6;
    QTest::addRow("iso 4100 stays in band 6") << QByteArray("4100") << 6;
    QTest::addRow("iso 4101 starts band 7") << QByteArray("4101") << 7;
    QTest::addRow("iso 6401 stays in band 7") << QByteArray("6401") << 7;
    QTest::addRow("iso 6402 starts band 8") << QByteArray("6402") << 8;
    QTest::addRow("iso 12800 in band 8") << QByteArray("12800") << 8;
    QTest::addRow("iso 102400 beyond 16 bits in band 8") << QByteArray("102400") << 8;
    QTest::addRow("iso 65535 in band 8") << QByteArray("65535") << 8;
    QTest::addRow("a huge digit run in band 8") << QByteArray(400, '9') << 8;
    QTest::addRow("Auto reads as 0") << QByteArray("Auto") << 0;
    QTest::addRow("empty value reads as 0") << QByteArray() << 0;
    QTest::addRow("126.5 rounds to even 126") << QByteArray("126.5") << 1;
    QTest::addRow("127.5 rounds to even 128") << QByteArray("127.5") << 2;
    QTest::addRow("126.51 rounds up to 127") << QByteArray("126.51") << 2;
    QTest::addRow("49.5 rounds to even 50") << QByteArray("49.5") << 1;
    QTest::addRow("6401.5 rounds to even 6402") << QByteArray("6401.5") << 8;
    QTest::addRow("leading blanks are skipped") << QByteArray("   400") << 3;
    QTest::addRow("plus sign") << QByteArray("+800") << 4;
    QTest::addRow("negative value counts nowhere") << QByteArray("-6400") << 0;
    QTest::addRow("two values: the first counts") << QByteArray("100, 3200") << 1;
    QTest::addRow("trailing text is ignored") << QByteArray("1600 (extended)") << 5;
    QTest::addRow("comma is no decimal point") << QByteArray("126,9") << 1;
}

void TestAnalysisRules::isoBands() {
    QFETCH(QByteArray, value);
    QFETCH(int, band);
    QCOMPARE(isoBand(value), band);
}

void TestAnalysisRules::lineKinds_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("value");
    const auto add = [](const char *name, const char *line, TagKind kind, const char *value) {
        QTest::addRow("%s", name) << QByteArray(line) << int(kind) << QByteArray(value);
    };
    add("iso value from position 6", "ISO: 400", TagKind::Iso, "400");
    add("iso-named tag starts inside its name", "ISOSpeed: 400", TagKind::Iso, "eed: 400");
    add("base iso is another tag", "BaseISO: 100", TagKind::None, "");
    add("focus mode from position 12", "FocusMode: One-shot AF", TagKind::FocusMode, "One-shot AF");
    add("drive mode from position 12", "DriveMode: Continuous Shooting", TagKind::DriveMode,
        "Continuous Shooting");
    add("fnumber from position 10", "FNumber: 5.6", TagKind::FNumber, "5.6");
    add("lens id from position 9", "LensID: Canon EF 50mm f/1.8", TagKind::LensId,
        "Canon EF 50mm f/1.8");
    add("lens is not lens id", "Lens: 18.0 - 55.0 mm", TagKind::None, "");
    add("lens type is not lens id", "LensType: Unknown", TagKind::None, "");
    add("tag names are case-sensitive", "iso: 400", TagKind::None, "");
    add("fnumber without value", "FNumber", TagKind::FNumber, "");
    add("fnumber with colon only", "FNumber:", TagKind::FNumber, "");
    add("lens id with colon and blank only", "LensID: ", TagKind::LensId, "");
    add("iso without value", "ISO", TagKind::Iso, "");
    add("empty line", "", TagKind::None, "");
}

void TestAnalysisRules::lineKinds() {
    QFETCH(QByteArray, line);
    QFETCH(int, kind);
    QFETCH(QByteArray, value);
    const TagLine tag = classifyLine(line);
    QCOMPARE(int(tag.kind), kind);
    QCOMPARE(tag.value.toByteArray(), value);
}

void TestAnalysisRules::isoLineCountsOnlyAsIso_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("isoTotal");
    QTest::addRow("iso speed line is emptied") << QByteArray("ISOSpeed: 400") << 0;
    QTest::addRow("iso setting line is emptied") << QByteArray("ISOSetting: 100") << 0;
    QTest::addRow("plain iso line counts once") << QByteArray("ISO: 100") << 1;
}

void TestAnalysisRules::isoLineCountsOnlyAsIso() {
    QFETCH(QByteArray, line);
    QFETCH(int, isoTotal);
    statistiques_exif stats;
    Module1 state;
    countLine(line, stats, state);
    int iso = 0;
    for (int c : stats.compte_iso)
        iso += c;
    QCOMPARE(iso, isoTotal);
    for (int c : stats.compte_af)
        QCOMPARE(c, 0);
    for (int c : stats.compte_diaph)
        QCOMPARE(c, 0);
    QCOMPARE(state.nb_objectifs, 0);
}

void TestAnalysisRules::autofocusModes_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("mode");
    QTest::addRow("one-shot") << QByteArray("One-shot AF") << 1;
    QTest::addRow("ai servo") << QByteArray("AI Servo AF") << 2;
    QTest::addRow("manual focus (3)") << QByteArray("Manual Focus (3)") << 3;
    QTest::addRow("manual focus (6)") << QByteArray("Manual Focus (6)") << 3;
    QTest::addRow("ai focus") << QByteArray("AI Focus AF") << 4;
    QTest::addRow("Manual alone counts nowhere") << QByteArray("Manual") << 0;
    QTest::addRow("lower-case one-shot counts nowhere") << QByteArray("one-shot AF") << 0;
    QTest::addRow("value cut short counts nowhere") << QByteArray("AI Focus A") << 0;
    QTest::addRow("pan focus counts nowhere") << QByteArray("Pan Focus") << 0;
    QTest::addRow("empty value") << QByteArray() << 0;
}

void TestAnalysisRules::autofocusModes() {
    QFETCH(QByteArray, value);
    QFETCH(int, mode);
    QCOMPARE(autofocusMode(value), mode);
}

void TestAnalysisRules::driveModes_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("mode");
    QTest::addRow("single-frame shooting") << QByteArray("Single-frame Shooting") << 1;
    QTest::addRow("continuous shooting") << QByteArray("Continuous Shooting") << 2;
    QTest::addRow("continuous, low") << QByteArray("Continuous, Low") << 2;
    QTest::addRow("self-timer counts nowhere") << QByteArray("Self-timer Operation") << 0;
    QTest::addRow("lower-case single counts nowhere") << QByteArray("single") << 0;
    QTest::addRow("value cut short counts nowhere") << QByteArray("Singl") << 0;
}

void TestAnalysisRules::driveModes() {
    QFETCH(QByteArray, value);
    QFETCH(int, mode);
    QCOMPARE(driveMode(value), mode);
}

void TestAnalysisRules::apertureBuckets_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("bucket");
    QTest::addRow("2 in bucket 5") << QByteArray("2") << 5;
    QTest::addRow("2.0 in bucket 5") << QByteArray("2.0") << 5;
    QTest::addRow("1.2 in bucket 1") << QByteArray("1.2") << 1;
    QTest::addRow("8.0 in bucket 17") << QByteArray("8.0") << 17;
    QTest::addRow("16 in bucket 23") << QByteArray("16") << 23;
    QTest::addRow("18 in bucket 24") << QByteArray("18") << 24;
    QTest::addRow("20.0 in bucket 24") << QByteArray("20.0") << 24;
    QTest::addRow("22 in bucket 24") << QByteArray("22") << 24;
    QTest::addRow("2.00 counts nowhere") << QByteArray("2.00") << 0;
    QTest::addRow("5.60 counts nowhere") << QByteArray("5.60") << 0;
    QTest::addRow("32 counts nowhere") << QByteArray("32") << 0;
    QTest::addRow("1.0 counts nowhere") << QByteArray("1.0") << 0;
    QTest::addRow("6.7 counts nowhere") << QByteArray("6.7") << 0;
    QTest::addRow("leading blank counts nowhere") << QByteArray(" 8.0") << 0;
    QTest::addRow("trailing blank counts nowhere") << QByteArray("8.0 ") << 0;
    QTest::addRow("empty value") << QByteArray() << 0;
}

void TestAnalysisRules::apertureBuckets() {
    QFETCH(QByteArray, value);
    QFETCH(int, bucket);
    QCOMPARE(apertureBucket(value), bucket);
}

void TestAnalysisRules::thirtyFirstLensIsDropped() {
    Module1 state;
    state.nb_objectifs = 0;
    statistiques_exif stats;
    for (int i = 1; i <= 31; ++i)
        countLine("LensID: Lens " + QByteArray::number(i), stats, state);
    // Repeats after the list is full still count in their slots.
    countLine("LensID: Lens 1", stats, state);
    countLine("LensID: Lens 30", stats, state);
    countLine("LensID: Lens 31", stats, state);

    QCOMPARE(state.nb_objectifs, 30);
    for (int slot = 1; slot <= 30; ++slot)
        QCOMPARE(state.objectifs[size_t(slot - 1)], QStringLiteral("Lens %1").arg(slot));
    QCOMPARE(stats.compte_objectifs[0], 2);
    QCOMPARE(stats.compte_objectifs[1], 1);
    QCOMPARE(stats.compte_objectifs[29], 2);
}

void TestAnalysisRules::lensNamesCompareExactly() {
    Module1 state;
    QCOMPARE(lensSlot(state, "Canon EF 50mm f/1.8"), 1);
    QCOMPARE(lensSlot(state, "canon ef 50mm f/1.8"), 2);
    QCOMPARE(lensSlot(state, "Canon EF 50mm f/1.8 "), 3);
    QCOMPARE(lensSlot(state, "Canon EF 50mm f/1.8"), 1);
    QCOMPARE(state.nb_objectifs, 3);
}

void TestAnalysisRules::emptyAndOversizedLensNamesTakeNoSlot() {
    Module1 state;
    statistiques_exif stats;
    countLine("LensID: ", stats, state);
    countLine("LensID:", stats, state);
    countLine("LensID: " + QByteArray(maxLensNameBytes + 1, 'x'), stats, state);
    QCOMPARE(state.nb_objectifs, 0);
    countLine("LensID: Unknown 18-55mm", stats, state);
    QCOMPARE(state.nb_objectifs, 1);
    QCOMPARE(state.objectifs[0], QStringLiteral("Unknown 18-55mm"));
    QCOMPARE(stats.compte_objectifs[0], 1);
}

void TestAnalysisRules::lensNamesDecodeAsUtf8() {
    Module1 state;
    QCOMPARE(lensSlot(state, "Objectif \xc3\xa9tranger"), 1);
    QCOMPARE(state.objectifs[0], QStringLiteral("Objectif étranger"));
    // Broken UTF-8 decodes the same way every time: the same bytes stay one lens.
    QCOMPARE(lensSlot(state, "Lens \xff\xfe"), 2);
    QCOMPARE(lensSlot(state, "Lens \xff\xfe"), 2);
    QCOMPARE(state.nb_objectifs, 2);
}

void TestAnalysisRules::lineEndings_data() {
    QTest::addColumn<QByteArray>("end");
    QTest::addRow("LF") << QByteArray("\n");
    QTest::addRow("CR LF") << QByteArray("\r\n");
    QTest::addRow("CR alone") << QByteArray("\r");
    QTest::addRow("CR CR LF") << QByteArray("\r\r\n");
    QTest::addRow("LF CR") << QByteArray("\n\r");
}

void TestAnalysisRules::lineEndings() {
    QFETCH(QByteArray, end);
    const QByteArray content = "ExifToolVersion: 12.57" + end + "ISO: 400" + end +
                               "FocusMode: AI Servo AF" + end + "DriveMode: Single" + end +
                               "FNumber: 2.8" + end + "LensID: Canon EF 50mm f/1.8" + end +
                               "FNumber: 4"; // last line without an end
    Module1 state;
    statistiques_exif stats;
    countContent(content, stats, state);
    QCOMPARE(stats.compte_iso[2], 1);
    QCOMPARE(stats.compte_af[1], 1);
    QCOMPARE(stats.compte_drive[0], 1);
    QCOMPARE(stats.compte_diaph[7], 1);
    QCOMPARE(stats.compte_diaph[10], 1);
    QCOMPARE(state.nb_objectifs, 1);
    QCOMPARE(state.objectifs[0], QStringLiteral("Canon EF 50mm f/1.8"));
}

void TestAnalysisRules::junkIsTakenInStride_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("iso400");
    QByteArray random(64 * 1024, '\0');
    QRandomGenerator generator(1234);
    for (char &c : random)
        c = char(generator.bounded(256));
    QTest::addRow("random bytes") << random << 0;
    QTest::addRow("random bytes, then a tag") << random + "\nISO: 400\n" << 1;
    QTest::addRow("NUL bytes inside lines") << QByteArray("IS\0O: 400\nISO: 400\0\0\n", 22) << 1;
    QTest::addRow("short lines of every tag")
        << QByteArray("ISO\nFocusMode\nFocusMode: One\nDriveMode: Sin\nFNumber\nLensID\n"
                      "LensID:\nF\nL\nD\nI\n")
        << 0;
    QTest::addRow("only line ends") << QByteArray("\r\n\r\n\n\r\r") << 0;
}

void TestAnalysisRules::junkIsTakenInStride() {
    QFETCH(QByteArray, content);
    QFETCH(int, iso400);
    Module1 state;
    statistiques_exif stats;
    countContent(content, stats, state);
    QCOMPARE(stats.compte_iso[2], iso400);
    QVERIFY(state.nb_objectifs <= Module1::lens_slots);
}

QTEST_GUILESS_MAIN(TestAnalysisRules)
#include "tst_analysis_rules.moc"
