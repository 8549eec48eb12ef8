#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kadrilo {

// Reads one file at a time whole into a buffer kept from file to file, so that reading
// thousands of small tag files costs no allocation each. Memory stays bounded by the
// largest file read; a buffer grown by an outsized file is let go before the next small one.
class TagFileReader {
public:
    // Reads the file at `path`. False when it cannot be opened, or is no regular file (a
    // FIFO, a device, a link), which is never opened; a read error part-way keeps what was
    // read before it.
    bool read(const QString &path);
    // Why the last read failed, in French; empty when nothing stood at the path.
    QString failure() const { return m_failure; }
    // The bytes of the last file read (empty after a failed read).
    QByteArrayView content() const { return QByteArrayView(m_buffer.constData(), m_size); }

private:
    QByteArray m_buffer;
    qsizetype m_size = 0;
    QString m_failure;
};

} // namespace kadrilo
