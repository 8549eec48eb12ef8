#pragma once

#include "run/exiftool_command.h"

#include <QObject>
#include <QStringList>

#include <memory>

class QProcess;
class QTimer;

namespace kadrilo {

class ErrorOutput;

// Owns one ExifTool process. `start()` starts it and returns at once, `finished()` tells its
// end; `run()` does both and returns once it has ended, keeping the user interface alive
// meanwhile through a local event loop. A start that fails is tried again a few times, then
// given up. ExifTool runs in a process group of its own that dies with this program, even
// when this program is killed; its end, destroying the object, or `cancel()`, ends the group,
// so no child is left behind. A run found reading a device without end (a file named like an
// image that leads to /dev/zero) is stopped: its ending tells which device.
class ExiftoolRun : public QObject {
    Q_OBJECT

public:
    enum class Outcome {
        Finished,      // ExifTool ran to its end, with exit code 0 or 1 (some files failed)
        FailedToStart, // every start attempt failed
        Cancelled,     // cancel() stopped it
        Aborted,       // killed, crashed, or ended with another exit code
    };

    // How the run ended, once finished() has come.
    struct Ending {
        Outcome outcome = Outcome::Finished;
        // The exit code, or the number of the signal that killed it (Aborted).
        int exitCode = 0;
        bool killedBySignal = false;
        // Why it could not start (FailedToStart), as the system tells it.
        QString startError;
        // What ExifTool wrote on its standard error, within a fixed size however much it wrote:
        // the lines that start with "Error" or "Warning" (they name the files it could not read
        // or write), the first maxErrorLines of them, each cut to maxErrorLineBytes, then the
        // last line it wrote when that is not among them.
        QStringList errorLines;
        // The lines starting with "Error" or "Warning" that errorLines leaves out.
        int errorLinesLeftOut = 0;
        // The device ExifTool was stopped for, having read it for endlessReadSeconds (Aborted);
        // empty otherwise.
        QString endlessDevice;
    };

    static constexpr int startAttempts = 3;
    static constexpr int tickMilliseconds = 250;
    static constexpr int maxErrorLines = 1000;
    static constexpr int maxErrorLineBytes = 8192;
    // No image is a device: reading one this long means a file that never ends.
    static constexpr int endlessReadSeconds = 3;

    explicit ExiftoolRun(QObject *parent = nullptr);
    ~ExiftoolRun() override;

    // Starts ExifTool; false when every attempt failed (ending() then tells why).
    bool start(const ExiftoolCommand &command);
    Outcome run(const ExiftoolCommand &command);
    const Ending &ending() const { return m_ending; }
    void cancel();
    bool isRunning() const;

    // Cancels every run of this program, for a program told to end by a signal.
    static void cancelAll();

Q_SIGNALS:
    void started();
    // Emitted every tickMilliseconds while ExifTool runs, so a window can show progress.
    void tick();
    void finished();

private:
    bool startProcess(const ExiftoolCommand &command);
    void onFinished();
    void watchDevices();

    std::unique_ptr<QProcess> m_process;
    qint64 m_pid = 0; // the group ExifTool leads, kept past its end
    std::unique_ptr<QTimer> m_ticker;
    std::unique_ptr<ErrorOutput> m_errorOutput;
    Ending m_ending;
    bool m_cancelRequested = false;
    int m_ticks = 0;
    QString m_deviceRead; // the device seen read at the last check, and since how many checks
    int m_deviceChecks = 0;
};

} // namespace kadrilo
