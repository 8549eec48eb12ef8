#include "analysis/statistiques.h"
#include "fake_exiftool.h"
#include "modal_script.h"
#include "platform/platform.h"
#include "run/frm_travail.h"
#include "run/module1.h"
#include "support/cr2_writer.h"
#include "support/fake_platform.h"
#include "support/program_folder.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QtTest>

using kadrilo::frm_travail;
using kadrilo::Module1;
using kadrilo::test::ProgramFolder;

namespace {

const QString caption = QStringLiteral("Lecture des informations EXIF....");
const QString message =
    QStringLiteral("L'analyse est en cours .....Cela peut prendre un certain temps suivant le "
                   "nombre de fichiers à analyser.(1000 à 2000 fichiers lu par minute....)");

class NullSink : public kadrilo::StatisticsSink {
public:
    void setResult(kadrilo::ResultArray, int, const QString &) override {}
    void setSummary(kadrilo::SummaryLine, const QString &) override {}
    void setColumnCount(kadrilo::Chart, int) override {}
    void setChartData(kadrilo::Chart, const kadrilo::ChartTable &) override {}
};

// The folder window as the work window sees it. Asking for the statistics window is what
// the analysis does first: it records the message line at that moment.
class FakeSource : public kadrilo::WorkSource {
public:
    explicit FakeSource(frm_travail &window)
        : m_window(window) {}
    QString currentFolder() const override { return folder; }
    kadrilo::StatisticsSink &statisticsWindow() override {
        ++analyses;
        messageDuringAnalysis = m_window.findChild<QLabel *>(QStringLiteral("lbl_travail"))->text();
        return sink;
    }

    QString folder;
    int analyses = 0;
    QString messageDuringAnalysis;
    NullSink sink;

private:
    frm_travail &m_window;
};

// A program folder with its temp folder and a folder of `images` Canon raw fixtures.
struct Setup {
    explicit Setup(ProgramFolder::Exiftool exiftool = ProgramFolder::Exiftool::Linked,
                   int images = 2)
        : program(exiftool) {
        state.type_raw = QStringLiteral("Canon");
        state.chemin_exiftool = program.filePath(QStringLiteral("exiftool.exe"));
        state.dossier_temp =
            kadrilo::platform::withTrailingSeparator(program.makeFolder(QStringLiteral("temp")));
        imageFolder = program.makeFolder(QStringLiteral("images"));
        for (int i = 1; i <= images; ++i)
            kadrilo::test::writeCr2(QDir(imageFolder).filePath(QStringLiteral("IMG_%1.CR2").arg(i)),
                                    {});
    }

    int tagFiles() const {
        return QDir(state.dossier_temp).entryList({QStringLiteral("*.txt")}, QDir::Files).size();
    }

    ProgramFolder program;
    Module1 state;
    QString imageFolder;
};

} // namespace

class tst_frm_travail : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void steps_data();
    void steps();
    void laterShowingsRunAgain();
    void showsProgressWhileExiftoolRuns();
    void closingStopsExiftool();
};

void tst_frm_travail::initTestCase() {
    if (kadrilo::test::installedExiftool().isEmpty())
        QSKIP("ExifTool is not installed");
}

void tst_frm_travail::steps_data() {
    QTest::addColumn<QString>("etape");
    QTest::addColumn<bool>("extractionFaite");
    QTest::addColumn<bool>("expectExiftool");
    QTest::addColumn<bool>("expectAnalysis");
    QTest::addColumn<QString>("etapeAfter");

    const QString lecture = QStringLiteral("lectureraw");
    const QString analyse = QStringLiteral("analyseexif");
    QTest::addRow("reading step runs ExifTool then the analysis")
        << lecture << false << true << true << analyse;
    QTest::addRow("reading step after an extraction only analyses")
        << lecture << true << false << true << analyse;
    QTest::addRow("analysis step only analyses") << analyse << false << false << true << analyse;
    QTest::addRow("no step before the first cycle does nothing")
        << QString() << false << false << false << QString();
    QTest::addRow("unknown step does nothing")
        << QStringLiteral("autre") << false << false << false << QStringLiteral("autre");
}

void tst_frm_travail::steps() {
    QFETCH(QString, etape);
    QFETCH(bool, extractionFaite);
    QFETCH(bool, expectExiftool);
    QFETCH(bool, expectAnalysis);
    QFETCH(QString, etapeAfter);

    kadrilo::test::FakePlatform fake;
    Setup setup;
    setup.state.etape_travail = etape;
    setup.state.extraction_faite = extractionFaite;
    frm_travail window(setup.state);
    FakeSource source(window);
    source.folder = setup.imageFolder;

    QCOMPARE(window.showModal(source), frm_travail::Ending::Done);

    QVERIFY(!window.isVisible());
    QCOMPARE(setup.state.etape_travail, etapeAfter);
    QCOMPARE(setup.state.ligne_commande.isEmpty(), !expectExiftool);
    QCOMPARE(setup.tagFiles(), expectExiftool ? 2 : 0);
    QCOMPARE(setup.state.extraction_faite, extractionFaite || expectExiftool);
    QCOMPARE(source.analyses, expectAnalysis ? 1 : 0);
    if (expectAnalysis)
        QCOMPARE(source.messageDuringAnalysis, QString());
    QVERIFY(fake.messages.isEmpty());
}

void tst_frm_travail::laterShowingsRunAgain() {
    kadrilo::test::FakePlatform fake;
    Setup setup;
    frm_travail window(setup.state);
    FakeSource source(window);
    source.folder = setup.imageFolder;

    for (int cycle = 1; cycle <= 2; ++cycle) {
        setup.state.etape_travail = QStringLiteral("lectureraw");
        setup.state.extraction_faite = false;
        QDir(setup.state.dossier_temp).removeRecursively();
        QDir().mkpath(setup.state.dossier_temp);
        QCOMPARE(window.showModal(source), frm_travail::Ending::Done);
        QCOMPARE(setup.tagFiles(), 2);
        QCOMPARE(source.analyses, cycle);
    }
}

void tst_frm_travail::showsProgressWhileExiftoolRuns() {
    kadrilo::test::FakePlatform fake;
    Setup setup(ProgramFolder::Exiftool::Missing, 3);
    const QString pidFile = setup.program.filePath(QStringLiteral("exiftool.pid"));
    QVERIFY(kadrilo::test::writeFakeExiftool(setup.state.chemin_exiftool,
                                             kadrilo::test::FakeExiftool::Slow, 2, pidFile));
    setup.state.etape_travail = QStringLiteral("lectureraw");
    frm_travail window(setup.state);
    FakeSource source(window);
    source.folder = setup.imageFolder;

    auto *progress = window.findChild<QProgressBar *>();
    auto *count = window.findChild<QLabel *>(QStringLiteral("progression_texte"));
    QVERIFY(progress && count);

    QString seenCaption, seenMessage, seenCount;
    int seenValue = -1, seenMaximum = -1;
    bool seenVisible = false;
    kadrilo::test::ModalScript script;
    script.when(
        QStringLiteral("two of three tag files counted"),
        [&] { return count->isVisible() && count->text() == QLatin1String("2 / 3"); },
        [&] {
            seenCaption = window.windowTitle();
            seenMessage = window.findChild<QLabel *>(QStringLiteral("lbl_travail"))->text();
            seenCount = count->text();
            seenValue = progress->value();
            seenMaximum = progress->maximum();
            seenVisible = progress->isVisible();
            window.close();
        });
    const auto ending = window.showModal(source);

    QVERIFY2(script.finished(), qPrintable(script.pending()));
    QCOMPARE(ending, frm_travail::Ending::Cancelled);
    QCOMPARE(seenCaption, caption);
    QCOMPARE(seenMessage, message);
    QVERIFY(seenVisible);
    QCOMPARE(seenValue, 2);
    QCOMPARE(seenMaximum, 3);
    // The count needs room of its own: it must not run into the message line.
    const QRect line = window.findChild<QLabel *>(QStringLiteral("lbl_travail"))->geometry();
    QVERIFY(!progress->geometry().intersects(line));
    QVERIFY(window.rect().contains(count->geometry()));
}

void tst_frm_travail::closingStopsExiftool() {
    kadrilo::test::FakePlatform fake;
    Setup setup(ProgramFolder::Exiftool::Missing, 1);
    const QString pidFile = setup.program.filePath(QStringLiteral("exiftool.pid"));
    QVERIFY(kadrilo::test::writeFakeExiftool(setup.state.chemin_exiftool,
                                             kadrilo::test::FakeExiftool::Slow, 0, pidFile));
    setup.state.etape_travail = QStringLiteral("lectureraw");
    frm_travail window(setup.state);
    FakeSource source(window);
    source.folder = setup.imageFolder;

    qint64 pid = 0;
    kadrilo::test::ModalScript script;
    script.when(
        QStringLiteral("ExifTool running"),
        [&] {
            pid = kadrilo::test::readPid(pidFile);
            return pid > 0;
        },
        [&] { window.close(); });
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(window.showModal(source), frm_travail::Ending::Cancelled);

    QVERIFY2(script.finished(), qPrintable(script.pending()));
    QVERIFY(clock.elapsed() < 20000);
    QVERIFY(!kadrilo::test::processExists(pid));
    QVERIFY(!window.isVisible());
    QCOMPARE(source.analyses, 0);
    QCOMPARE(setup.state.etape_travail, QStringLiteral("lectureraw"));
}

QTEST_MAIN(tst_frm_travail)
#include "tst_frm_travail.moc"
