#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

class QSqlError;
class QSqlQuery;

namespace kadrilo::report {

// What tells whether a file's content may have changed since it was last read: another file
// put in its place (same size and times) has another device or inode.
struct FileIdentity {
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds since the epoch
    qint64 changed = 0;  // inode change time, nanoseconds since the epoch
    qint64 device = 0;
    qint64 inode = 0;

    friend bool operator==(const FileIdentity &a, const FileIdentity &b) {
        return a.size == b.size && a.modified == b.modified && a.changed == b.changed &&
               a.device == b.device && a.inode == b.inode;
    }
    friend bool operator!=(const FileIdentity &a, const FileIdentity &b) { return !(a == b); }
};

// The identity of the file at `path`, links followed; none when it cannot be reached.
std::optional<FileIdentity> fileIdentity(const QByteArray &path);

// One image as the cache keeps it: the identity of the file it was read from, and the lines
// of its tag file that the counting rules look at (empty: read, none of those tags).
struct CachedImage {
    FileIdentity identity;
    QByteArray tagLines;
};

// A row is trusted only when its file last changed clearly before the run that wrote it
// listed the folder: a change made in the same clock tick as that listing leaves the same
// times, on file systems that keep whole seconds (FAT keeps two). Two seconds also cover the
// kernel's coarse file clock and a small skew of a network file server's clock.
constexpr qint64 racyMargin = 2'000'000'000; // nanoseconds

// How many rows a run checks at least for images that exist no more, in rotation over the
// whole file; a run listing more images checks as many rows as it listed.
constexpr int pruneBatch = 2000;

// The report's memory of what ExifTool wrote for each image, in an SQLite file of the
// person's cache folder, so that an image that has not changed is not given to ExifTool
// again. An image is known by its path, and its row counts only for the same ExifTool
// version and the same tags asked (`tags`), and while its size and times are unchanged.
//
// The cache never changes a result: whatever goes wrong with the file (damaged, cut short,
// from another version, read-only, locked by another report, on a full disk), the report
// reads the images the cache cannot give with ExifTool. Each problem is told once through
// notices(); a file that cannot be read is replaced where that can be done.
// What the cache holds under a folder: the rows it can give, by path, and the images it kept
// that exist no more, whose rows the next store() removes.
struct CachedFolder {
    QHash<QByteArray, CachedImage> images;
    QVector<QByteArray> gone;
};

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
    // `recursive`), by path, and the paths of rows found there that are missing from
    // `present` (the images listed now).
    CachedFolder load(const QByteArray &folder, bool recursive, const QString &tags,
                      const QHash<QByteArray, FileIdentity> &present);

    // Keeps `images` read for `tags` by the run that listed its folder at `listedAt`
    // (nanoseconds since the epoch), removes the rows of the images `gone`, and checks
    // the next rows in rotation (at least `checked` of them): a row whose file is gone or
    // changed, or whose key does not start with `keyStart`, is removed. One transaction.
    void store(const QHash<QByteArray, CachedImage> &images, const QVector<QByteArray> &gone,
               const QString &tags, qint64 listedAt, const QString &keyStart, int checked);

    // What went wrong, in French, each told once.
    const QStringList &notices() const { return m_notices; }

    // Where the cache lives: "kadrilo/balises.sqlite" in the person's cache folder
    // ($XDG_CACHE_HOME when it is an absolute path, else ~/.cache).
    static QString defaultPath();

private:
    enum class Schema { Ready, NoDriver, Unreadable, OtherVersion, Incomplete, Damaged, New };

    bool open();
    bool preparePlace();
    // Opens the file on a new connection and makes its tables when it has none.
    Schema connectFile(QSqlError &error);
    Schema checkFile(QSqlQuery &query, QSqlError &error);
    bool createTables(QSqlQuery &query, QSqlError &error);
    void readRows(QSqlQuery &query, const QByteArray &prefix, bool recursive, const QString &tags,
                  const QHash<QByteArray, FileIdentity> &present, CachedFolder &found);
    bool isSound(QSqlError &error);
    bool pruneRows(QSqlQuery &query, const QString &keyStart, int checked);
    // Closes and deletes a file that cannot be read, then starts a new one.
    bool replace(const QString &why);
    void close();
    // Another program holds the file: it is left alone, and not used this time.
    void busy();
    void notice(const QString &text);
    QString damagedRowsNotice() const;
    // A failed statement: a damaged file is replaced; a locked or full one told once.
    void failed(const QString &what, const QSqlError &error);

    bool storeRows(QSqlQuery &query, const QHash<QByteArray, CachedImage> &images,
                   const QVector<QByteArray> &gone, const QString &tags, qint64 listedAt);

    QString m_path;
    QString m_connection;
    bool m_readOnly = false;
    QStringList m_notices;
};

} // namespace kadrilo::report
