// One whole work cycle of Kadrilo as installed by the Debian package, run by tst_package_install
// as an unprivileged user: the program folder is the unpacked, read-only /usr/lib/kadrilo, so
// the temp folder must go to the person's cache folder, serve the run and be emptied by
// "Quitter". The windows are driven as a person drives them.
//   KADRILO_PROGRAM_FOLDER=.../usr/lib/kadrilo KADRILO_IMAGES=.../images package_work_cycle
#include "run/module1.h"
#include "stats/frm_stats.h"
#include "support/fake_platform.h"
#include "support/tag_files.h"
#include "support/window_helpers.h"
#include "windows/frm_directory.h"
#include "windows/frm_main.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeView>
#include <QtTest>

using kadrilo::frm_directory;
using kadrilo::frm_stats;
using kadrilo::test::clickButton;
using kadrilo::test::ModalScript;
using kadrilo::test::tagFiles;

class package_work_cycle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readOnlyProgramFolder() {
        const QString programFolder = qEnvironmentVariable("KADRILO_PROGRAM_FOLDER");
        const QString images = qEnvironmentVariable("KADRILO_IMAGES");
        if (programFolder.isEmpty() || images.isEmpty())
            QSKIP("run by tst_package_install, with KADRILO_PROGRAM_FOLDER and KADRILO_IMAGES");
        QVERIFY2(!QFileInfo(programFolder).isWritable(), "run it as a user who cannot write there");

        // The cache folder is named after the program, as when kadrilo itself runs.
        QCoreApplication::setApplicationName(QStringLiteral("kadrilo"));
        const QString cacheTemp = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                                  QStringLiteral("/temp");
        kadrilo::test::FakePlatform platform; // real file system; the program folder moved
        platform.fakeProgramFolder = programFolder;
        platform.fakeProgramName = QStringLiteral("kadrilo");
        kadrilo::test::ScopedCurrentFolder current(QFileInfo(images).path());

        kadrilo::Module1 state;
        kadrilo::frm_main window(state);
        QVERIFY(window.load());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(state.dossier_temp, cacheTemp + QLatin1Char('/'));
        QVERIFY(platform.messages.isEmpty());

        QStringList labels;
        ModalScript script;
        script.onModal<frm_directory>(QStringLiteral("folder window"), [&](frm_directory &w) {
            auto *tree = w.findChild<QTreeView *>(QStringLiteral("Dir1"));
            const QModelIndex folder =
                kadrilo::test::waitForChild(*tree, QFileInfo(images).fileName());
            QVERIFY(folder.isValid());
            kadrilo::test::doubleClick(*tree, folder);
            clickButton(w, "btc_scan");
        });
        script.onModal<frm_stats>(QStringLiteral("statistics window"), [&](frm_stats &w) {
            for (const QLabel *label : w.findChildren<QLabel *>())
                labels << label->text();
            for (QPushButton *button : w.findChildren<QPushButton *>())
                if (button->text() == QLatin1String("Fermer ") && button->isEnabled())
                    return QTest::mouseClick(button, Qt::LeftButton);
            w.close();
        });
        clickButton(window, "btc_frm_directory");
        QVERIFY2(script.finished(), qPrintable(script.pending()));
        QVERIFY(platform.messages.isEmpty());
        // The three images of the folder itself; the sub-folder is left out.
        QVERIFY2(labels.contains(QStringLiteral("3 Fichiers RAW Analysés")),
                 qPrintable(labels.join(QLatin1Char('|'))));
        QCOMPARE(tagFiles(cacheTemp).size(), 3);

        clickButton(window, "btc_quitter");
        QCOMPARE(tagFiles(cacheTemp).size(), 0);
        const QDir programTemp(programFolder + QStringLiteral("/temp"));
        QCOMPARE(programTemp.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }
};

QTEST_MAIN(package_work_cycle)
#include "package_work_cycle.moc"
