// Times countRawImages over 20,000 raw files in nested folders, on a warm disk: the count
// that sizes the progress display must not delay the start of a run.
#include "run/image_count.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);

    constexpr int years = 10;
    constexpr int monthsPerYear = 10;
    constexpr int filesPerMonth = 200; // 20,000 raw files in 100 folders two levels down
    constexpr int rounds = 7;

    QTemporaryDir root;
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    int made = 0;
    for (int year = 0; year < years; ++year) {
        for (int month = 0; month < monthsPerYear; ++month) {
            const QString folder = root.filePath(
                QStringLiteral("%1/%2").arg(2010 + year).arg(month + 1, 2, 10, QLatin1Char('0')));
            QDir().mkpath(folder);
            for (int i = 0; i < filesPerMonth; ++i) {
                // Both extensions in both cases, and a jpeg beside every tenth raw file.
                const QString extension = (i % 4 == 0)   ? QStringLiteral("CR2")
                                          : (i % 4 == 1) ? QStringLiteral("cr2")
                                          : (i % 4 == 2) ? QStringLiteral("CRW")
                                                         : QStringLiteral("crw");
                QFile file(QStringLiteral("%1/IMG_%2.%3")
                               .arg(folder)
                               .arg(i, 4, 10, QLatin1Char('0'))
                               .arg(extension));
                if (file.open(QIODevice::WriteOnly))
                    ++made;
                if (i % 10 == 0) {
                    QFile jpeg(QStringLiteral("%1/IMG_%2.JPG")
                                   .arg(folder)
                                   .arg(i, 4, 10, QLatin1Char('0')));
                    jpeg.open(QIODevice::WriteOnly);
                }
            }
        }
    }

    // The first count warms the directory cache; the figure is the median of the next ones.
    const int expected = kadrilo::countRawImages(root.path(), true);
    std::vector<double> milliseconds;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const int count = kadrilo::countRawImages(root.path(), true);
        milliseconds.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (count != expected || count != made) {
            std::fprintf(stderr, "counted %d, expected %d\n", count, made);
            return 1;
        }
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("countRawImages: %d raw files in %d folders (plus %d jpeg)\n", made,
                years * monthsPerYear, years * monthsPerYear * filesPerMonth / 10);
    std::printf("warm, %d rounds: median %.1f ms, best %.1f ms, worst %.1f ms\n", rounds,
                milliseconds[rounds / 2], milliseconds.front(), milliseconds.back());
    return 0;
}
