#include "run/exiftool_run.h"

#include "platform/process.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QSet>
#include <QThread>
#include <QTimer>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace kadrilo {

namespace {

// The runs alive in this program; only touched from the thread that owns them.
QSet<ExiftoolRun *> &liveRuns() {
    static QSet<ExiftoolRun *> runs;
    return runs;
}

} // namespace

ExiftoolRun::ExiftoolRun(QObject *parent)
    : QObject(parent)
    , m_ticker(std::make_unique<QTimer>()) {
    m_ticker->setInterval(tickMilliseconds);
    connect(m_ticker.get(), &QTimer::timeout, this, &ExiftoolRun::tick);
    liveRuns().insert(this);
}

ExiftoolRun::~ExiftoolRun() {
    liveRuns().remove(this);
    cancel();
}

void ExiftoolRun::cancelAll() {
    const auto runs = liveRuns();
    for (ExiftoolRun *run : runs)
        run->cancel();
}

bool ExiftoolRun::isRunning() const {
    return m_process && m_process->state() != QProcess::NotRunning;
}

void ExiftoolRun::cancel() {
    m_cancelRequested = true;
    if (isRunning()) {
        // The whole group: a wrapper script's own children go with it.
        platform::killProcessGroup(m_process->processId());
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

bool ExiftoolRun::startProcess(const ExiftoolCommand &command) {
    m_process = std::make_unique<QProcess>();
    // What ExifTool prints on standard output is a summary; its tag files are the result.
    // Its standard error tells which files it could not read or write.
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setWorkingDirectory(command.workingDirectory);
    platform::bindToThisProcess(*m_process);
#ifdef Q_OS_WIN
    // ExifTool's console window opens minimized and does not take the focus.
    m_process->setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = SW_SHOWMINNOACTIVE;
    });
#endif
    connect(m_process.get(), &QProcess::readyReadStandardError, this,
            [this] { m_errorOutput += m_process->readAllStandardError(); });
    connect(m_process.get(), &QProcess::finished, this, &ExiftoolRun::onFinished);
    m_process->start(command.program, command.arguments, QIODevice::ReadOnly);
    if (m_process->waitForStarted(10000))
        return true;
    m_ending.startError = m_process->errorString();
    return false;
}

bool ExiftoolRun::start(const ExiftoolCommand &command) {
    m_cancelRequested = false;
    m_errorOutput.clear();
    m_ending = {};

    bool startedOk = false;
    for (int attempt = 0; attempt < startAttempts && !m_cancelRequested; ++attempt) {
        if (attempt > 0)
            QThread::msleep(100);
        startedOk = startProcess(command);
        if (startedOk)
            break;
    }
    if (!startedOk || m_cancelRequested) {
        m_process.reset();
        m_ending.outcome = m_cancelRequested ? Outcome::Cancelled : Outcome::FailedToStart;
        return false;
    }
    m_ticker->start();
    Q_EMIT started();
    return true;
}

void ExiftoolRun::onFinished() {
    m_ticker->stop();
    m_errorOutput += m_process->readAllStandardError();
    m_ending.errorLines =
        QString::fromLocal8Bit(m_errorOutput).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    m_errorOutput.clear();
    m_ending.exitCode = m_process->exitCode();
    m_ending.killedBySignal = m_process->exitStatus() == QProcess::CrashExit;
    if (m_cancelRequested)
        m_ending.outcome = Outcome::Cancelled;
    else if (m_ending.killedBySignal || m_ending.exitCode > 1)
        m_ending.outcome = Outcome::Aborted;
    else
        m_ending.outcome = Outcome::Finished;
    // The process object stays until the next start: its signal is still being delivered.
    Q_EMIT finished();
}

ExiftoolRun::Outcome ExiftoolRun::run(const ExiftoolCommand &command) {
    // Let the windows paint their texts before ExifTool takes over.
    QCoreApplication::processEvents();
    if (!start(command))
        return m_ending.outcome;

    QEventLoop loop;
    connect(this, &ExiftoolRun::finished, &loop, &QEventLoop::quit);
    if (isRunning())
        loop.exec();
    // A loop left early (the program is ending) still waits for ExifTool's end.
    if (isRunning()) {
        cancel();
        QCoreApplication::sendPostedEvents();
    }
    return m_ending.outcome;
}

} // namespace kadrilo
