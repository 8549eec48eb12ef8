#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

class QSqlQuery;

namespace kadrilo::report {

// What tells whether a file's content may have changed since it was last read.
struct FileIdentity {
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds since the epoch
    qint64 changed = 0;  // inode change time, nanoseconds since the epoch

    friend bool operator==(const FileIdentity &a, const FileIdentity &b) {
        return a.size == b.size && a.modified == b.modified && a.changed == b.changed;
    }
};

// One image as the cache keeps it: the identity of the file it was read from, and the lines
// of its tag file that the counting rules look at (empty: read, none of those tags).
struct CachedImage {
    FileIdentity identity;
    QByteArray tagLines;
};

// The report's memory of what ExifTool wrote for each image, in an SQLite file of the
// person's cache folder, so that an image that has not changed is not given to ExifTool
// again. An image is known by its path, and its row counts only for the same ExifTool
// version and the same tags asked (`tags`), and while its size and times are unchanged.
//
// The cache never changes a result: whatever goes wrong with the file (damaged, cut short,
// from another version, read-only, locked by another report, on a full disk), the report
// reads the images the cache cannot give with ExifTool. Each problem is told once through
// notices(); a file that cannot be read is replaced where that can be done.
class TagCache {
public:
    // Opens the cache file at `path`, creating it and its folder when missing.
    explicit TagCache(const QString &path);
    ~TagCache();
    TagCache(const TagCache &) = delete;
    TagCache &operator=(const TagCache &) = delete;

    // False when the file can be neither used nor replaced: nothing is read or kept.
    bool isUsable() const { return !m_connection.isEmpty(); }

    // The ExifTool version remembered for the program file `tool` of `identity`, so that an
    // unchanged library is read without starting ExifTool at all.
    std::optional<QString> exiftoolVersion(const QByteArray &tool, const FileIdentity &identity);
    void rememberExiftoolVersion(const QByteArray &tool, const FileIdentity &identity,
                                 const QString &version);

    // The images kept for `tags` under the folder `folder` (its own images only, unless
    // `recursive`), by path. Rows found there for paths missing from `present` (the images
    // listed now) are removed by the next store().
    QHash<QByteArray, CachedImage> load(const QByteArray &folder, bool recursive,
                                        const QString &tags,
                                        const QHash<QByteArray, FileIdentity> &present);

    // Keeps `images` read for `tags`, and removes the rows of images gone since load(), in
    // one transaction.
    void store(const QHash<QByteArray, CachedImage> &images, const QString &tags);

    // What went wrong, in French, each told once.
    const QStringList &notices() const { return m_notices; }

    // Where the cache lives: "kadrilo/balises.sqlite" in the person's cache folder
    // ($XDG_CACHE_HOME, else ~/.cache).
    static QString defaultPath();

private:
    enum class Schema { Ready, NoDriver, Unreadable, OtherVersion };

    bool open();
    // Opens the file on a new connection and makes its tables when it has none.
    Schema connectFile(QString &error);
    void readRows(QSqlQuery &query, const QByteArray &prefix, bool recursive, const QString &tags,
                  const QHash<QByteArray, FileIdentity> &present,
                  QHash<QByteArray, CachedImage> &images);
    // Closes and deletes a file that cannot be read, then starts a new one.
    bool replace(const QString &why);
    void close();
    // Another program holds the file: it is left alone, and not used this time.
    void busy();
    void notice(const QString &text);
    // A failed statement: the file is damaged, locked or full; told once.
    void failed(const QString &what, const QString &error);

    QString m_path;
    QString m_connection;
    bool m_readOnly = false;
    QVector<QByteArray> m_gone;
    QStringList m_notices;
};

} // namespace kadrilo::report
