#include "run/exiftool_run.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QThread>
#include <QTimer>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace kadrilo {

ExiftoolRun::ExiftoolRun(QObject *parent)
    : QObject(parent)
    , m_ticker(std::make_unique<QTimer>()) {
    m_ticker->setInterval(tickMilliseconds);
    connect(m_ticker.get(), &QTimer::timeout, this, &ExiftoolRun::tick);
}

ExiftoolRun::~ExiftoolRun() {
    cancel();
}

bool ExiftoolRun::isRunning() const {
    return m_process && m_process->state() != QProcess::NotRunning;
}

void ExiftoolRun::cancel() {
    m_cancelRequested = true;
    if (isRunning()) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

bool ExiftoolRun::startProcess(const ExiftoolCommand &command) {
    m_process = std::make_unique<QProcess>();
    // What ExifTool prints is not read: its tag files are the result.
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    m_process->setStandardInputFile(QProcess::nullDevice());
#ifdef Q_OS_WIN
    // ExifTool's console window opens minimized and does not take the focus.
    m_process->setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = SW_SHOWMINNOACTIVE;
    });
#endif
    m_process->start(command.program, command.arguments, QIODevice::NotOpen);
    return m_process->waitForStarted(10000);
}

bool ExiftoolRun::start(const ExiftoolCommand &command) {
    m_cancelRequested = false;
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
        m_outcome = m_cancelRequested ? Outcome::Cancelled : Outcome::FailedToStart;
        return false;
    }
    connect(m_process.get(), &QProcess::finished, this, &ExiftoolRun::onFinished);
    m_ticker->start();
    Q_EMIT started();
    return true;
}

void ExiftoolRun::onFinished() {
    m_ticker->stop();
    m_outcome = m_cancelRequested ? Outcome::Cancelled : Outcome::Finished;
    // The process object stays until the next start: its signal is still being delivered.
    Q_EMIT finished();
}

ExiftoolRun::Outcome ExiftoolRun::run(const ExiftoolCommand &command) {
    // Let the windows paint their texts before ExifTool takes over.
    QCoreApplication::processEvents();
    if (!start(command))
        return m_outcome;

    QEventLoop loop;
    connect(this, &ExiftoolRun::finished, &loop, &QEventLoop::quit);
    if (isRunning())
        loop.exec();
    return m_outcome;
}

} // namespace kadrilo
