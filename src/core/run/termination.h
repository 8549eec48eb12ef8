#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace kadrilo::platform {

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal delivered by the event loop, so the
// program can stop ExifTool and clean up before it ends instead of dying on the spot. One
// watch at a time; the default handling comes back when it is destroyed. Does nothing on
// systems without these signals.
class TerminationWatch : public QObject {
    Q_OBJECT

public:
    explicit TerminationWatch(QObject *parent = nullptr);
    ~TerminationWatch() override;

    // The number of the first signal received, 0 while none came. Set by the signal handler
    // itself, so it is true at once, even while the event loop is not running.
    static int received();

Q_SIGNALS:
    void requested(int signal);

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace kadrilo::platform
