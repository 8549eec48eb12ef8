// Times the report's cache over a library of fixture images in nested folders.
//
//   bench_cache [images] [rounds] [formats]
//
// Writes `images` (20,000 by default) minimal CR2 and CR3 files that the real ExifTool reads,
// then times `kadrilo-rapport --recursif` with one process per core:
//   - without the cache (--sans-cache), every image read by ExifTool, and a first run with an
//     empty cache, which fills it, in turn (the best of `rounds`, 3 by default, of each);
//   - re-runs over the unchanged library (the best of `rounds`), which start no ExifTool;
//   - the same re-runs writing the HTML page and the json format, in turn;
//   - a re-run after 1 % of the images were rewritten;
//   - the floor of an unchanged re-run: listing and examining the files, in this process.
// Prints every time, its ratio to the goal's reference, and the peak memory of each report,
// with the load average before and after: the machine may be shared. With "formats", only
// fills the cache and times the HTML page against the json format.

#include "fixture_library.h"
#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <utime.h>

namespace {

const QString rapportPath = QStringLiteral(KADRILO_RAPPORT_PATH);

// The peak resident memory of process `pid` so far, in MB, as /proc tells it.
double peakMegabytes(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

struct Timed {
    double seconds = -1;
    double peakMegabytes = 0;
};

// Runs the report to its end with the cache in `cacheHome`, following its peak memory.
Timed timeReport(const QStringList &arguments, const QString &cacheHome) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome);
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    Timed timed;
    QElapsedTimer timer;
    timer.start();
    process.start(rapportPath, arguments);
    if (!process.waitForStarted())
        return timed;
    const qint64 pid = process.processId();
    while (!process.waitForFinished(20))
        timed.peakMegabytes = std::max(timed.peakMegabytes, peakMegabytes(pid));
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        timed.seconds = seconds;
    return timed;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int images = args.size() > 1 ? std::max(100, args.at(1).toInt()) : 20000;
    const int rounds = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 3;
    constexpr int cr3Share = 4;

    QTemporaryDir root;
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    const QString photos = root.filePath(QStringLiteral("photos"));
    const QString cache = root.filePath(QStringLiteral("cache"));
    if (!kadrilo::bench::writeLibrary(photos, images, cr3Share)) {
        std::fprintf(stderr, "cannot write the fixture images\n");
        return 1;
    }
    const QStringList report{QStringLiteral("--recursif"), QStringLiteral("--format=csv"), photos};
    std::printf("%d images (one in %d a CR3) in %d folders, %d rounds\n", images, cr3Share,
                (images + 19) / 20, rounds);
    std::printf("load average before: %s\n", qPrintable(kadrilo::bench::loadAverage()));

    const auto run = [&](const char *name, const QStringList &arguments) {
        const Timed timed = timeReport(arguments, cache);
        if (timed.seconds < 0) {
            std::fprintf(stderr, "%s failed\n", name);
            std::exit(1);
        }
        std::printf("%-22s %8.3f s  peak %6.1f MB\n", name, timed.seconds, timed.peakMegabytes);
        return timed;
    };
    const auto best = [](double &kept, double seconds) {
        kept = kept < 0 ? seconds : std::min(kept, seconds);
    };
    // The page against the json format over the same filled cache: only the writing differs.
    const auto htmlAgainstJson = [&](double &json, double &html) {
        const auto inFormat = [&photos](const char *format) {
            return QStringList{QStringLiteral("--recursif"),
                               QStringLiteral("--format=") + QLatin1String(format), photos};
        };
        for (int round = 0; round < rounds; ++round) {
            best(json, run("unchanged, json", inFormat("json")).seconds);
            best(html, run("unchanged, html", inFormat("html")).seconds);
        }
    };
    double json = -1;
    double html = -1;
    if (args.value(3) == QLatin1String("formats")) {
        run("first, empty cache", report);
        htmlAgainstJson(json, html);
        std::printf("html / json              %7.3f   %6.3f   <= 1.10\n", html, html / json);
        return 0;
    }
    // One untimed pass warms the page cache and Perl's modules.
    timeReport(QStringList{QStringLiteral("--sans-cache")} + report, cache);

    // Rounds interleave the two full reads, so that a change of load touches them alike.
    double plain = -1;
    double first = -1;
    double peak = 0;
    for (int round = 0; round < rounds; ++round) {
        const Timed without =
            run("--sans-cache", QStringList{QStringLiteral("--sans-cache")} + report);
        QDir(cache).removeRecursively();
        const Timed filled = run("first, empty cache", report);
        best(plain, without.seconds);
        best(first, filled.seconds);
        peak = std::max({peak, without.peakMegabytes, filled.peakMegabytes});
    }
    double unchanged = -1;
    for (int round = 0; round < rounds; ++round) {
        const Timed again = run("unchanged", report);
        best(unchanged, again.seconds);
        peak = std::max(peak, again.peakMegabytes);
    }
    htmlAgainstJson(json, html);
    // 1 % of the images rewritten: new content and times, so they are read again.
    for (int i = 0; i < images; i += 100) {
        const QByteArray path =
            QFile::encodeName(kadrilo::bench::libraryImagePath(photos, i, cr3Share));
        ::utime(path.constData(), nullptr);
    }
    const Timed changed = run("1 % changed", report);
    peak = std::max(peak, changed.peakMegabytes);

    double floor = -1;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const auto listing =
            kadrilo::platform::platform().listImages(QFile::encodeName(photos), true, true);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (listing.images.size() != images)
            std::fprintf(stderr, "listed %lld images\n", qlonglong(listing.images.size()));
        best(floor, seconds);
    }
    std::printf("%-22s %8.3f s  (listing and examining the files, in process)\n", "floor", floor);
    std::printf("load average after: %s\n\n", qPrintable(kadrilo::bench::loadAverage()));

    std::printf("case                    seconds   ratio      goal\n");
    std::printf("first run / --sans-cache %7.3f   %6.3f   <= 1.05\n", first, first / plain);
    std::printf("unchanged / first run    %7.3f   %6.3f   <= 0.02\n", unchanged, unchanged / first);
    std::printf("1 %% changed / first run  %7.3f   %6.3f   <= 0.06\n", changed.seconds,
                changed.seconds / first);
    std::printf("html / json              %7.3f   %6.3f   <= 1.10\n", html, html / json);
    std::printf("unchanged / floor        %7.3f   %6.1f\n", unchanged, unchanged / floor);
    std::printf("peak memory              %7.1f MB           <= 150 MB\n", peak);
    return 0;
}
