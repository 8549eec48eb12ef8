#include "report/tag_cache.h"

#include "analysis/wording.h"

#include <QAtomicInteger>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
#include <QtEndian>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kadrilo::report {

namespace {

using wording::quotedPath;

// Bumped whenever the tables change: a file of another version is replaced.
constexpr int schemaVersion = 2;

// Every table and its columns, in order: a file marked with this version but missing one of
// them is replaced instead of failing at each statement.
const char *const imagesTable =
    "CREATE TABLE images (path BLOB NOT NULL, tags TEXT NOT NULL, size INTEGER NOT NULL, "
    "modified INTEGER NOT NULL, changed INTEGER NOT NULL, device INTEGER NOT NULL, inode INTEGER "
    "NOT NULL, listed INTEGER NOT NULL, lines BLOB NOT NULL, checksum BLOB NOT NULL, PRIMARY KEY "
    "(path, tags)) WITHOUT ROWID";
const char *const toolsTable =
    "CREATE TABLE tools (path BLOB PRIMARY KEY, size INTEGER NOT NULL, modified INTEGER NOT "
    "NULL, changed INTEGER NOT NULL, device INTEGER NOT NULL, inode INTEGER NOT NULL, version "
    "TEXT NOT NULL)";
const char *const rotationTable = "CREATE TABLE rotation (next BLOB NOT NULL)";

struct TableColumns {
    const char *table;
    QStringList columns;
};

const QVector<TableColumns> &expectedTables() {
    static const QVector<TableColumns> tables{
        {"images",
         {QStringLiteral("path"), QStringLiteral("tags"), QStringLiteral("size"),
          QStringLiteral("modified"), QStringLiteral("changed"), QStringLiteral("device"),
          QStringLiteral("inode"), QStringLiteral("listed"), QStringLiteral("lines"),
          QStringLiteral("checksum")}},
        {"tools",
         {QStringLiteral("path"), QStringLiteral("size"), QStringLiteral("modified"),
          QStringLiteral("changed"), QStringLiteral("device"), QStringLiteral("inode"),
          QStringLiteral("version")}},
        {"rotation", {QStringLiteral("next")}}};
    return tables;
}

// SQLite's primary result codes: the low byte of an extended code.
enum SqliteCode {
    SqliteBusy = 5,
    SqliteLocked = 6,
    SqliteReadOnly = 8,
    SqliteIoError = 10,
    SqliteCorrupt = 11,
    SqliteFull = 13,
    SqliteCantOpen = 14,
    SqliteNotADatabase = 26,
};

int codeOf(const QSqlError &error) {
    return error.nativeErrorCode().toInt() & 0xff;
}

bool isBusy(const QSqlError &error) {
    const int code = codeOf(error);
    return code == SqliteBusy || code == SqliteLocked;
}

bool isDamage(const QSqlError &error) {
    const int code = codeOf(error);
    return code == SqliteCorrupt || code == SqliteNotADatabase;
}

// In French; SQLite's own words follow where ours say little.
QString reasonOf(const QSqlError &error) {
    const QString english =
        error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    switch (codeOf(error)) {
    case SqliteBusy:
    case SqliteLocked:
        return QStringLiteral("il est occupé par un autre programme");
    case SqliteFull:
        return QStringLiteral("le disque est plein");
    case SqliteReadOnly:
        return QStringLiteral("il est en lecture seule");
    case SqliteCorrupt:
    case SqliteNotADatabase:
        return QStringLiteral("il est endommagé, SQLite : %1").arg(english);
    case SqliteCantOpen:
        return QStringLiteral("il ne peut pas être ouvert, SQLite : %1").arg(english);
    case SqliteIoError:
        return QStringLiteral("erreur de lecture ou d'écriture, SQLite : %1").arg(english);
    default:
        return QStringLiteral("SQLite : %1").arg(english);
    }
}

void addNumber(QCryptographicHash &hash, qint64 number) {
    const qint64 value = qToLittleEndian(number);
    hash.addData(QByteArrayView(reinterpret_cast<const char *>(&value), sizeof value));
}

QByteArray rowChecksum(const QByteArray &path, const QString &tags, const FileIdentity &identity,
                       qint64 listed, const QByteArray &lines) {
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(path);
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(tags.toUtf8());
    for (const qint64 number : {identity.size, identity.modified, identity.changed, identity.device,
                                identity.inode, listed})
        addNumber(hash, number);
    hash.addData(lines);
    return hash.result();
}

// The first path after every path under `folder` in byte order: "/a" gives "/a0" ("0" follows
// "/").
QByteArray pastFolder(const QByteArray &prefix) {
    QByteArray end = prefix;
    end.back() = char(end.back() + 1);
    return end;
}

// A connection of its own for each cache object.
QSqlDatabase addConnection(QString &name) {
    static QAtomicInteger<int> connections;
    name = QStringLiteral("kadrilo-cache-%1").arg(connections.fetchAndAddRelaxed(1));
    return QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
}

void bindIdentity(QSqlQuery &query, const FileIdentity &identity) {
    for (const qint64 number :
         {identity.size, identity.modified, identity.changed, identity.device, identity.inode})
        query.addBindValue(number);
}

FileIdentity identityAt(const QSqlQuery &query, int first) {
    return {query.value(first).toLongLong(), query.value(first + 1).toLongLong(),
            query.value(first + 2).toLongLong(), query.value(first + 3).toLongLong(),
            query.value(first + 4).toLongLong()};
}

// Whether the file of `identity` had changed clearly before the folder was listed at
// `listed`. The change time is what any write sets to the current time; the modification
// time may be set to any date, and is used only where no change time is kept.
bool changedBefore(const FileIdentity &identity, qint64 listed) {
    const qint64 changed = identity.changed != 0 ? identity.changed : identity.modified;
    return changed < listed - racyMargin;
}

#ifdef Q_OS_UNIX
// Takes the rights of the group and of others away from `path` when the person owns it, and
// leaves the owner's own as they are (a file made read-only stays so); never follows a link.
void makePrivate(const QByteArray &path) {
    struct stat info;
    if (::lstat(path.constData(), &info) == 0 && !S_ISLNK(info.st_mode) &&
        info.st_uid == ::geteuid() && (info.st_mode & 077) != 0)
        ::chmod(path.constData(), info.st_mode & 07700);
}
#endif

// Whether a file that cannot be reached was removed or renamed, rather than left on a volume
// that is not mounted now (an external disk): the nearest folder above it that exists is on
// the file's own device.
bool isGoneFromItsVolume(const QByteArray &path, qint64 device) {
#ifdef Q_OS_UNIX
    QByteArray folder = path;
    while (folder.lastIndexOf('/') > 0) {
        folder.truncate(folder.lastIndexOf('/'));
        struct stat info;
        if (::stat(folder.constData(), &info) == 0)
            return qint64(info.st_dev) == device;
    }
    return true;
#else
    Q_UNUSED(path);
    Q_UNUSED(device);
    return true;
#endif
}

} // namespace

std::optional<FileIdentity> fileIdentity(const QByteArray &path) {
#ifdef Q_OS_UNIX
    struct stat info;
    if (::stat(path.constData(), &info) != 0)
        return std::nullopt;
    const auto ns = [](const timespec &time) {
        return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    return FileIdentity{qint64(info.st_size), ns(info.st_mtim), ns(info.st_ctim),
                        qint64(info.st_dev), qint64(info.st_ino)};
#else
    const QFileInfo file(QFile::decodeName(path));
    if (!file.exists())
        return std::nullopt;
    return FileIdentity{file.size(), file.lastModified().toMSecsSinceEpoch() * 1'000'000,
                        file.metadataChangeTime().toMSecsSinceEpoch() * 1'000'000, 0, 0};
#endif
}

TagCache::TagCache(const QString &path)
    : m_path(path) {
    open();
}

TagCache::~TagCache() {
    close();
}

QString TagCache::defaultPath() {
#ifdef Q_OS_UNIX
    // A relative XDG_CACHE_HOME is invalid and ignored: it would put the cache in whatever
    // folder the report runs from, often the photographs' own.
    QString home = QFile::decodeName(qgetenv("XDG_CACHE_HOME"));
    if (!home.startsWith(QLatin1Char('/')))
        home = QDir::homePath() + QStringLiteral("/.cache");
#else
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
#endif
    return home + QStringLiteral("/kadrilo/balises.sqlite");
}

void TagCache::notice(const QString &text) {
    if (!m_notices.contains(text))
        m_notices << text;
}

void TagCache::failed(const QString &what, const QSqlError &error) {
    if (isDamage(error)) {
        replace(reasonOf(error));
        return;
    }
    notice(QStringLiteral("le cache %1 n'a pas pu %2 (%3) : les images concernées sont lues "
                          "par ExifTool, les statistiques n'en dépendent pas.")
               .arg(quotedPath(m_path), what, reasonOf(error)));
}

void TagCache::close() {
    if (m_connection.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_connection.clear();
}

// The folder only its owner can enter, the file only its owner can read: they name the
// person's photographs, bodies, lenses and dates. Looser ones left by an older version are
// tightened.
bool TagCache::preparePlace() {
    const QFileInfo file(m_path);
    const QString folder = file.absolutePath();
    if (!QDir().mkpath(QFileInfo(folder).absolutePath()))
        return false;
#ifdef Q_OS_UNIX
    const QByteArray folderBytes = QFile::encodeName(folder);
    if (::mkdir(folderBytes.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    makePrivate(folderBytes);
    const QByteArray fileBytes = QFile::encodeName(m_path);
    // SQLite gives its journal the mode of the file it belongs to.
    const int fd = ::open(fileBytes.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    makePrivate(fileBytes);
    return true;
#else
    return QDir().mkpath(folder);
#endif
}

bool TagCache::open() {
    if (!preparePlace()) {
        notice(QStringLiteral("le dossier du cache %1 ne peut pas être créé : les images "
                              "sont toutes lues par ExifTool.")
                   .arg(quotedPath(QFileInfo(m_path).absolutePath())));
        return false;
    }
    const QFileInfo file(m_path);
    m_readOnly = file.exists() && !file.isWritable();
    if (m_readOnly)
        notice(QStringLiteral("le cache %1 est en lecture seule : ce qu'ExifTool lit cette "
                              "fois n'y est pas gardé.")
                   .arg(quotedPath(m_path)));
    QSqlError error;
    switch (connectFile(error)) {
    case Schema::Ready:
        return true;
    case Schema::NoDriver:
        notice(
            QStringLiteral("le pilote SQLite de Qt est absent (paquet libqt6sql6-sqlite) : le "
                           "cache n'est pas utilisé, les images sont toutes lues par ExifTool."));
        close();
        return false;
    case Schema::New:
        notice(QStringLiteral("le cache %1 ne peut pas être créé (%2) : il n'est pas utilisé, "
                              "les images sont toutes lues par ExifTool.")
                   .arg(quotedPath(m_path), reasonOf(error)));
        close();
        return false;
    case Schema::OtherVersion:
        return replace(QStringLiteral("il vient d'une autre version de Kadrilo"));
    case Schema::Incomplete:
        return replace(QStringLiteral("il lui manque des tables ou des colonnes"));
    case Schema::Damaged:
    case Schema::Unreadable:
        break;
    }
    if (isBusy(error)) {
        busy();
        return false;
    }
    return replace(reasonOf(error));
}

void TagCache::busy() {
    notice(QStringLiteral("le cache %1 est occupé par un autre programme : il n'est pas "
                          "utilisé cette fois, les images sont toutes lues par ExifTool.")
               .arg(quotedPath(m_path)));
    close();
}

TagCache::Schema TagCache::connectFile(QSqlError &error) {
    {
        QSqlDatabase db = addConnection(m_connection);
        if (!db.isValid())
            return Schema::NoDriver;
        db.setDatabaseName(m_path);
        // Another report may hold the file for a moment; never wait for ever.
        db.setConnectOptions(m_readOnly
                                 ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_READONLY")
                                 : QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            error = db.lastError();
            return Schema::Unreadable;
        }
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    const Schema schema = checkFile(query, error);
    if (schema != Schema::New || m_readOnly)
        return schema == Schema::New ? Schema::OtherVersion : schema;
    if (createTables(query, error))
        return Schema::Ready;
    if (isBusy(error))
        return Schema::Unreadable;
    // Without an error, another report made the tables meanwhile.
    return error.isValid() ? Schema::New : checkFile(query, error);
}

// What the open file holds: reading the table list reads its first page, so a file that is
// no database, or one cut short, fails here.
TagCache::Schema TagCache::checkFile(QSqlQuery &query, QSqlError &error) {
    const auto fail = [&query, &error] {
        error = query.lastError();
        return isDamage(error) ? Schema::Damaged : Schema::Unreadable;
    };
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return fail();
    const int version = query.value(0).toInt();
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next())
        return fail();
    const int tables = query.value(0).toInt();
    if (tables == 0 && version == 0)
        return Schema::New;
    if (version != schemaVersion)
        return Schema::OtherVersion;
    for (const TableColumns &table : expectedTables()) {
        if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(QLatin1String(table.table))))
            return fail();
        QStringList columns;
        while (query.next())
            columns << query.value(1).toString();
        if (columns != table.columns)
            return Schema::Incomplete;
    }
    return Schema::Ready;
}

// The tables and their version mark in one transaction: a report killed meanwhile leaves an
// empty file, never a marked one with tables missing.
bool TagCache::createTables(QSqlQuery &query, QSqlError &error) {
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        error = query.lastError();
        return false;
    }
    const bool empty = query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) &&
                       query.next() && query.value(0).toInt() == 0;
    const bool made = empty && query.exec(QLatin1String(imagesTable)) &&
                      query.exec(QLatin1String(toolsTable)) &&
                      query.exec(QLatin1String(rotationTable)) &&
                      query.exec(QStringLiteral("PRAGMA user_version = %1").arg(schemaVersion)) &&
                      query.exec(QStringLiteral("COMMIT"));
    if (!made) {
        error = query.lastError();
        QSqlQuery(QSqlDatabase::database(m_connection, false)).exec(QStringLiteral("ROLLBACK"));
    }
    return made;
}

QString TagCache::damagedRowsNotice() const {
    return QStringLiteral("le cache %1 avait des lignes abîmées : leurs images ont été relues "
                          "par ExifTool.")
        .arg(quotedPath(m_path));
}

bool TagCache::replace(const QString &why) {
    close();
    // Damaged rows are often the first sign of a damaged file: one notice tells both.
    m_notices.removeAll(damagedRowsNotice());
    bool removed = !m_readOnly;
    for (const QString &suffix :
         {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        QFile file(m_path + suffix);
        if (removed && file.exists() && !file.remove())
            removed = false;
    }
    const QString path = quotedPath(m_path);
    if (!removed) {
        notice(QStringLiteral("le cache %1 ne peut pas être lu (%2) ni remplacé : il n'est "
                              "pas utilisé, les images sont toutes lues par ExifTool.")
                   .arg(path, why));
        return false;
    }
    QSqlError error;
    if (preparePlace() && connectFile(error) == Schema::Ready) {
        notice(QStringLiteral("le cache %1 ne pouvait pas être lu (%2) : il a été remplacé.")
                   .arg(path, why));
        return true;
    }
    notice(QStringLiteral("le cache %1 ne pouvait pas être lu (%2) et un nouveau ne peut pas "
                          "être créé (%3) : il n'est pas utilisé, les images sont toutes lues "
                          "par ExifTool.")
               .arg(path, why, reasonOf(error)));
    close();
    return false;
}

std::optional<QString> TagCache::exiftoolVersion(const QByteArray &tool,
                                                 const FileIdentity &identity) {
    if (!isUsable())
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT version FROM tools WHERE path = ? AND size = ? AND "
                                 "modified = ? AND changed = ? AND device = ? AND inode = ?"));
    query.addBindValue(tool);
    bindIdentity(query, identity);
    if (query.exec() && query.next())
        return query.value(0).toString();
    return std::nullopt;
}

void TagCache::rememberExiftoolVersion(const QByteArray &tool, const FileIdentity &identity,
                                       const QString &version) {
    if (!isUsable() || m_readOnly)
        return;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO tools VALUES (?, ?, ?, ?, ?, ?, ?)"));
    query.addBindValue(tool);
    bindIdentity(query, identity);
    query.addBindValue(version);
    if (!query.exec())
        failed(QStringLiteral("être mis à jour"), query.lastError());
}

CachedFolder TagCache::load(const QByteArray &folder, bool recursive, const QString &tags,
                            const QHash<QByteArray, FileIdentity> &present) {
    CachedFolder found;
    if (!isUsable())
        return found;
    QByteArray prefix = folder;
    while (prefix.size() > 1 && prefix.endsWith('/'))
        prefix.chop(1);
    if (!prefix.endsWith('/'))
        prefix += '/';

    QSqlError error;
    {
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("SELECT path, tags, size, modified, changed, device, inode, "
                                     "listed, lines, checksum FROM images WHERE path >= ? AND "
                                     "path < ?"));
        query.addBindValue(prefix);
        query.addBindValue(pastFolder(prefix));
        if (query.exec())
            readRows(query, prefix, recursive, tags, present, found);
        // A file cut short or damaged part-way can fail in the middle of the rows.
        error = query.lastError();
    }
    if (!error.isValid())
        return found;
    // Held by another program: the file is sound, only out of reach for now.
    if (isBusy(error))
        busy();
    else
        replace(reasonOf(error));
    return {};
}

void TagCache::readRows(QSqlQuery &query, const QByteArray &prefix, bool recursive,
                        const QString &tags, const QHash<QByteArray, FileIdentity> &present,
                        CachedFolder &found) {
    int damaged = 0;
    while (query.next()) {
        const QByteArray path = query.value(0).toByteArray();
        // Without sub-folders, the rows of images in sub-folders are not this run's.
        if (!recursive && path.indexOf('/', prefix.size()) >= 0)
            continue;
        const auto listed = present.constFind(path);
        if (listed == present.constEnd()) {
            found.gone << path;
            continue;
        }
        if (query.value(1).toString() != tags)
            continue;
        CachedImage image;
        image.identity = identityAt(query, 2);
        const qint64 listedAt = query.value(7).toLongLong();
        image.tagLines = query.value(8).toByteArray();
        if (query.value(9).toByteArray() !=
            rowChecksum(path, tags, image.identity, listedAt, image.tagLines)) {
            ++damaged;
            continue;
        }
        // A row written in the same moments as the file last changed may hold what the file
        // was before: the image is read again, and its row written anew.
        if (image.identity == listed.value() && changedBefore(image.identity, listedAt))
            found.images.insert(path, image);
    }
    if (damaged > 0)
        notice(damagedRowsNotice());
}

bool TagCache::storeRows(QSqlQuery &insert, const QHash<QByteArray, CachedImage> &images,
                         const QVector<QByteArray> &gone, const QString &tags, qint64 listedAt) {
    insert.prepare(
        QStringLiteral("INSERT OR REPLACE INTO images VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (auto it = images.constBegin(); it != images.constEnd(); ++it) {
        const CachedImage &image = it.value();
        insert.addBindValue(it.key());
        insert.addBindValue(tags);
        bindIdentity(insert, image.identity);
        insert.addBindValue(listedAt);
        insert.addBindValue(image.tagLines.isNull() ? QByteArray("") : image.tagLines);
        insert.addBindValue(rowChecksum(it.key(), tags, image.identity, listedAt, image.tagLines));
        if (!insert.exec())
            return false;
    }
    insert.prepare(QStringLiteral("DELETE FROM images WHERE path = ?"));
    for (const QByteArray &path : gone) {
        insert.addBindValue(path);
        if (!insert.exec())
            return false;
    }
    return true;
}

// Rows of images that exist no more anywhere (a library renamed or removed) would stay for
// ever: each run that writes checks the next `checked` rows in path order, going on from
// where the last one stopped, and removes those whose file is gone or changed, or that were
// read under another key (another ExifTool, another configuration).
bool TagCache::pruneRows(QSqlQuery &query, const QString &keyStart, int checked) {
    QByteArray from;
    if (!query.exec(QStringLiteral("SELECT next FROM rotation")))
        return false;
    if (query.next())
        from = query.value(0).toByteArray();
    struct Row {
        QByteArray path;
        QString tags;
    };
    QVector<Row> stale;
    QByteArray last;
    int seen = 0;
    for (const bool wrapped : {false, true}) {
        // An empty start is bound as NULL: coalesce makes it the start of the file.
        query.prepare(QStringLiteral("SELECT path, tags, size, modified, changed, device, inode "
                                     "FROM images WHERE path %1 coalesce(?, x'') ORDER BY path "
                                     "LIMIT ?")
                          .arg(wrapped ? QLatin1String("<") : QLatin1String(">=")));
        query.addBindValue(from);
        query.addBindValue(checked - seen);
        if (!query.exec())
            return false;
        while (query.next()) {
            ++seen;
            last = query.value(0).toByteArray();
            const QString tags = query.value(1).toString();
            const FileIdentity kept = identityAt(query, 2);
            const std::optional<FileIdentity> now = fileIdentity(last);
            if (!tags.startsWith(keyStart) || (now && *now != kept) ||
                (!now && isGoneFromItsVolume(last, kept.device)))
                stale.append({last, tags});
        }
        if (query.lastError().isValid())
            return false;
        if (seen >= checked)
            break;
        last.clear(); // the whole file was seen: the next run starts from its beginning
    }
    query.prepare(QStringLiteral("DELETE FROM images WHERE path = ? AND tags = ?"));
    for (const Row &row : std::as_const(stale)) {
        query.addBindValue(row.path);
        query.addBindValue(row.tags);
        if (!query.exec())
            return false;
    }
    if (!query.exec(QStringLiteral("DELETE FROM rotation")))
        return false;
    query.prepare(QStringLiteral("INSERT INTO rotation VALUES (?)"));
    query.addBindValue(last.isEmpty() ? QByteArray("") : last + '\0');
    return query.exec();
}

bool TagCache::isSound(QSqlError &error) {
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (query.exec(QStringLiteral("PRAGMA quick_check(1)")) && query.next())
        return query.value(0).toString() == QLatin1String("ok");
    error = query.lastError();
    return false;
}

void TagCache::store(const QHash<QByteArray, CachedImage> &images, const QVector<QByteArray> &gone,
                     const QString &tags, qint64 listedAt, const QString &keyStart, int checked) {
    // A run that writes nothing leaves the file as it is, and costs nothing more.
    if (!isUsable() || m_readOnly || (images.isEmpty() && gone.isEmpty()))
        return;
    // A file damaged where no read went grows rows it cannot find again: it is checked before
    // each write, and replaced when damaged.
    QSqlError error;
    if (!isSound(error)) {
        if (error.isValid() && !isDamage(error)) {
            failed(QStringLiteral("être mis à jour"), error);
            return;
        }
        if (!replace(error.isValid() ? reasonOf(error) : QStringLiteral("il est endommagé")))
            return;
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        failed(QStringLiteral("être mis à jour"), query.lastError());
        return;
    }
    if (!storeRows(query, images, gone, tags, listedAt) || !pruneRows(query, keyStart, checked) ||
        !query.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = query.lastError();
        QSqlQuery(QSqlDatabase::database(m_connection, false)).exec(QStringLiteral("ROLLBACK"));
        failed(QStringLiteral("être mis à jour"), error);
    }
}

} // namespace kadrilo::report
