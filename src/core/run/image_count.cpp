#include "run/image_count.h"

namespace kadrilo {

int countRawImages(const QString &folder, bool recursive) {
    return platform::platform().findRawImages(folder, recursive).images;
}

ImageCounter::ImageCounter(QObject *parent)
    : QObject(parent) {}

ImageCounter::~ImageCounter() {
    stop();
}

void ImageCounter::stop() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void ImageCounter::start(const QString &folder, bool recursive) {
    stop();
    m_stop = false;
    m_done = false;
    m_scan = {};
    const int generation = ++m_generation;
    m_thread = std::thread([this, folder, recursive, generation] {
        m_scan = platform::platform().findRawImages(folder, recursive, &m_stop);
        // Back on the owner's thread; a result already taken by result() is not told twice.
        QMetaObject::invokeMethod(
            this,
            [this, generation] {
                if (generation == m_generation && !m_done) {
                    m_done = true;
                    Q_EMIT counted(m_scan.images);
                }
            },
            Qt::QueuedConnection);
    });
}

const platform::RawImageScan &ImageCounter::result() {
    if (m_thread.joinable())
        m_thread.join();
    if (!m_done) {
        m_done = true;
        Q_EMIT counted(m_scan.images);
    }
    return m_scan;
}

} // namespace kadrilo
