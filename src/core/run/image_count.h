#pragma once

#include "platform/platform.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <thread>

namespace kadrilo {

// Number of Canon raw images that ExifTool will process in `folder`, descending into
// sub-folders when `recursive` is set (see platform::Platform::findRawImages).
int countRawImages(const QString &folder, bool recursive);

// Counts the raw images of a folder on a thread of its own, so that a large tree neither
// delays ExifTool nor freezes a window. `counted()` comes on the thread that owns the object.
class ImageCounter : public QObject {
    Q_OBJECT

public:
    explicit ImageCounter(QObject *parent = nullptr);
    // Stops a count still running and waits for its thread.
    ~ImageCounter() override;

    void start(const QString &folder, bool recursive);
    // Waits for the count to end (at once when it has), then gives it.
    const platform::RawImageScan &result();
    // Stops a count still running, without its result.
    void stop();

Q_SIGNALS:
    void counted(int images);

private:
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    platform::RawImageScan m_scan;
    bool m_done = false;
    int m_generation = 0; // tells a finished count from an earlier one still queued
};

} // namespace kadrilo
