#include "platform/platform.h"
#include "report/report_format.h"
#include "report/report_options.h"
#include "report/report_run.h"
#include "run/process.h"
#include "run/termination.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Writes all of `bytes`; false, with errno telling why, when the stream refused them.
bool writeTo(FILE *stream, const QByteArray &bytes) {
    errno = 0;
    const std::size_t written =
        std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    return std::fflush(stream) == 0 && written == std::size_t(bytes.size()) && !std::ferror(stream);
}

bool standardErrorIsTerminal() {
#ifdef Q_OS_WIN
    return _isatty(2);
#else
    return isatty(2);
#endif
}

// A program started with standard output or error closed would give that descriptor to the
// first file it opens (its own lock file, a tag file) and write its results there. The
// descriptor is taken by /dev/null, and the writes to it are then refused, as to a closed one.
bool holdClosedDescriptor(int fd) {
#ifdef Q_OS_UNIX
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
        return false;
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0 && null != fd) {
        ::dup2(null, fd);
        ::close(null);
    }
    return true;
#else
    Q_UNUSED(fd)
    return false;
#endif
}

// A message for standard error, which is often a terminal: the control characters that file
// and folder names carry into it are shown as the output formats show them, so that no name
// moves the cursor, clears the screen or retitles the window. The message's own line breaks
// stay.
void writeMessage(const QString &text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        line = kadrilo::report::visibleText(line);
    writeTo(stderr, (kadrilo::report::reportProgramName() + QStringLiteral(" : ") +
                     lines.join(QLatin1Char('\n')) + QLatin1Char('\n'))
                        .toUtf8());
}

QString writeFailureReason(int error) {
    switch (error) {
    case ENOSPC:
        return QStringLiteral("plus de place sur le périphérique");
    case EBADF:
        return QStringLiteral("la sortie standard est fermée");
    case EPIPE:
        return QStringLiteral("le lecteur de la sortie standard s'est arrêté");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

// Tells on standard error what the cache gives and how far ExifTool has come.
void followProgress(kadrilo::report::ReportSettings &settings) {
    // French puts 0 and 1 in the singular.
    const auto images = [](int count) {
        return count > 1 ? QStringLiteral("images") : QStringLiteral("image");
    };
    settings.progress = [images](int done, int total) {
        const QString text =
            QStringLiteral("\rExtraction : %1 / %2 %3").arg(done).arg(total).arg(images(total));
        writeTo(stderr, text.toUtf8());
    };
    settings.cacheUse = [images](int fromCache, int toRead) {
        const QString text =
            QStringLiteral("Cache : %1 %2 déjà %3, %4 à lire par ExifTool\n")
                .arg(fromCache)
                .arg(images(fromCache))
                .arg(fromCache > 1 ? QStringLiteral("lues") : QStringLiteral("lue"))
                .arg(toRead);
        writeTo(stderr, text.toUtf8());
    };
}

} // namespace

int main(int argc, char *argv[]) {
    using namespace kadrilo::report;

    const bool outputClosed = holdClosedDescriptor(1);
    holdClosedDescriptor(2);
    // While the program is one thread, and after the standard streams are held.
    kadrilo::platform::startGuard();
    // Ctrl+Z stops ExifTool with the report, fg or bg lets it go on.
    kadrilo::platform::relayJobControl();

    QCoreApplication app(argc, argv);

    const auto writeOutput = [&](const QByteArray &bytes) {
        if (!outputClosed && writeTo(stdout, bytes))
            return ExitOk;
        const int error = outputClosed ? EBADF : errno;
        writeMessage(QStringLiteral("impossible d'écrire sur la sortie standard : %1.")
                         .arg(writeFailureReason(error)));
        return ExitOutputFailed;
    };

    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    const ParsedArguments parsed = parseReportRequest(arguments);
    if (parsed.action == ParsedArguments::Action::Help)
        return writeOutput(usageText().toUtf8());
    if (parsed.action == ParsedArguments::Action::Error) {
        writeMessage(QStringLiteral("%1\n%2\nPour en savoir plus : kadrilo-rapport --help")
                         .arg(parsed.error, usageText().section(QLatin1Char('\n'), 0, 0)));
        return ExitBadUsage;
    }

    // Ctrl+C, a closed terminal or a polite kill stop ExifTool and remove the private folder
    // before the report ends.
    ReportInterruption interruption;
    kadrilo::platform::TerminationWatch termination;
    QObject::connect(&termination, &kadrilo::platform::TerminationWatch::requested, &interruption,
                     &ReportInterruption::interrupt);
    // The clean ending takes milliseconds; should a step keep it from running, the report
    // still ends within a second, its ExifTool killed and its private folder removed.
    termination.endWithin(900, ExitInterrupted,
                          (reportProgramName() + QStringLiteral(" : interrompu.\n")).toUtf8());

    ReportSettings settings;
    settings.programFolder = kadrilo::platform::platform().programFolder();
    settings.interruption = &interruption;
    // Progress is for a person watching a terminal; a redirected standard error stays clean.
    const bool showProgress = standardErrorIsTerminal();
    if (showProgress)
        followProgress(settings);

    ReportOutcome outcome = executerRapport(parsed.options, settings);
    if (showProgress)
        writeTo(stderr, QByteArrayLiteral("\n"));
    // A signal that came while the tag files were read, after ExifTool's end, still stops
    // the report: the person asked for it to end.
    if (kadrilo::platform::TerminationWatch::received() != 0 && outcome.status != ExitInterrupted)
        outcome = {ExitInterrupted, {}, QStringLiteral("interrompu.")};

    if (!outcome.output.isEmpty()) {
        const int written = writeOutput(outcome.output);
        if (written != ExitOk)
            return written;
    }
    if (!outcome.error.isEmpty())
        writeMessage(outcome.error);
    return outcome.status;
}
