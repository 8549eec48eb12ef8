#include "analysis/results.h"
#include "platform/platform.h"
#include "run/frm_travail.h"
#include "run/module1.h"
#include "support/cr2_writer.h"
#include "support/fake_platform.h"
#include "support/program_folder.h"
#include "support/tag_files.h"

#include <QDir>
#include <QLabel>
#include <QtTest>

using kadrilo::frm_travail;

namespace {

class NullView : public kadrilo::ResultsView {
public:
    void showResults(const kadrilo::StatisticsResults &) override {}
};

// The folder window as the work window sees it. Asking for the statistics window is what
// the analysis does first: it records the message line at that moment.
class FakeSource : public kadrilo::WorkSource {
public:
    FakeSource(frm_travail &window, const QString &folder)
        : m_window(window)
        , m_folder(folder) {}
    QString currentFolder() const override { return m_folder; }
    kadrilo::ResultsView &statisticsWindow() override {
        ++analyses;
        messageDuringAnalysis = m_window.findChild<QLabel *>(QStringLiteral("lbl_travail"))->text();
        return m_view;
    }

    int analyses = 0;
    QString messageDuringAnalysis;

private:
    frm_travail &m_window;
    QString m_folder;
    NullView m_view;
};

} // namespace

class tst_frm_travail : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void steps_data();
    void steps();
};

void tst_frm_travail::initTestCase() {
    KADRILO_REQUIRE_EXIFTOOL();
}

void tst_frm_travail::steps_data() {
    QTest::addColumn<QString>("etape");
    QTest::addColumn<bool>("extractionFaite");
    QTest::addColumn<bool>("expectExiftool");
    QTest::addColumn<bool>("expectAnalysis");

    const QString lecture = QStringLiteral("lectureraw");
    QTest::addRow("reading step runs ExifTool then the analysis")
        << lecture << false << true << true;
    QTest::addRow("reading step after an extraction only analyses")
        << lecture << true << false << true;
    QTest::addRow("analysis step only analyses")
        << QStringLiteral("analyseexif") << false << false << true;
    QTest::addRow("no step before the first cycle does nothing")
        << QString() << false << false << false;
}

void tst_frm_travail::steps() {
    QFETCH(QString, etape);
    QFETCH(bool, extractionFaite);
    QFETCH(bool, expectExiftool);
    QFETCH(bool, expectAnalysis);

    // A program folder with its temp folder and two Canon raw fixtures.
    kadrilo::test::FakePlatform fake;
    kadrilo::test::ProgramFolder program;
    const QString images = program.makeFolder(QStringLiteral("images"));
    for (int i = 1; i <= 2; ++i)
        kadrilo::test::writeCr2(QDir(images).filePath(QStringLiteral("IMG_%1.CR2").arg(i)), {});
    kadrilo::Module1 state;
    state.type_raw = QStringLiteral("Canon");
    state.chemin_exiftool = program.filePath(QStringLiteral("exiftool.exe"));
    state.dossier_temp =
        kadrilo::platform::withTrailingSeparator(program.makeFolder(QStringLiteral("temp")));
    state.etape_travail = etape;
    state.extraction_faite = extractionFaite;
    frm_travail window(state);
    FakeSource source(window, images);
    QCOMPARE(window.showModal(source), frm_travail::Ending::Done);

    QVERIFY(!window.isVisible());
    QCOMPARE(state.etape_travail, expectAnalysis ? QStringLiteral("analyseexif") : QString());
    QCOMPARE(state.ligne_commande.isEmpty(), !expectExiftool);
    QCOMPARE(kadrilo::test::tagFiles(state.dossier_temp).size(), expectExiftool ? 2 : 0);
    QCOMPARE(state.extraction_faite, extractionFaite || expectExiftool);
    QCOMPARE(source.analyses, expectAnalysis ? 1 : 0);
    QCOMPARE(source.messageDuringAnalysis, QString()); // cleared before the analysis
    QVERIFY(fake.messages.isEmpty());
}

QTEST_MAIN(tst_frm_travail)
#include "tst_frm_travail.moc"
