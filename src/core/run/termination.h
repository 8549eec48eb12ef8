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

    // Makes the program end with `status` `milliseconds` after the first signal, killing the
    // watched groups and writing `message` on standard error, should it not have ended by
    // itself by then: the clean ending runs in the event loop, which a long step (a wait for
    // a lock, a slow disk) may keep from it.
    void endWithin(int milliseconds, int status, const QByteArray &message);
    // The folder removed, with all it holds, when the program ends that way; empty: none.
    static void removeOnDeadline(const QByteArray &folder);

Q_SIGNALS:
    void requested(int signal);

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace kadrilo::platform
