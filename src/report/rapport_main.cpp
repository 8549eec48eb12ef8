#include "platform/platform.h"
#include "report/report_options.h"
#include "report/report_run.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

namespace {

void writeTo(FILE *stream, const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

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
        writeTo(stderr, (QStringLiteral("kadrilo-rapport : ") + parsed.error +
                         QStringLiteral("\n\n") + usageText())
                            .toUtf8());
        return ExitBadUsage;
    }

    ReportSettings settings;
    settings.programFolder = kadrilo::platform::platform().programFolder();
    // Progress is for a person watching a terminal; a redirected standard error stays clean.
    const bool showProgress = isatty(2);
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
