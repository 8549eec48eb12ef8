#include "platform/platform.h"
#include "report/report_options.h"
#include "report/report_run.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

void writeTo(FILE *stream, const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

bool standardErrorIsTerminal() {
#ifdef Q_OS_WIN
    return _isatty(2);
#else
    return isatty(2);
#endif
}

#ifndef Q_OS_WIN
// Ctrl+C, a closed terminal or a polite kill reach the event loop through this pair of
// sockets, so the report can stop ExifTool and remove its temporary folder before ending.
int g_signalSockets[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalSockets[0], &byte, 1);
}

std::unique_ptr<QSocketNotifier> watchSignals(kadrilo::report::ReportInterruption &interruption) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalSockets) != 0)
        return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(g_signalSockets[1], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, &interruption, [&interruption] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(g_signalSockets[1], &byte, 1);
        interruption.interrupt();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    return notifier;
}
#endif

} // namespace

int main(int argc, char *argv[]) {
    using namespace kadrilo::report;

    QCoreApplication app(argc, argv);

    const ParsedArguments parsed = parseReportArguments(QCoreApplication::arguments().mid(1));
    if (parsed.action == ParsedArguments::Action::Help) {
        writeTo(stdout, usageText().toUtf8());
        return ExitOk;
    }
    if (parsed.action == ParsedArguments::Action::Error) {
        writeTo(stderr, QStringLiteral("kadrilo-rapport : %1\n%2\n"
                                       "Pour en savoir plus : kadrilo-rapport --help\n")
                            .arg(parsed.error, usageText().section(QLatin1Char('\n'), 0, 0))
                            .toUtf8());
        return ExitBadUsage;
    }

    ReportInterruption interruption;
#ifndef Q_OS_WIN
    const auto signalWatch = watchSignals(interruption);
#endif

    ReportSettings settings;
    settings.programFolder = kadrilo::platform::platform().programFolder();
    settings.interruption = &interruption;
    // Progress is for a person watching a terminal; a redirected standard error stays clean.
    const bool showProgress = standardErrorIsTerminal();
    if (showProgress) {
        settings.progress = [](int done, int total) {
            writeTo(stderr,
                    QStringLiteral("\rExtraction : %1 / %2 images").arg(done).arg(total).toUtf8());
        };
    }

    const ReportOutcome outcome = executerRapport(parsed.options, settings);
    if (showProgress)
        writeTo(stderr, QByteArrayLiteral("\n"));
    if (outcome.status != ExitOk) {
        writeTo(
            stderr,
            (QStringLiteral("kadrilo-rapport : ") + outcome.error + QLatin1Char('\n')).toUtf8());
        return outcome.status;
    }
    writeTo(stdout, outcome.output);
    return ExitOk;
}
