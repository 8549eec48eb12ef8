// Writes the raw images that tst_package_install runs the unpacked package over:
//   make_fixtures FOLDER
// FOLDER gets three CR2 files and a sub-folder "jour2" with one more; what kadrilo-rapport
// must count in them is in install.sh.
#include "support/cr2_writer.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using kadrilo::test::Cr2Fixture;

namespace {

bool write(const QString &path, int iso, double fNumber, int continuousDrive, int lens) {
    Cr2Fixture fixture;
    fixture.iso = iso;
    fixture.fNumber = fNumber;
    fixture.continuousDrive = continuousDrive;
    kadrilo::test::applyLens(fixture, kadrilo::test::kCr2Lenses[lens]);
    return QDir().mkpath(QFileInfo(path).path()) && kadrilo::test::writeCr2(path, fixture);
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: make_fixtures FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const bool written =
        write(folder.filePath(QStringLiteral("IMG_0001.CR2")), 100, 5.6, 0, 0) &&
        write(folder.filePath(QStringLiteral("IMG_0002.CR2")), 100, 5.6, 1, 0) &&
        write(folder.filePath(QStringLiteral("IMG_0003.CR2")), 1600, 2.8, 0, 5) &&
        write(folder.filePath(QStringLiteral("jour2/IMG_0004.CR2")), 400, 8.0, 0, 5);
    return written ? 0 : 1;
}
