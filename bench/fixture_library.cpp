#include "fixture_library.h"

#include "support/cr2_writer.h"
#include "support/cr3_writer.h"

#include <QDir>
#include <QFile>

namespace kadrilo::bench {

namespace {
constexpr int perFolder = 20;
constexpr int foldersPerYear = 10;

bool isCr3(int index, int cr3Share) {
    return cr3Share > 0 && index % cr3Share == 0;
}
} // namespace

QString libraryImagePath(const QString &root, int index, int cr3Share) {
    const int folder = index / perFolder;
    const QString extension = isCr3(index, cr3Share) ? QStringLiteral("CR3")
                              : index % 2            ? QStringLiteral("CR2")
                                                     : QStringLiteral("cr2");
    return QStringLiteral("%1/%2/sortie %3/IMG_%4.%5")
        .arg(root)
        .arg(2000 + folder / foldersPerYear)
        .arg(folder % foldersPerYear + 1, 2, 10, QLatin1Char('0'))
        .arg(index % perFolder + 1, 4, 10, QLatin1Char('0'))
        .arg(extension);
}

bool writeLibrary(const QString &root, int images, int cr3Share) {
    using namespace kadrilo::test;
    for (int i = 0; i < images; ++i) {
        const QString path = libraryImagePath(root, i, cr3Share);
        if (i % perFolder == 0 && !QDir().mkpath(QFileInfo(path).path()))
            return false;
        Cr2Fixture fixture;
        fixture.iso = 100 << (i % 6);
        fixture.fNumber = 2.8 + (i % 5);
        fixture.focusMode = i % 3;
        fixture.continuousDrive = i % 2;
        applyLens(fixture, kCr2Lenses[i % 6]);
        fixture.focalLength = 18 + (i % 37);
        fixture.exposureNumerator = 1;
        fixture.exposureDenominator = 15 << (i % 8);
        fixture.model = i % 4 ? QStringLiteral("Canon EOS 5D Mark II")
                              : QStringLiteral("Canon EOS 350D DIGITAL");
        fixture.dateTimeOriginal = QStringLiteral("%1:%2:15 %3:20:00")
                                       .arg(2000 + i / (perFolder * foldersPerYear))
                                       .arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
                                       .arg(i % 24, 2, 10, QLatin1Char('0'));
        if (isCr3(i, cr3Share)) {
            fixture.model = QStringLiteral("Canon EOS R6");
            if (!writeCr3(path, fixture))
                return false;
        } else if (!writeCr2(path, fixture)) {
            return false;
        }
    }
    return true;
}

QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll().trimmed()).section(QLatin1Char(' '), 0, 2);
}

} // namespace kadrilo::bench
