// Every window with its texts in full: no caption cut off by its control, no control lying
// over another. With KADRILO_RENDER_DIR set, each window is also saved there as a picture,
// for a person to look at (scripts/screenshots.sh runs this under a real X server).

#include "analysis/analyse.h"
#include "platform/platform.h"
#include "run/extraction.h"
#include "run/frm_travail.h"
#include "run/module1.h"
#include "stats/frm_stats.h"
#include "support/cr2_writer.h"
#include "support/fake_platform.h"
#include "support/fake_program.h"
#include "support/program_folder.h"
#include "support/window_helpers.h"
#include "windows/frm_about.h"
#include "windows/frm_directory.h"
#include "windows/frm_main.h"

#include <QAbstractButton>
#include <QChartView>
#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <QtTest>

#include <algorithm>

using kadrilo::Module1;
using kadrilo::test::ProgramFolder;

namespace {

QString describe(const QWidget &widget) {
    return widget.objectName().isEmpty() ? QString::fromLatin1(widget.metaObject()->className())
                                         : widget.objectName();
}

// Texts that do not fit their control, and visible controls that overlap a sibling or lie
// outside the window.
QStringList layoutProblems(const QWidget &window) {
    QStringList problems;
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        if (!label->isVisibleTo(&window) || label->text().trimmed().isEmpty())
            continue;
        const QFontMetrics metrics(label->font());
        const QRect room = label->contentsRect();
        const bool fits =
            label->wordWrap()
                ? metrics.boundingRect(room, Qt::TextWordWrap, label->text()).height() <=
                      room.height()
                : metrics.horizontalAdvance(label->text()) <= room.width() &&
                      metrics.height() <= room.height();
        if (!fits)
            problems << QStringLiteral("label %1 cuts \"%2\"").arg(describe(*label), label->text());
    }
    for (const QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
        const QString text = QString(button->text()).remove(QLatin1Char('&'));
        if (!button->isVisibleTo(&window) || text.isEmpty())
            continue;
        // The room the style gives the caption; check boxes and radio buttons add a margin.
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const bool push = qobject_cast<const QPushButton *>(button);
        const QRect room = button->style()->subElementRect(push ? QStyle::SE_PushButtonContents
                                                           : qobject_cast<const QCheckBox *>(button)
                                                               ? QStyle::SE_CheckBoxContents
                                                               : QStyle::SE_RadioButtonContents,
                                                           &option, button);
        const QFontMetrics metrics(button->font());
        if (metrics.horizontalAdvance(text) + (push ? 0 : 2) > room.width() ||
            metrics.height() > room.height())
            problems << QStringLiteral("button %1 cuts \"%2\"").arg(describe(*button), text);
    }
    QList<const QWidget *> parents = window.findChildren<const QWidget *>();
    parents.prepend(&window);
    for (const QWidget *parent : parents) {
        QList<const QWidget *> shown;
        for (const QWidget *child : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (!child->isWindow() && child->isVisibleTo(&window))
                shown << child;
        for (int i = 0; i < shown.size(); ++i) {
            if (parent == &window && !window.rect().contains(shown[i]->geometry()))
                problems << QStringLiteral("%1 lies outside the window").arg(describe(*shown[i]));
            for (int j = i + 1; j < shown.size(); ++j)
                if (shown[i]->geometry().intersects(shown[j]->geometry()))
                    problems << QStringLiteral("%1 overlaps %2")
                                    .arg(describe(*shown[i]), describe(*shown[j]));
        }
    }
    return problems;
}

// The window manager and Qt agree on the active window: the root window's _NET_ACTIVE_WINDOW,
// read with xprop, is Qt's focus window. openbox sets it right after drawing the frame of the
// window it made active, so once they agree no frame is about to change.
bool activeWindowAgreed() {
    const QWindow *focus = QGuiApplication::focusWindow();
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-notype"),
                                          QStringLiteral("_NET_ACTIVE_WINDOW")});
    if (!focus || !xprop.waitForFinished(5000))
        return false;
    // "_NET_ACTIVE_WINDOW: window id # 0x600007"
    const QByteArray line = xprop.readAllStandardOutput().trimmed();
    return line.mid(line.lastIndexOf(' ') + 1).toULongLong(nullptr, 0) == focus->winId();
}

// The window as the screen shows it, title bar and border included: once the window manager
// has framed it and settled which window is active, the frame's picture holds still and the
// inside is what the window draws. Null when that does not come about.
QPixmap shownOnScreen(QWidget &window) {
    QPixmap shown;
    QImage before;
    const bool settled = QTest::qWaitFor([&] {
        const QRect frame = window.frameGeometry();
        if (frame == window.geometry() || !activeWindowAgreed()) {
            before = QImage(); // not framed yet, or the active window about to change
            return false;
        }
        shown = window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        const QImage now = shown.toImage().convertToFormat(QImage::Format_RGB32);
        const bool still = now == before;
        before = now;
        const QRect inside(window.geometry().topLeft() - frame.topLeft(), window.size());
        return still &&
               now.copy(inside) == window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    });
    return settled ? shown : QPixmap();
}

void save(QWidget &window, const QString &name) {
    const QString folder = qEnvironmentVariable("KADRILO_RENDER_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    // Under a window manager the picture is taken from the screen; offscreen, the window
    // draws itself.
    const QPixmap picture = QGuiApplication::platformName() == QLatin1String("xcb")
                                ? shownOnScreen(window)
                                : window.grab();
    QVERIFY2(!picture.isNull(),
             qPrintable(name + QStringLiteral(": not settled on the screen (xprop, from Debian's "
                                              "x11-utils, reads the active window)")));
    QVERIFY(picture.save(QDir(folder).filePath(name + QStringLiteral(".png"))));
}

// No timer of the window's own runs: it is done with what it set out to do a moment later,
// such as the folder tree's scrolling to the opened folder.
bool timersDone(const QWidget &window) {
    const QList<QTimer *> timers = window.findChildren<QTimer *>();
    return std::none_of(timers.begin(), timers.end(),
                        [](const QTimer *timer) { return timer->isActive(); });
}

// Every chart shown has laid out its plot area.
bool chartsLaidOut(const QWidget &window) {
    const QList<QChartView *> views = window.findChildren<QChartView *>();
    return std::all_of(views.begin(), views.end(), [&window](const QChartView *view) {
        return !view->isVisibleTo(&window) || !view->chart()->plotArea().isEmpty();
    });
}

// Saves the window's picture, then fails on any text cut off or control overlapping.
void check(QWidget &window, const QString &name) {
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(timersDone(window));
    save(window, name);
    const QStringList problems = layoutProblems(window);
    QVERIFY2(problems.isEmpty(),
             qPrintable(name + QStringLiteral(": ") + problems.join(QStringLiteral("; "))));
}

} // namespace

class tst_screens : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void windows();
};

void tst_screens::initTestCase() {
    KADRILO_REQUIRE_EXIFTOOL();
}

void tst_screens::windows() {
    // A program folder whose "ExifTool" writes two of three tag files and then waits, so that
    // the work window can be seen at work.
    ProgramFolder program(ProgramFolder::Exiftool::Missing);
    const QString pidFile = program.filePath(QStringLiteral("exiftool.pid"));
    QVERIFY(kadrilo::test::writeFakeProgram(program.filePath(QStringLiteral("exiftool.exe")),
                                            kadrilo::test::slowExiftool(pidFile, 2)));
    const QString raws = program.makeFolder(QStringLiteral("photos/raws"));
    program.makeFolder(QStringLiteral("photos/raws/jour 2"));
    for (int i = 0; i < 3; ++i) {
        kadrilo::test::Cr2Fixture fixture;
        fixture.iso = 100 << (2 * i);
        fixture.fNumber = 2.8 + 2 * i;
        fixture.continuousDrive = i % 2;
        fixture.focusMode = i;
        kadrilo::test::applyLens(fixture, kadrilo::test::kCr2Lenses[i]);
        QVERIFY(kadrilo::test::writeCr2(
            QDir(raws).filePath(QStringLiteral("IMG_%1.CR2").arg(1001 + i)), fixture));
    }
    kadrilo::test::ScopedCurrentFolder current(raws);
    kadrilo::test::FakePlatform fake;
    fake.fakeProgramFolder = program.path();
    fake.fakeProgramName = QStringLiteral("Kadrilo");

    Module1 state;
    kadrilo::frm_main main(state);
    QVERIFY(main.load());
    main.show();
    check(main, QStringLiteral("frm_main"));

    kadrilo::frmAbout about(&main);
    about.show();
    check(about, QStringLiteral("frmAbout"));
    about.close();

    kadrilo::test::ModalScript script;
    script.onModal<kadrilo::frm_directory>(
        QStringLiteral("folder window"), [&](kadrilo::frm_directory &window) {
            // The tree loads in the background, then shows the opened folder.
            auto *tree = window.findChild<QTreeView *>(QStringLiteral("Dir1"));
            QTRY_VERIFY(
                tree->currentIndex().data().toString() == QLatin1String("raws") &&
                tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex()).center()));
            check(window, QStringLiteral("frm_directory"));
            // Back up to the drive's root by a double-click on its row, then on to the raws.
            const QString raws = window.currentFolder();
            kadrilo::test::doubleClick(*tree,
                                       kadrilo::test::waitForFolder(*tree, QStringLiteral("/")));
            QTRY_COMPARE(window.currentFolder(), QDir::toNativeSeparators(QStringLiteral("/")));
            QVERIFY(kadrilo::test::waitForFolder(*tree, QStringLiteral("/")).isValid());
            check(window, QStringLiteral("frm_directory-racine"));
            window.setDirPath(raws);
            kadrilo::test::clickButton(window, "btc_scan");
        });
    script.when(
        QStringLiteral("work window counting"),
        [] { return kadrilo::test::workCountShows(QStringLiteral("2 / 3")); },
        [&] {
            auto *work = kadrilo::test::activeModal<kadrilo::frm_travail>();
            check(*work, QStringLiteral("frm_travail"));
            work->close();
        });
    script.onModal<kadrilo::frm_directory>(QStringLiteral("folder window again"),
                                           [](kadrilo::frm_directory &window) { window.close(); });
    kadrilo::test::clickButton(main, "btc_frm_directory");
    QVERIFY2(script.finished(), qPrintable(script.pending()));

    // The statistics window as the analysis leaves it, over tag files of the real ExifTool.
    kadrilo::platform::platform().removeFiles(state.dossier_temp, QStringLiteral("*.txt"));
    state.chemin_exiftool = kadrilo::test::installedExiftool();
    state.type_raw = QStringLiteral("Canon");
    state.option_recursive = 0;
    kadrilo::extraire_exif(state, QDir::toNativeSeparators(raws));
    kadrilo::frm_stats stats(&main);
    kadrilo::analyse_exif(state, QDir::toNativeSeparators(raws), stats);
    stats.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stats));
    QTRY_VERIFY(chartsLaidOut(stats));
    save(stats, QStringLiteral("frm_stats"));
}

QTEST_MAIN(tst_screens)
#include "tst_screens.moc"
