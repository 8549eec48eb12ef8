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

namespace kadrilo::report {

namespace {

using wording::quotedPath;

// Bumped whenever the tables change: a file of another version is replaced.
constexpr int schemaVersion = 1;

QByteArray rowChecksum(const QByteArray &path, const QString &tags, const FileIdentity &identity,
                       const QByteArray &lines) {
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(path);
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(tags.toUtf8());
    for (const qint64 number : {identity.size, identity.modified, identity.changed}) {
        const qint64 value = qToLittleEndian(number);
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(&value), sizeof value));
    }
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

bool isBusy(const QString &error) {
    return error.contains(QLatin1String("locked"), Qt::CaseInsensitive) ||
           error.contains(QLatin1String("busy"), Qt::CaseInsensitive);
}

QString reasonOf(const QString &error) {
    if (isBusy(error))
        return QStringLiteral("il est occupé par un autre programme");
    if (error.contains(QLatin1String("full"), Qt::CaseInsensitive))
        return QStringLiteral("le disque est plein");
    if (error.contains(QLatin1String("readonly"), Qt::CaseInsensitive) ||
        error.contains(QLatin1String("read-only"), Qt::CaseInsensitive))
        return QStringLiteral("il est en lecture seule");
    return error;
}

// A connection of its own for each cache object.
QSqlDatabase addConnection(QString &name) {
    static QAtomicInteger<int> connections;
    name = QStringLiteral("kadrilo-cache-%1").arg(connections.fetchAndAddRelaxed(1));
    return QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
}

} // namespace

TagCache::TagCache(const QString &path)
    : m_path(path) {
    open();
}

TagCache::~TagCache() {
    close();
}

QString TagCache::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/kadrilo/balises.sqlite");
}

void TagCache::notice(const QString &text) {
    if (!m_notices.contains(text))
        m_notices << text;
}

void TagCache::failed(const QString &what, const QString &error) {
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

bool TagCache::open() {
    const QFileInfo file(m_path);
    if (!QDir().mkpath(file.absolutePath())) {
        notice(QStringLiteral("le dossier du cache %1 ne peut pas être créé : les images "
                              "sont toutes lues par ExifTool.")
                   .arg(quotedPath(file.absolutePath())));
        return false;
    }
    m_readOnly = file.exists() && !file.isWritable();
    if (m_readOnly)
        notice(QStringLiteral("le cache %1 est en lecture seule : ce qu'ExifTool lit cette "
                              "fois n'y est pas gardé.")
                   .arg(quotedPath(m_path)));
    QString error;
    switch (connectFile(error)) {
    case Schema::Ready:
        return true;
    case Schema::NoDriver:
        notice(
            QStringLiteral("le pilote SQLite de Qt est absent (paquet libqt6sql6-sqlite) : le "
                           "cache n'est pas utilisé, les images sont toutes lues par ExifTool."));
        close();
        return false;
    case Schema::OtherVersion:
        return replace(QStringLiteral("il vient d'une autre version de Kadrilo"));
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

TagCache::Schema TagCache::connectFile(QString &error) {
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
            error = db.lastError().text();
            return Schema::Unreadable;
        }
    }
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    const auto fail = [&query, &error] {
        error = query.lastError().text();
        return Schema::Unreadable;
    };
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return fail();
    const int version = query.value(0).toInt();
    // Reading the table list reads the file's first page: a file that is no database, or
    // one cut short, fails here.
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next())
        return fail();
    const int tables = query.value(0).toInt();
    if (version == schemaVersion)
        return Schema::Ready;
    if (tables > 0 || m_readOnly)
        return Schema::OtherVersion;
    const bool made =
        query.exec(QStringLiteral(
            "CREATE TABLE images (path BLOB NOT NULL, tags TEXT NOT NULL, size INTEGER NOT NULL, "
            "modified INTEGER NOT NULL, changed INTEGER NOT NULL, lines BLOB NOT NULL, "
            "checksum BLOB NOT NULL, PRIMARY KEY (path, tags)) WITHOUT ROWID")) &&
        query.exec(QStringLiteral(
            "CREATE TABLE tools (path BLOB PRIMARY KEY, size INTEGER NOT NULL, modified INTEGER "
            "NOT NULL, changed INTEGER NOT NULL, version TEXT NOT NULL)")) &&
        query.exec(QStringLiteral("PRAGMA user_version = %1").arg(schemaVersion));
    return made ? Schema::Ready : fail();
}

bool TagCache::replace(const QString &why) {
    close();
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
    notice(QStringLiteral("le cache %1 ne pouvait pas être lu (%2) : il a été remplacé.")
               .arg(path, why));
    QString error;
    if (connectFile(error) == Schema::Ready)
        return true;
    notice(QStringLiteral("le nouveau cache %1 ne peut pas être créé (%2) : il n'est pas "
                          "utilisé.")
               .arg(path, reasonOf(error)));
    close();
    return false;
}

std::optional<QString> TagCache::exiftoolVersion(const QByteArray &tool,
                                                 const FileIdentity &identity) {
    if (!isUsable())
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT version FROM tools WHERE path = ? AND size = ? AND "
                                 "modified = ? AND changed = ?"));
    query.addBindValue(tool);
    query.addBindValue(identity.size);
    query.addBindValue(identity.modified);
    query.addBindValue(identity.changed);
    if (query.exec() && query.next())
        return query.value(0).toString();
    return std::nullopt;
}

void TagCache::rememberExiftoolVersion(const QByteArray &tool, const FileIdentity &identity,
                                       const QString &version) {
    if (!isUsable() || m_readOnly)
        return;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO tools VALUES (?, ?, ?, ?, ?)"));
    query.addBindValue(tool);
    query.addBindValue(identity.size);
    query.addBindValue(identity.modified);
    query.addBindValue(identity.changed);
    query.addBindValue(version);
    if (!query.exec())
        failed(QStringLiteral("être mis à jour"), query.lastError().text());
}

QHash<QByteArray, CachedImage> TagCache::load(const QByteArray &folder, bool recursive,
                                              const QString &tags,
                                              const QHash<QByteArray, FileIdentity> &present) {
    QHash<QByteArray, CachedImage> images;
    m_gone.clear();
    if (!isUsable())
        return images;
    QByteArray prefix = folder;
    while (prefix.size() > 1 && prefix.endsWith('/'))
        prefix.chop(1);
    if (!prefix.endsWith('/'))
        prefix += '/';

    QString error;
    {
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("SELECT path, tags, size, modified, changed, lines, "
                                     "checksum FROM images WHERE path >= ? AND path < ?"));
        query.addBindValue(prefix);
        query.addBindValue(pastFolder(prefix));
        if (query.exec())
            readRows(query, prefix, recursive, tags, present, images);
        // A file cut short or damaged part-way can fail in the middle of the rows.
        if (query.lastError().isValid())
            error = query.lastError().text();
    }
    if (error.isEmpty())
        return images;
    m_gone.clear();
    // Held by another program: the file is sound, only out of reach for now.
    if (isBusy(error))
        busy();
    else
        replace(reasonOf(error));
    return {};
}

void TagCache::readRows(QSqlQuery &query, const QByteArray &prefix, bool recursive,
                        const QString &tags, const QHash<QByteArray, FileIdentity> &present,
                        QHash<QByteArray, CachedImage> &images) {
    int damaged = 0;
    while (query.next()) {
        const QByteArray path = query.value(0).toByteArray();
        // Without sub-folders, the rows of images in sub-folders are not this run's.
        if (!recursive && path.indexOf('/', prefix.size()) >= 0)
            continue;
        const auto listed = present.constFind(path);
        if (listed == present.constEnd()) {
            m_gone << path;
            continue;
        }
        if (query.value(1).toString() != tags)
            continue;
        CachedImage image;
        image.identity = {query.value(2).toLongLong(), query.value(3).toLongLong(),
                          query.value(4).toLongLong()};
        image.tagLines = query.value(5).toByteArray();
        if (query.value(6).toByteArray() !=
            rowChecksum(path, tags, image.identity, image.tagLines)) {
            ++damaged;
            continue;
        }
        if (image.identity == listed.value())
            images.insert(path, image);
    }
    if (damaged > 0)
        notice(QStringLiteral("le cache %1 avait des lignes abîmées : leurs images ont été "
                              "relues par ExifTool.")
                   .arg(quotedPath(m_path)));
}

void TagCache::store(const QHash<QByteArray, CachedImage> &images, const QString &tags) {
    if (!isUsable() || m_readOnly || (images.isEmpty() && m_gone.isEmpty()))
        return;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const QString what = QStringLiteral("être mis à jour");
    if (!db.transaction()) {
        failed(what, db.lastError().text());
        return;
    }
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT OR REPLACE INTO images VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (auto it = images.constBegin(); it != images.constEnd(); ++it) {
        const CachedImage &image = it.value();
        insert.addBindValue(it.key());
        insert.addBindValue(tags);
        insert.addBindValue(image.identity.size);
        insert.addBindValue(image.identity.modified);
        insert.addBindValue(image.identity.changed);
        insert.addBindValue(image.tagLines.isNull() ? QByteArray("") : image.tagLines);
        insert.addBindValue(rowChecksum(it.key(), tags, image.identity, image.tagLines));
        if (!insert.exec()) {
            const QString error = insert.lastError().text();
            db.rollback();
            failed(what, error);
            return;
        }
    }
    QSqlQuery remove(db);
    remove.prepare(QStringLiteral("DELETE FROM images WHERE path = ?"));
    for (const QByteArray &path : std::as_const(m_gone)) {
        remove.addBindValue(path);
        if (!remove.exec()) {
            const QString error = remove.lastError().text();
            db.rollback();
            failed(what, error);
            return;
        }
    }
    if (!db.commit()) {
        const QString error = db.lastError().text();
        db.rollback();
        failed(what, error);
    }
}

} // namespace kadrilo::report
