#include "analysis/statistiques.h"
#include "modal_script.h"
#include "platform/platform.h"
#include "run/frm_travail.h"
#include "run/module1.h"
#include "support/cr2_writer.h"
#include "support/fake_platform.h"
#include "support/program_folder.h"
#include "window_helpers.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QtTest>

using kadrilo::frm_travail;
using kadrilo::test::ProgramFolder;

namespace {

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
    FakeSource(frm_travail &window, const QString &folder)
        : m_window(window)
        , m_folder(folder) {}
    QString currentFolder() const override { return m_folder; }
    kadrilo::StatisticsSink &statisticsWindow() override {
        ++analyses;
        messageDuringAnalysis = m_window.findChild<QLabel *>(QStringLiteral("lbl_travail"))->text();
        return m_sink;
    }

    int analyses = 0;
    QString messageDuringAnalysis;

private:
    frm_travail &m_window;
    QString m_folder;
    NullSink m_sink;
};

// A program folder with its temp folder, a folder of `images` Canon raw fixtures, the work
// window at the reading step and its source.
struct Setup {
    explicit Setup(ProgramFolder::Exiftool exiftool = ProgramFolder::Exiftool::Linked,
                   int images = 2)
        : program(exiftool)
        , imageFolder(program.makeFolder(QStringLiteral("images"))) {
        state.type_raw = QStringLiteral("Canon");
        state.chemin_exiftool = program.filePath(QStringLiteral("exiftool.exe"));
        state.dossier_temp =
            kadrilo::platform::withTrailingSeparator(program.makeFolder(QStringLiteral("temp")));
        state.etape_travail = QStringLiteral("lectureraw");
        for (int i = 1; i <= images; ++i)
            kadrilo::test::writeCr2(QDir(imageFolder).filePath(QStringLiteral("IMG_%1.CR2").arg(i)),
                                    {});
    }

    int tagFiles() const {
        return QDir(state.dossier_temp).entryList({QStringLiteral("*.txt")}, QDir::Files).size();
    }

    kadrilo::test::FakePlatform fake;
    ProgramFolder program;
    QString imageFolder;
    kadrilo::Module1 state;
    frm_travail window{state};
    FakeSource source{window, imageFolder};
};

} // namespace

class tst_frm_travail : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void steps_data();
    void steps();
    void closingDuringExiftoolStopsIt();
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

    const QString lecture = QStringLiteral("lectureraw");
    const QString analyse = QStringLiteral("analyseexif");
    QTest::addRow("reading step runs ExifTool then the analysis")
        << lecture << false << true << true;
    QTest::addRow("reading step after an extraction only analyses")
        << lecture << true << false << true;
    QTest::addRow("analysis step only analyses") << analyse << false << false << true;
    QTest::addRow("no step before the first cycle does nothing")
        << QString() << false << false << false;
}

void tst_frm_travail::steps() {
    QFETCH(QString, etape);
    QFETCH(bool, extractionFaite);
    QFETCH(bool, expectExiftool);
    QFETCH(bool, expectAnalysis);

    Setup setup;
    setup.state.etape_travail = etape;
    setup.state.extraction_faite = extractionFaite;
    QCOMPARE(setup.window.showModal(setup.source), frm_travail::Ending::Done);

    QVERIFY(!setup.window.isVisible());
    QCOMPARE(setup.state.etape_travail, expectAnalysis ? QStringLiteral("analyseexif") : QString());
    QCOMPARE(setup.state.ligne_commande.isEmpty(), !expectExiftool);
    QCOMPARE(setup.tagFiles(), expectExiftool ? 2 : 0);
    QCOMPARE(setup.state.extraction_faite, extractionFaite || expectExiftool);
    QCOMPARE(setup.source.analyses, expectAnalysis ? 1 : 0);
    // The message line is cleared before the analysis.
    QCOMPARE(setup.source.messageDuringAnalysis, QString());
    QVERIFY(setup.fake.messages.isEmpty());
}

void tst_frm_travail::closingDuringExiftoolStopsIt() {
    // An "ExifTool" that writes two of three tag files, then waits.
    Setup setup(ProgramFolder::Exiftool::Missing, 3);
    const QString pidFile = setup.program.filePath(QStringLiteral("exiftool.pid"));
    QVERIFY(kadrilo::test::writeFakeExiftool(setup.state.chemin_exiftool, pidFile, 2));
    frm_travail &window = setup.window;
    auto *progress = window.findChild<QProgressBar *>();
    auto *count = window.findChild<QLabel *>(QStringLiteral("progression_texte"));
    auto *message = window.findChild<QLabel *>(QStringLiteral("lbl_travail"));
    QVERIFY(progress && count && message);

    QStringList seen;
    qint64 pid = 0;
    kadrilo::test::ModalScript script;
    script.when(
        QStringLiteral("two of three tag files counted"),
        [&] { return count->isVisible() && count->text() == QLatin1String("2 / 3"); },
        [&] {
            pid = kadrilo::test::readPid(pidFile);
            seen << window.windowTitle() << message->text()
                 << QStringLiteral("%1/%2 %3")
                        .arg(progress->value())
                        .arg(progress->maximum())
                        .arg(progress->isVisible());
            window.close();
        });
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(window.showModal(setup.source), frm_travail::Ending::Cancelled);

    QVERIFY2(script.finished(), qPrintable(script.pending()));
    QVERIFY(clock.elapsed() < 20000);
    QCOMPARE(seen, QStringList({QStringLiteral("Lecture des informations EXIF...."),
                                QStringLiteral("L'analyse est en cours .....Cela peut prendre un "
                                               "certain temps suivant le nombre de fichiers à "
                                               "analyser.(1000 à 2000 fichiers lu par minute....)"),
                                QStringLiteral("2/3 1")}));
    // The count needs room of its own: it must not run into the message line.
    QVERIFY(!progress->geometry().intersects(message->geometry()));
    QVERIFY(window.rect().contains(count->geometry()));
    QVERIFY(pid > 0 && !kadrilo::test::processExists(pid));
    QVERIFY(!window.isVisible());
    QCOMPARE(setup.source.analyses, 0);
    QCOMPARE(setup.state.etape_travail, QStringLiteral("lectureraw"));
}

QTEST_MAIN(tst_frm_travail)
#include "tst_frm_travail.moc"
