#include "analysis/tag_file_reader.h"

#include "platform/safe_files.h"

#include <QFile>

#include <algorithm>

namespace kadrilo {

namespace {
// Tag files are a few kilobytes; a buffer above this size was grown by an unusual file.
constexpr qsizetype keptBufferBytes = 1024 * 1024;
constexpr qsizetype minimumGrowth = 64 * 1024;
} // namespace

bool TagFileReader::read(const QString &path) {
    m_size = 0;
    m_failure.clear();
    QFile file;
    // Unbuffered: the bytes go straight into our buffer, without QFile's own copy. Anything
    // but a regular file is left unopened: opening a FIFO waits for a writer for ever.
    if (!platform::openRegularFile(file, path, &m_failure))
        return false;

    const qint64 expected = std::max<qint64>(0, file.size());
    if (m_buffer.size() > keptBufferBytes && expected < keptBufferBytes)
        m_buffer = QByteArray();
    // One byte more than announced, so that the end of the file shows as a short read
    // without a second, larger buffer.
    if (m_buffer.size() < expected + 1)
        m_buffer.resize(qsizetype(expected + 1));

    for (;;) {
        if (m_size == m_buffer.size())
            m_buffer.resize(m_buffer.size() + std::max(minimumGrowth, m_buffer.size() / 2));
        const qint64 got = file.read(m_buffer.data() + m_size, m_buffer.size() - m_size);
        if (got <= 0)
            break;
        m_size += qsizetype(got);
    }
    return true;
}

} // namespace kadrilo
