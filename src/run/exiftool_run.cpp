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
    : QObject(parent) {}

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

ExiftoolRun::Outcome ExiftoolRun::run(const ExiftoolCommand &command) {
    m_cancelRequested = false;
    // Let the windows paint their texts before ExifTool takes over.
    QCoreApplication::processEvents();

    bool startedOk = false;
    for (int attempt = 0; attempt < startAttempts && !m_cancelRequested; ++attempt) {
        if (attempt > 0)
            QThread::msleep(100);
        startedOk = startProcess(command);
        if (startedOk)
            break;
    }
    if (m_cancelRequested) {
        m_process.reset();
        return Outcome::Cancelled;
    }
    if (!startedOk) {
        m_process.reset();
        return Outcome::FailedToStart;
    }
    Q_EMIT started();

    QEventLoop loop;
    QTimer ticker;
    ticker.setInterval(tickMilliseconds);
    connect(&ticker, &QTimer::timeout, this, &ExiftoolRun::tick);
    connect(m_process.get(), &QProcess::finished, &loop, &QEventLoop::quit);
    ticker.start();
    if (m_process->state() != QProcess::NotRunning)
        loop.exec();
    ticker.stop();

    const Outcome outcome = m_cancelRequested ? Outcome::Cancelled : Outcome::Finished;
    m_process.reset();
    return outcome;
}

} // namespace kadrilo
