// Times the tag-file analysis against a pass that only reads the same files into memory.
//
//   bench_analyse [folder] [files]
//
// Writes `files` (20000 by default) synthetic tag files in ExifTool's full short form (about
// 300 lines each) into `folder`, or into a temporary folder removed afterwards, then runs
// each pass twice on a warm cache and reports the best run of each. A given folder that
// already holds tag files is analysed as it is, so real ExifTool output can be timed too.

#include "analysis/analyse.h"
#include "analysis/tag_file_reader.h"
#include "platform/platform.h"
#include "run/module1.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

// Tag names of a Canon full listing, to fill the lines between the five counted tags. Some
// begin with the same letters as the counted ones so the line test has work to do.
const char *const fillerTags[] = {
    "ExifToolVersion",
    "FileName",
    "Directory",
    "FileSize",
    "FileModifyDate",
    "FileAccessDate",
    "FileInodeChangeDate",
    "FilePermissions",
    "FileType",
    "FileTypeExtension",
    "MIMEType",
    "ExifByteOrder",
    "ImageWidth",
    "ImageHeight",
    "BitsPerSample",
    "Compression",
    "Make",
    "Model",
    "StripOffsets",
    "Orientation",
    "SamplesPerPixel",
    "RowsPerStrip",
    "StripByteCounts",
    "XResolution",
    "YResolution",
    "ResolutionUnit",
    "ModifyDate",
    "ExposureTime",
    "ExposureProgram",
    "ExifVersion",
    "DateTimeOriginal",
    "CreateDate",
    "ComponentsConfiguration",
    "ShutterSpeedValue",
    "ApertureValue",
    "ExposureCompensation",
    "MaxApertureValue",
    "MeteringMode",
    "Flash",
    "FocalLength",
    "MacroMode",
    "SelfTimer",
    "Quality",
    "CanonFlashMode",
    "ContinuousDrive",
    "RecordMode",
    "CanonImageSize",
    "EasyMode",
    "DigitalZoom",
    "Contrast",
    "Saturation",
    "Sharpness",
    "CameraISO",
    "MeteringMode2",
    "FocusRange",
    "AFPoint",
    "CanonExposureMode",
    "LensType",
    "MaxFocalLength",
    "MinFocalLength",
    "FocalUnits",
    "MaxAperture",
    "MinAperture",
    "FlashActivity",
    "FlashBits",
    "FocusContinuous",
    "AESetting",
    "ImageStabilization",
    "DisplayAperture",
    "ZoomSourceWidth",
    "ZoomTargetWidth",
    "SpotMeteringMode",
    "PhotoEffect",
    "ManualFlashOutput",
    "ColorTone",
    "SRAWQuality",
    "FocalType",
    "FocalPlaneXSize",
    "FocalPlaneYSize",
    "AutoISO",
    "BaseISO",
    "MeasuredEV",
    "TargetAperture",
    "TargetExposureTime",
    "WhiteBalance",
    "SlowShutter",
    "SequenceNumber",
    "OpticalZoomCode",
    "CameraTemperature",
    "FlashGuideNumber",
    "AFPointsInFocus",
    "FlashExposureComp",
    "AutoExposureBracketing",
    "AEBBracketValue",
    "ControlMode",
    "FocusDistanceUpper",
    "FocusDistanceLower",
    "FNumber2",
    "ExposureTime2",
    "MeasuredEV2",
    "BulbDuration",
    "CameraType",
    "AutoRotate",
    "NDFilter",
    "SelfTimer2",
    "FlashOutput",
    "CanonImageType",
    "CanonFirmwareVersion",
    "OwnerName",
    "SerialNumber",
    "DustRemovalData",
    "LensModel",
    "InternalSerialNumber",
    "DirectoryIndex",
    "FileIndex",
    "DriveSpeed",
};

const char *const isoValues[] = {"100",  "125",  "160",  "200",  "250",  "320",   "400",
                                 "500",  "640",  "800",  "1000", "1250", "1600",  "2000",
                                 "2500", "3200", "4000", "5000", "6400", "12800", "25600"};
const char *const apertureValues[] = {"1.4",  "1.8",  "2.0",  "2.8", "3.5", "4.0",  "5.0",
                                      "5.6",  "6.3",  "7.1",  "8.0", "9.0", "10.0", "11.0",
                                      "13.0", "16.0", "22.0", "1.0", "32.0"};
const char *const focusValues[] = {"One-shot AF", "AI Servo AF", "AI Focus AF", "Manual Focus (3)"};
const char *const driveValues[] = {"Single-frame Shooting", "Continuous Shooting",
                                   "Self-timer Operation"};

template <typename T, size_t N> const T &pick(const T (&values)[N], QRandomGenerator &random) {
    return values[random.bounded(int(N))];
}

QByteArray lensName(int index) {
    static const char *const families[] = {"Canon EF 24-105mm f/4L IS USM",
                                           "Canon EF 70-200mm f/2.8L IS II USM",
                                           "Canon EF 50mm f/1.8 STM",
                                           "Canon EF-S 18-55mm f/3.5-5.6 IS STM",
                                           "Sigma 18-35mm f/1.8 DC HSM | A",
                                           "Tamron SP 24-70mm f/2.8 Di VC USD",
                                           "Canon EF 100mm f/2.8L Macro IS USM",
                                           "Unknown 18-55mm"};
    return QByteArray(families[index % 8]) + " (" + QByteArray::number(index) + ")";
}

// One tag file of about 300 lines, with the five counted tags where a Canon listing has them.
QByteArray tagFile(int number, QRandomGenerator &random) {
    QByteArray out;
    out.reserve(12 * 1024);
    const int lines = 290 + random.bounded(20);
    int filler = 0;
    for (int line = 1; line <= lines; ++line) {
        switch (line) {
        case 27:
            out += "FNumber: ";
            out += pick(apertureValues, random);
            break;
        case 29:
            out += "ISO: ";
            out += pick(isoValues, random);
            break;
        case 43:
            out += "FocusMode: ";
            out += pick(focusValues, random);
            break;
        case 196:
            out += "DriveMode: ";
            out += pick(driveValues, random);
            break;
        case 203:
            out += "LensID: " + lensName(random.bounded(40));
            break;
        default: {
            const char *name = fillerTags[filler++ % int(std::size(fillerTags))];
            out += name;
            if (filler > int(std::size(fillerTags)))
                out += QByteArray::number(filler / int(std::size(fillerTags)));
            out += ": ";
            // The file's name, and a type that the analysis counts as a Canon raw image: with
            // another, every file would be set apart unread and nothing counted.
            if (line == 2)
                out += "IMG_" + QByteArray::number(number) + ".CR2";
            else if (qstrcmp(name, "FileType") == 0 && filler <= int(std::size(fillerTags)))
                out += "CR2";
            else
                out += QByteArray::number(random.bounded(100000)) + ' ' +
                       QByteArray(random.bounded(0, 12), 'x');
            break;
        }
        }
        out += '\n';
    }
    return out;
}

struct Memory {
    long rssKb = 0;
    long peakKb = 0;
};

Memory memoryNow() {
    Memory memory;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return memory;
    for (const QByteArray &line : status.readAll().split('\n')) {
        const auto value = [&line] {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        };
        if (line.startsWith("VmRSS:"))
            memory.rssKb = value();
        else if (line.startsWith("VmHWM:"))
            memory.peakKb = value();
    }
    return memory;
}

struct PassResult {
    double seconds = 0;
    qint64 bytes = 0;
};

// Lists and reads every tag file, doing nothing with the bytes.
PassResult readOnlyPass(const QString &folder) {
    QElapsedTimer timer;
    timer.start();
    PassResult result;
    const QStringList names =
        kadrilo::platform::platform().listFiles(folder, {QStringLiteral("*.txt")});
    const QString prefix = kadrilo::platform::withTrailingSeparator(folder);
    kadrilo::TagFileReader reader;
    for (const QString &name : names) {
        if (reader.read(prefix + name))
            result.bytes += reader.content().size();
    }
    result.seconds = double(timer.nsecsElapsed()) / 1e9;
    return result;
}

PassResult analysisPass(const kadrilo::Module1 &state, kadrilo::statistiques_exif &stats) {
    QElapsedTimer timer;
    timer.start();
    stats = kadrilo::lire_fichiers_tags(state);
    PassResult result;
    result.seconds = double(timer.nsecsElapsed()) / 1e9;
    return result;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int files = 20000;
    if (args.size() > 2)
        files = std::max(1, args.at(2).toInt());

    std::optional<QTemporaryDir> temporary;
    QString folder;
    if (args.size() > 1) {
        folder = QDir(args.at(1)).absolutePath();
        QDir().mkpath(folder);
    } else {
        temporary.emplace();
        if (!temporary->isValid()) {
            std::fprintf(stderr, "cannot create a temporary folder\n");
            return 1;
        }
        folder = temporary->path();
    }

    qint64 written = 0;
    const QStringList existing =
        kadrilo::platform::platform().listFiles(folder, {QStringLiteral("*.txt")});
    if (!existing.isEmpty()) {
        files = int(existing.size());
        for (const QString &name : existing)
            written += QFileInfo(QDir(folder).filePath(name)).size();
        std::printf("analysing the %d tag files already in %s\n", files, qPrintable(folder));
    } else {
        std::printf("writing %d tag files into %s\n", files, qPrintable(folder));
        QRandomGenerator random(20240611);
        for (int i = 1; i <= files; ++i) {
            const QString name = QStringLiteral("IMG_%1.txt").arg(i, 5, 10, QLatin1Char('0'));
            QFile out(QDir(folder).filePath(name));
            const QByteArray content = tagFile(i, random);
            if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size()) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(out.fileName()));
                return 1;
            }
            written += content.size();
        }
    }
    const double megabytes = double(written) / (1024.0 * 1024.0);
    std::printf("%d files, %.1f MB, %.0f bytes per file\n", files, megabytes,
                double(written) / files);

    kadrilo::Module1 state;
    state.dossier_temp = kadrilo::platform::withTrailingSeparator(folder);
    kadrilo::statistiques_exif stats;

    // A first read warms the page cache; the timed runs alternate so both see the same cache.
    readOnlyPass(folder);
    const Memory before = memoryNow();
    double bestRead = 1e9;
    double bestAnalysis = 1e9;
    for (int run = 0; run < 2; ++run) {
        bestRead = std::min(bestRead, readOnlyPass(folder).seconds);
        bestAnalysis = std::min(bestAnalysis, analysisPass(state, stats).seconds);
    }
    const Memory after = memoryNow();

    int isoCounted = 0;
    for (int c : stats.compte_iso)
        isoCounted += c;
    std::printf("analysed %d files, %d ISO lines counted, %d lenses kept\n", stats.nb_fichiers,
                isoCounted, stats.nb_objectifs);
    std::printf("read-only pass: %.3f s, %.0f files/s, %.0f MB/s\n", bestRead, files / bestRead,
                megabytes / bestRead);
    std::printf("analysis:       %.3f s, %.0f files/s, %.0f MB/s\n", bestAnalysis,
                files / bestAnalysis, megabytes / bestAnalysis);
    std::printf("ratio analysis / read-only: %.2f\n", bestAnalysis / bestRead);
    std::printf("RSS before the passes: %ld kB, after: %ld kB; peak (VmHWM): %ld kB\n",
                before.rssKb, after.rssKb, after.peakKb);
    return 0;
}
