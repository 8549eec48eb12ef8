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

// What the folder holds beside its three photos without a lens. Twins: 29 photos of 29 other
// lenses, then photos of three more lenses sharing the name Z, so that the 30-lens limit
// falls on a twin: as CR2 and CRW beside each other, or in a sub-folder too.
enum class Odd { Nothing, Damaged, Unreadable, Text, Png, TwinTypes, TwinFolders };

// Writes the twins of `odd` into `folder`; the number of photos written.
int writeTwins(const QDir &folder, Odd odd) {
    int written = 0;
    for (int i = 1; i <= 29; ++i) {
        test::Cr2Fixture other;
        other.lensType = 65535; // "Unknown <min>-<max>mm"
        other.minFocalLength = 10 + i;
        other.maxFocalLength = 100 + i;
        written += test::writeCr2(folder.filePath(QStringLiteral("A%1.CR2").arg(i)), other);
    }
    const QStringList twins =
        odd == Odd::TwinTypes
            ? QStringList{s("Z.CR2"), s("Z.CRW")}
            : QStringList{s("Z.CR2"), s("sous-dossier/Z.CR2"), s("sous-dossier/Z.crw")};
    for (int i = 0; i < twins.size(); ++i) {
        test::Cr2Fixture twin;
        test::applyLens(twin, test::kCr2Lenses[i]);
        written += test::writeCr2(folder.filePath(twins.at(i)), twin);
    }
    return written;
}

// The lines of the report's section `name` in its texte output.
QStringList section(const QString &out, const QString &name) {
    QStringList lines = out.split(u'\n');
    lines = lines.mid(lines.indexOf(name) + 1);
    return lines.mid(0, lines.indexOf(QString()));
}

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
        // Only what ExifTool takes for a Canon raw image counts, whatever its name.
        QTest::addRow("text under an image's name, this folder only")
            << s("photos") << Odd::Text << false << 2
            << s("ce n'est pas une image RAW Canon : TXT");
        QTest::addRow("text under an image's name, with sub-folders")
            << s("photos") << Odd::Text << true << 3 << s("ce n'est pas une image RAW Canon : TXT");
        QTest::addRow("PNG under an image's name, this folder only")
            << s("photos") << Odd::Png << false << 2 << s("ce n'est pas une image RAW Canon : PNG");
        QTest::addRow("PNG under an image's name, with sub-folders")
            << s("photos") << Odd::Png << true << 3 << s("ce n'est pas une image RAW Canon : PNG");
        // The same lenses in the same order as the window, the 30th included.
        QTest::addRow("CR2 and CRW of one name, this folder only")
            << s("photos") << Odd::TwinTypes << false << 33 << QString();
        QTest::addRow("CR2 and CRW of one name, with sub-folders")
            << s("photos") << Odd::TwinTypes << true << 34 << QString();
        QTest::addRow("one name in two folders and two types, with sub-folders")
            << s("photos") << Odd::TwinFolders << true << 35 << QString();
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
        case Odd::Png:
            QVERIFY(text.open(QIODevice::WriteOnly) &&
                    text.write(QByteArray::fromHex("89504e470d0a1a0a0000000d49484452000000010000"
                                                   "000108000000003a7e9b55")) > 0);
            text.close();
            break;
        case Odd::TwinTypes:
        case Odd::TwinFolders:
            QCOMPARE(writeTwins(folder, odd), odd == Odd::TwinTypes ? 31 : 32);
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
            // The form with sub-folders names no image in its tag files.
            if (!recursive || (odd != Odd::Text && odd != Odd::Png))
                QVERIFY2(windowText.contains(s("IMG_0009.CR2")) && windowText.contains(reason),
                         qPrintable(windowText));
        }

        // The report, with one process and with several: the window's numbers and names.
        QFile::remove(exiftool);
        QVERIFY(QFile::link(test::installedExiftool(), exiftool));
        QStringList windowLenses;
        for (int slot = 0; slot < state.nb_objectifs; ++slot)
            windowLenses << state.objectifs[slot];
        // One process then several, filling the cache then reading it, then without it.
        for (const char *processes : {"1", "3", "2"}) {
            QProcess report;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(s("XDG_CACHE_HOME"), work.filePath(s("cache")));
            report.setProcessEnvironment(environment);
            QStringList arguments{s("--processus"), s(processes), s("--"), folder.path()};
            if (processes == QByteArrayView("2"))
                arguments.prepend(s("--sans-cache"));
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
            const QStringList lenses = section(out, s("[Objectifs]"));
            QCOMPARE(lenses.size() - int(windowLenses.size() == 30), windowLenses.size());
            for (int slot = 0; slot < windowLenses.size(); ++slot)
                QVERIFY2(lenses.at(slot).startsWith(windowLenses.at(slot) + u' '),
                         qPrintable(lenses.join(u'\n') + s("\n---\n") + windowLenses.join(u'\n')));
            if (!reason.isEmpty()) {
                QVERIFY2(err.contains(unreadLine + s(" :\n« /")) &&
                             err.contains(s("IMG_0009.CR2 » : ")) && err.contains(reason),
                         qPrintable(err));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestWindowReportAgree)
#include "tst_window_report_agree.moc"
