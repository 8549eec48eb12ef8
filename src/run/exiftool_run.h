#pragma once

#include "run/exiftool_command.h"

#include <QObject>

#include <memory>

class QProcess;
class QTimer;

namespace kadrilo {

// Owns one ExifTool process. `start()` starts it and returns at once, `finished()` tells its
// end; `run()` does both and returns once it has ended, keeping the user interface alive
// meanwhile through a local event loop. A start that fails is tried again a few times, then
// given up. Destroying the object, or `cancel()`, kills a process that still runs, so no
// child is left behind.
class ExiftoolRun : public QObject {
    Q_OBJECT

public:
    enum class Outcome {
        Finished,      // ExifTool ran to its end (its own exit code is not judged)
        FailedToStart, // every start attempt failed
        Cancelled,     // cancel() stopped it
    };

    static constexpr int startAttempts = 3;
    static constexpr int tickMilliseconds = 250;

    explicit ExiftoolRun(QObject *parent = nullptr);
    ~ExiftoolRun() override;

    // Starts ExifTool; false when every attempt failed or a cancel came first (outcome() then
    // tells which).
    bool start(const ExiftoolCommand &command);
    Outcome run(const ExiftoolCommand &command);
    // How the last run ended, once finished() has come or start() failed.
    Outcome outcome() const { return m_outcome; }
    void cancel();
    bool isRunning() const;

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
    Outcome m_outcome = Outcome::Finished;
    bool m_cancelRequested = false;
};

} // namespace kadrilo
