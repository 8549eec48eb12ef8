#include "run/exiftool_run.h"

#include "run/process.h"

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

// Keeps what ExifTool writes on its standard error within a fixed size, as Ending::errorLines
// tells: a tool gone astray may write gigabytes there, with or without line breaks.
class ErrorOutput {
public:
    void append(const QByteArray &bytes) {
        for (qsizetype start = 0;;) {
            const qsizetype lineEnd = bytes.indexOf('\n', start);
            const qsizetype end = lineEnd < 0 ? bytes.size() : lineEnd;
            const qsizetype room = ExiftoolRun::maxErrorLineBytes - m_line.size();
            m_line += bytes.mid(start, qBound<qsizetype>(0, end - start, room));
            if (lineEnd < 0)
                return;
            endLine();
            start = lineEnd + 1;
        }
    }

    void finish(ExiftoolRun::Ending &ending) {
        endLine();
        for (const QByteArray &line : std::as_const(m_kept))
            ending.errorLines << QString::fromLocal8Bit(line);
        ending.errorLinesLeftOut = m_leftOut;
        // The last line often tells why the tool stopped.
        if (!m_last.isEmpty() && !m_lastKept) {
            ending.errorLines << QString::fromLocal8Bit(m_last);
            if (m_lastLeftOut)
                --ending.errorLinesLeftOut;
        }
    }

private:
    void endLine() {
        if (m_line.endsWith('\r'))
            m_line.chop(1);
        if (m_line.isEmpty())
            return;
        const bool named = m_line.startsWith("Error") || m_line.startsWith("Warning");
        m_lastKept = named && m_kept.size() < ExiftoolRun::maxErrorLines;
        m_lastLeftOut = named && !m_lastKept;
        if (m_lastKept)
            m_kept << m_line;
        else if (m_lastLeftOut)
            ++m_leftOut;
        m_last.swap(m_line);
        m_line.clear();
    }

    QByteArray m_line; // the line being received, cut to maxErrorLineBytes
    QList<QByteArray> m_kept;
    int m_leftOut = 0;
    QByteArray m_last;
    bool m_lastKept = false;
    bool m_lastLeftOut = false;
};

namespace {

// The runs alive in this program; only touched from the thread that owns them.
QSet<ExiftoolRun *> &liveRuns() {
    static QSet<ExiftoolRun *> runs;
    return runs;
}

} // namespace

ExiftoolRun::ExiftoolRun(QObject *parent)
    : QObject(parent)
    , m_ticker(std::make_unique<QTimer>())
    , m_errorOutput(std::make_unique<ErrorOutput>()) {
    m_ticker->setInterval(tickMilliseconds);
    connect(m_ticker.get(), &QTimer::timeout, this, [this] {
        constexpr int ticksPerSecond = 1000 / tickMilliseconds;
        if (++m_ticks % ticksPerSecond == 0)
            watchDevices();
        Q_EMIT tick();
    });
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
        platform::killProcessGroup(m_pid);
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
            [this] { m_errorOutput->append(m_process->readAllStandardError()); });
    connect(m_process.get(), &QProcess::finished, this, &ExiftoolRun::onFinished);
    m_process->start(command.program, command.arguments, QIODevice::ReadOnly);
    // The process entered its group among the watched ones before it could fail: a failed
    // start must take it out again.
    const qint64 pid = m_process->processId();
    if (m_process->waitForStarted(10000)) {
        m_pid = m_process->processId();
        platform::watchGroup(m_pid);
        return true;
    }
    platform::endGroup(pid);
    m_ending.startError = m_process->errorString();
    return false;
}

bool ExiftoolRun::start(const ExiftoolCommand &command) {
    m_cancelRequested = false;
    m_errorOutput = std::make_unique<ErrorOutput>();
    m_ending = {};
    m_ticks = 0;
    m_deviceRead.clear();
    m_deviceChecks = 0;

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

void ExiftoolRun::watchDevices() {
    const QString device = platform::deviceReadInGroup(m_pid);
    m_deviceChecks = device.isEmpty() ? 0 : device == m_deviceRead ? m_deviceChecks + 1 : 1;
    m_deviceRead = device;
    if (m_deviceChecks < endlessReadSeconds || !isRunning())
        return;
    m_ending.endlessDevice = device;
    platform::killProcessGroup(m_pid);
    m_process->kill();
}

void ExiftoolRun::onFinished() {
    m_ticker->stop();
    // Whatever ExifTool left running goes with it.
    platform::endGroup(m_pid);
    m_pid = 0;
    m_errorOutput->append(m_process->readAllStandardError());
    m_errorOutput->finish(m_ending);
    m_errorOutput = std::make_unique<ErrorOutput>();
    m_ending.exitCode = m_process->exitCode();
    m_ending.killedBySignal = m_process->exitStatus() == QProcess::CrashExit;
    if (m_cancelRequested)
        m_ending.outcome = Outcome::Cancelled;
    else if (m_ending.killedBySignal || m_ending.exitCode > 1 || !m_ending.endlessDevice.isEmpty())
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
