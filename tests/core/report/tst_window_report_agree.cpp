// The window's work cycle (its ExifTool command, its analysis, its judgement) and the report
// over the same folder, with the real ExifTool: the same images analysed, the same images
// named as unread, whatever the folder holds and whatever it is called.
#include "analysis/analyse.h"
#include "analysis/wording.h"
#include "run/extraction.h"
#include "run/module1.h"
#include "support/captured_results.h"
#include "support/cr2_writer.h"
#include "support/fake_program.h"
#include "support/program_folder.h"
#include "support/text.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace kadrilo;
using kadrilo::test::s;

namespace {

enum class Odd { Nothing, Damaged, Unreadable, Text };

} // namespace

Q_DECLARE_METATYPE(Odd)

class TestWindowReportAgree : public QObject {
    Q_OBJECT

    test::ProgramFolder m_program;

private Q_SLOTS:
    void initTestCase() {
        KADRILO_REQUIRE_EXIFTOOL();
        QVERIFY(m_program.isValid());
        QVERIFY(QFile::copy(s(KADRILO_RAPPORT_PATH), m_program.filePath(s("kadrilo-rapport"))));
    }

    void agree_data() {
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<Odd>("odd");
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<int>("analysed");
        QTest::addColumn<QString>("reason"); // ExifTool's, for the odd image; empty: all read
        QTest::addRow("damaged image, this folder only")
            << s("photos") << Odd::Damaged << false << 2 << s("File format error");
        QTest::addRow("damaged image, with sub-folders")
            << s("photos") << Odd::Damaged << true << 3 << s("File format error");
        QTest::addRow("image the user may not read, this folder only")
            << s("photos") << Odd::Unreadable << false << 2 << s("Error opening file");
        QTest::addRow("image the user may not read, with sub-folders")
            << s("photos") << Odd::Unreadable << true << 3 << s("Error opening file");
        // ExifTool reads a text file without an error: it holds a photo only where the
        // window's form writes every tag.
        QTest::addRow("text under an image's name, this folder only")
            << s("photos") << Odd::Text << false << 3 << QString();
        QTest::addRow("text under an image's name, with sub-folders")
            << s("photos") << Odd::Text << true << 3 << s("aucune des balises");
        QTest::addRow("folder named like an option: -r")
            << s("-r") << Odd::Nothing << true << 3 << QString();
        QTest::addRow("folder named like an option: -ext")
            << s("-ext") << Odd::Nothing << false << 2 << QString();
        QTest::addRow("folder named like an option: -@")
            << s("-@") << Odd::Nothing << true << 3 << QString();
    }

    void agree() {
        QFETCH(QString, folderName);
        QFETCH(Odd, odd);
        QFETCH(bool, recursive);
        QFETCH(int, analysed);
        QFETCH(QString, reason);
        if (odd == Odd::Unreadable && ::geteuid() != 0)
            QSKIP("needs root to run ExifTool as an ordinary user");

        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QDir folder(work.filePath(folderName));
        QVERIFY(QDir().mkpath(folder.filePath(s("sous-dossier"))));
        test::Cr2Fixture fixture;
        QVERIFY(test::writeCr2(folder.filePath(s("IMG_0001.CR2")), fixture));
        fixture.iso = 800;
        QVERIFY(test::writeCr2(folder.filePath(s("IMG_0002.cr2")), fixture));
        QVERIFY(test::writeCr2(folder.filePath(s("sous-dossier/IMG_0003.CR2")), fixture));
        const int found = (recursive ? 3 : 2) + (odd == Odd::Nothing ? 0 : 1);
        const QString unreadLine = QStringLiteral("1 des %1 images n'a pas pu être lue").arg(found);
        const QString oddImage = folder.filePath(s("IMG_0009.CR2"));
        QFile text(oddImage);
        switch (odd) {
        case Odd::Nothing:
            break;
        case Odd::Damaged:
            QVERIFY(test::writeDamagedImage(oddImage));
            break;
        case Odd::Unreadable:
            QVERIFY(test::writeCr2(oddImage, fixture));
            QVERIFY(QFile::setPermissions(oddImage, {}));
            break;
        case Odd::Text:
            QVERIFY(text.open(QIODevice::WriteOnly) && text.write("pas une photo\n") > 0);
            text.close();
            break;
        }
        // The window's ExifTool runs as an ordinary user, for whom a file without rights is
        // unreadable; the report runs as that user.
        const QString exiftool = m_program.filePath(s("exiftool.exe"));
        struct Restore {
            QString exiftool;
            QString work;
            ~Restore() {
                QProcess::execute(s("chmod"), {s("-R"), s("u+rwX"), work});
                QFile::remove(exiftool);
                QFile::link(test::installedExiftool(), exiftool);
            }
        } restore{exiftool, work.path()};
        if (odd == Odd::Unreadable) {
            QVERIFY(test::writeFakeProgram(
                exiftool, "exec setpriv --reuid=65534 --regid=65534 --clear-groups '" +
                              QFile::encodeName(test::installedExiftool()) + "' \"$@\""));
            QProcess::execute(s("chmod"), {s("-R"), s("a+rwX"), work.path()});
            QProcess::execute(s("chmod"), {s("a+rx"), m_program.path()});
            QVERIFY(QFile::setPermissions(oddImage, {}));
        }

        // The window's cycle: its command, its analysis, its judgement.
        Module1 state;
        state.type_raw = s("Canon");
        state.option_recursive = recursive ? 1 : 0;
        state.chemin_exiftool = exiftool;
        state.dossier_temp = work.filePath(s("temp")) + u'/';
        QVERIFY(QDir().mkpath(state.dossier_temp));
        QFile::setPermissions(state.dossier_temp, QFileDevice::Permissions(0x7777));
        ExtractionResult window = extraire_exif(state, folder.path());
        test::CapturedResults view;
        analyse_exif(state, folder.path(), view, &window);
        QCOMPARE(view.results.files, analysed);
        QCOMPARE(judgeRun(window),
                 reason.isEmpty() ? RunVerdict::Complete : RunVerdict::SomeUnread);
        const QString windowText = unreadImagesText(window);
        if (!reason.isEmpty()) {
            QVERIFY2(windowText.startsWith(unreadLine), qPrintable(windowText));
            if (odd != Odd::Text) // the window's form names no image it wrote no tag file for
                QVERIFY2(windowText.contains(s("IMG_0009.CR2")) && windowText.contains(reason),
                         qPrintable(windowText));
        }

        // The report, with one process and with several: the window's numbers and names.
        QFile::remove(exiftool);
        QVERIFY(QFile::link(test::installedExiftool(), exiftool));
        for (const char *processes : {"1", "3"}) {
            QProcess report;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(s("XDG_CACHE_HOME"), work.filePath(s("cache")));
            report.setProcessEnvironment(environment);
            QStringList arguments{s("--processus"), s(processes), s("--"), folder.path()};
            if (recursive)
                arguments.prepend(s("--recursif"));
            if (odd == Odd::Unreadable) {
                arguments.prepend(m_program.filePath(s("kadrilo-rapport")));
                report.start(s("setpriv"), QStringList{s("--reuid=65534"), s("--regid=65534"),
                                                       s("--clear-groups")} +
                                               arguments);
            } else {
                report.start(m_program.filePath(s("kadrilo-rapport")), arguments);
            }
            QVERIFY(report.waitForFinished(120000));
            const QString out = QString::fromUtf8(report.readAllStandardOutput());
            const QString err = QString::fromUtf8(report.readAllStandardError());
            QVERIFY2(out.startsWith(QStringLiteral("%1 Fichiers RAW Analysés").arg(analysed)),
                     qPrintable(out + err));
            QCOMPARE(report.exitCode(), reason.isEmpty() ? 0 : 9);
            if (!reason.isEmpty()) {
                QVERIFY2(err.contains(unreadLine + s(" :\n/")) && err.contains(s("IMG_0009.CR2")) &&
                             err.contains(reason),
                         qPrintable(err));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestWindowReportAgree)
#include "tst_window_report_agree.moc"
