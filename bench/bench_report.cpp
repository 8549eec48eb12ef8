// Times the headless report against ExifTool alone, over fixture images in nested folders.
//
//   bench_report [images] [rounds] [processes]
//
// Writes `images` (2,000 by default) minimal CR2 files that the real ExifTool reads, in
// folders two levels deep with the same image names in every folder, then times in turn,
// `rounds` times (3 by default): the bare ExifTool command that `kadrilo-rapport --recursif`
// runs (the same options, one process, nothing else), `kadrilo-rapport --recursif
// --processus 1` and `kadrilo-rapport --recursif --processus <processes>` (the number of cores
// by default). Prints every time, the best of each and the ratios to the bare command, with
// the load average before and after: the machine may be shared.

#include "fixture_library.h"
#include "run/exiftool_command.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString rapportPath = QStringLiteral(KADRILO_RAPPORT_PATH);
const QString exiftoolPath = QStringLiteral(KADRILO_EXIFTOOL_PATH);

// Runs a program to its end; the seconds it took, or -1 when it failed.
double timeRun(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return -1;
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int images = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 2000;
    const int rounds = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 3;
    const int cores = QThread::idealThreadCount();
    const int processes = args.size() > 3 ? std::max(1, args.at(3).toInt()) : cores;

    QTemporaryDir root;
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    const QString photos = root.filePath(QStringLiteral("photos"));
    if (!kadrilo::bench::writeLibrary(photos, images)) {
        std::fprintf(stderr, "cannot write the fixture images\n");
        return 1;
    }

    // The report's own command, as it gives it to ExifTool, into a tag folder of its own.
    const QString tags = root.filePath(QStringLiteral("tags"));
    kadrilo::ExiftoolCommandInput input;
    input.exiftoolPath = exiftoolPath;
    input.extensionFilter = kadrilo::extensionFilter(false);
    input.recursive = 1;
    input.tempShortPath = tags;
    input.imageFolder = photos;
    input.extraTags = kadrilo::reportExtraTags();
    const kadrilo::ExiftoolCommand bare = kadrilo::buildExiftoolCommand(input);

    struct Contender {
        QString name;
        QString program;
        QStringList arguments;
        std::vector<double> seconds;
    };
    // Without the cache, so that every round reads every image.
    const QStringList report{QStringLiteral("--recursif"), QStringLiteral("--sans-cache"),
                             QStringLiteral("--format"), QStringLiteral("csv"),
                             QStringLiteral("--processus")};
    std::vector<Contender> contenders{
        {QStringLiteral("bare exiftool"), bare.program, bare.arguments, {}},
        {QStringLiteral("--processus 1"),
         rapportPath,
         report + QStringList{QStringLiteral("1"), photos},
         {}},
        {QStringLiteral("--processus %1").arg(processes),
         rapportPath,
         report + QStringList{QString::number(processes), photos},
         {}},
    };

    std::printf("%d images in %d folders, %d cores, %d processes, %d rounds\n", images,
                (images + 19) / 20, cores, processes, rounds);
    std::printf("load average before: %s\n", qPrintable(kadrilo::bench::loadAverage()));
    // One untimed run warms the page cache and Perl's modules for all three.
    QDir(tags).removeRecursively();
    QDir().mkpath(tags);
    timeRun(bare.program, bare.arguments);

    // Rounds interleave the three, so that a change of load touches them alike.
    for (int round = 0; round < rounds; ++round) {
        for (Contender &contender : contenders) {
            QDir(tags).removeRecursively();
            QDir().mkpath(tags);
            const double seconds = timeRun(contender.program, contender.arguments);
            if (seconds < 0) {
                std::fprintf(stderr, "%s failed\n", qPrintable(contender.name));
                return 1;
            }
            contender.seconds.push_back(seconds);
            std::printf("round %d  %-14s %.3f s\n", round + 1, qPrintable(contender.name), seconds);
        }
    }
    std::printf("load average after: %s\n", qPrintable(kadrilo::bench::loadAverage()));

    const auto best = [](const Contender &c) {
        return *std::min_element(c.seconds.begin(), c.seconds.end());
    };
    const double bareBest = best(contenders[0]);
    for (const Contender &contender : contenders) {
        std::printf("best %-14s %.3f s  (%.0f images/s)  ratio to bare: %.2f\n",
                    qPrintable(contender.name), best(contender), images / best(contender),
                    best(contender) / bareBest);
    }
    return 0;
}
