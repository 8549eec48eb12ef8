#pragma once

#include "run/exiftool_command.h"

#include <QObject>
#include <QStringList>

#include <memory>

class QProcess;
class QTimer;

namespace kadrilo {

// Owns one ExifTool process. `start()` starts it and returns at once, `finished()` tells its
// end; `run()` does both and returns once it has ended, keeping the user interface alive
// meanwhile through a local event loop. A start that fails is tried again a few times, then
// given up. ExifTool runs in a process group of its own that dies with this program, even
// when this program is killed; destroying the object, or `cancel()`, ends the group, so no
// child is left behind.
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
        // What ExifTool wrote on its standard error, line by line.
        QStringList errorLines;
    };

    static constexpr int startAttempts = 3;
    static constexpr int tickMilliseconds = 250;

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

    std::unique_ptr<QProcess> m_process;
    std::unique_ptr<QTimer> m_ticker;
    QByteArray m_errorOutput;
    Ending m_ending;
    bool m_cancelRequested = false;
};

} // namespace kadrilo
