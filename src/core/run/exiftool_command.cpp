#include "run/exiftool_command.h"

#include "platform/platform.h"

namespace kadrilo {

QString extensionFilter(bool withCr3) {
    QString filter;
    for (int i = 0; i < platform::rawExtensionCount(withCr3); ++i)
        filter += QStringLiteral(" -ext .") + QLatin1String(platform::canonRawExtensions[i]);
    return filter;
}

QString optionsPiece(int recursive, const QStringList &extraTags) {
    if (recursive == 1) {
        QString piece = QStringLiteral(" -s -s");
        for (const char *tag : folderFormTags)
            piece += QStringLiteral(" -") + QLatin1String(tag);
        piece += QStringLiteral(" -FileType");
        for (const QString &tag : extraTags)
            piece += QStringLiteral(" -") + tag;
        return piece + QStringLiteral(" -r -i SYMLINKS -w ");
    }
    return QStringLiteral(" -s -s -w ");
}

QStringList reportExtraTags() {
    return {QStringLiteral("ExposureTime"), QStringLiteral("Model"),
            QStringLiteral("DateTimeOriginal"), QStringLiteral("FocalLength35efl")};
}

QString lowerFirstCharacter(const QString &folder) {
    if (folder.isEmpty())
        return folder;
    return folder.left(1).toLower() + folder.mid(1);
}

QString quotedOnBlank(const QString &folder) {
    if (!folder.contains(QLatin1Char(' ')))
        return folder;
    return QLatin1Char('"') + folder + QLatin1Char('"');
}

bool needsWorkingDirectory(const QString &tempShortPath) {
    return tempShortPath.contains(QLatin1Char('%'));
}

ExiftoolCommand buildExiftoolCommand(const ExiftoolCommandInput &input) {
    ExiftoolCommand command;
    QString outputFolder = input.tempShortPath;
    if (needsWorkingDirectory(outputFolder)) {
        command.workingDirectory = outputFolder;
        outputFolder = QStringLiteral(".");
    }
    const QString pattern =
        input.namePattern.isEmpty() ? QString::fromUtf16(tagFilePattern) : input.namePattern;
    const QString outputPath = outputFolder + input.separator + pattern;
    const QString folder = lowerFirstCharacter(input.imageFolder);
    const QString options = optionsPiece(input.recursive, input.extraTags);

    command.program = input.exiftoolPath;
    command.line = input.exiftoolPath + input.extensionFilter + options + outputPath +
                   QLatin1Char(' ') + quotedOnBlank(folder);

    // The filter and the options are fixed words: splitting them on blanks is exact. The
    // output path and the folder stay whole, whatever they hold.
    command.arguments = input.extensionFilter.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    command.arguments += options.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    command.arguments << outputPath << folder;
    return command;
}

} // namespace kadrilo
