#pragma once

#include "run/exiftool_command.h"

#include <QObject>

#include <memory>

class QProcess;

namespace kadrilo {

// Owns the one ExifTool process of a work cycle. `run()` starts it and returns once it has
// ended, keeping the user interface alive meanwhile through a local event loop. A start that
// fails is tried again a few times, then given up. Destroying the object, or `cancel()`,
// kills a process that still runs, so no child is left behind.
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

    Outcome run(const ExiftoolCommand &command);
    void cancel();
    bool isRunning() const;

Q_SIGNALS:
    void started();
    // Emitted every tickMilliseconds while ExifTool runs, so a window can show progress.
    void tick();

private:
    bool startProcess(const ExiftoolCommand &command);

    std::unique_ptr<QProcess> m_process;
    bool m_cancelRequested = false;
};

} // namespace kadrilo
