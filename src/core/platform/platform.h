#pragma once

#include "platform/replaceable.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>

namespace kadrilo::platform {

struct ServerAddress;

// The tag files ExifTool writes into the temp folder, one per image.
inline constexpr char16_t tagFileWildcard[] = u"*.txt";

// The extensions of Canon's raw images, in lower case, without the dot. The window reads the
// first two, CR2 and CRW; the report reads CR3 too, the raw format of Canon's bodies since
// 2018.
inline constexpr const char *canonRawExtensions[] = {"cr2", "crw", "cr3"};
// How many of canonRawExtensions are read.
constexpr int rawExtensionCount(bool withCr3) {
    return withCr3 ? 3 : 2;
}
// The name patterns of the raw images read: "*.cr2", "*.crw" (and "*.cr3").
QStringList rawImagePatterns(bool withCr3);
// The raw types read, as messages name them: "CR2, CRW" (and ", CR3").
QString rawTypesText(bool withCr3);

// Why a folder cannot take the files the program writes.
enum class FolderProblem { None, NotCreated, NotAFolder, NotWritable };

// The Canon raw images that ExifTool will read in a folder.
struct RawImageScan {
    int images = 0;
    // Folders that could not be opened: what they hold is unknown.
    QStringList unreadableFolders;
    bool stopped = false; // the scan was asked to stop before its end
};

// One image of a listing, with what tells whether its content may have changed.
struct ListedImage {
    // In the system's encoding: exactly the bytes to hand ExifTool, also for a name that is
    // not valid in the system's character set.
    QByteArray path;
    qint64 size = 0;
    qint64 modified = 0; // modification time, nanoseconds since the epoch
    qint64 changed = 0;  // inode change time, nanoseconds since the epoch
    qint64 device = 0;
    qint64 inode = 0;
};

// An entry named like an image that is not a file ExifTool can read to its end: a FIFO, a
// device, a socket, a link that leads nowhere or to such an entry.
struct SkippedImage {
    QByteArray path;
    QString reason; // in French
};

// The raw images of a folder, one by one, as the report reads them.
struct ImageListing {
    // In the order ExifTool reads them: a folder's entries as the system lists them, each
    // sub-folder walked where it stands among them.
    QVector<ListedImage> images;
    QVector<SkippedImage> skipped;
    QStringList unreadableFolders;
};

// The tag files that a run left in a temp folder.
struct TagFolder {
    QStringList names; // every *.txt file, hidden ones included, sorted by name
    int emptyFiles = 0;
    // The folder's file system has no space or no file entry left: files written at the end
    // of the run may be cut short or missing.
    bool full = false;
};

// Everything Kadrilo asks of the operating system goes through this class, so that tests can
// fake the program's location and observe files and processes. The default implementation
// talks to the real system. Message boxes, which need widgets, are in message_box.h.
class Platform {
public:
    Platform() = default;
    Platform(const Platform &) = delete;
    Platform &operator=(const Platform &) = delete;
    virtual ~Platform();

    // The folder that holds the program file, in native form, without a final separator
    // unless it is a root ("/" or "C:\").
    virtual QString programFolder() const;
    // The program file's name without its extension.
    virtual QString programName() const;

    // True for an existing normal file: folders, hidden and system files do not count.
    virtual bool isNormalFile(const QString &path) const;
    // Creates one folder level; false when it exists already or cannot be made.
    virtual bool createFolder(const QString &path);
    // Makes `path` a folder the program can write into: creates it and its missing parents,
    // then writes and removes a probe file there, which catches what permission bits do not
    // tell (a read-only mount, Windows access lists).
    virtual FolderProblem prepareWritableFolder(const QString &path);
    // The person's own cache folder for this program (Qt's standard locations), in native
    // form without a final separator; empty when the system names none.
    virtual QString userCacheFolder() const;
    // Names of the normal files directly in `folder` matching one of `patterns`
    // (wildcards, case-insensitive), sorted by name.
    virtual QStringList listFiles(const QString &folder, const QStringList &patterns) const;
    // Deletes the files directly in `folder` that match `pattern`; returns the names that
    // could not be deleted.
    virtual QStringList removeFiles(const QString &folder, const QString &pattern);

    // Every file of `folder` whose name ends in .txt, hidden ones included (an image
    // ".x.CR2" gets the tag file ".x.txt"), sorted by name.
    virtual QStringList listTagFiles(const QString &folder) const;
    // The number of such files, cheaply, while ExifTool writes them.
    virtual int countTagFiles(const QString &folder) const;
    // The tag files after a run. Names that cannot be decoded as the system's file names
    // (an image named in another code page, a name cut in the middle of a character) are
    // renamed first, so that every tag file can be opened by name.
    virtual TagFolder inspectTagFolder(const QString &folder);

    // Finds the images ExifTool processes in `folder` with the Canon extension filter: files
    // named *.cr2 or *.crw in any letter case, hidden ones included, links to files
    // included; with `recursive`, in its sub-folders too, except hidden ones and linked
    // ones, as ExifTool's -r with -i SYMLINKS does. Paths longer than the system's limit are
    // walked all the same. Runs on any thread; stops early once `stop` turns true.
    virtual RawImageScan findRawImages(const QString &folder, bool recursive,
                                       const std::atomic<bool> *stop = nullptr) const;
    // The same images, one by one, with their size and times, for the report: `folder` in
    // the system's encoding, as given on its command line. With `withCr3`, CR3 images too.
    // Only regular files are listed (links followed); other entries named like an image are
    // set apart, never handed to ExifTool, which would read a FIFO or /dev/zero for ever.
    virtual ImageListing listImages(const QByteArray &folder, bool recursive, bool withCr3) const;

    // The current folder in the system's own bytes (its name need not be valid in the
    // system's encoding), also when its path is longer than the system's path limit. Empty
    // when it cannot be found.
    virtual QByteArray currentFolder() const;

    // The short (8.3) form of a folder's path, without a final separator. Where the file
    // system keeps no short names, the full native path.
    virtual QString shortPath(const QString &folder) const;

    // Starts a program in a window of its own without waiting for it.
    virtual bool startDetached(const QString &program, const QStringList &arguments);

    // Whether a window server accepts connections at `address` (window_system.h).
    virtual bool acceptsConnections(const ServerAddress &address) const;
};

// The entries of `folder` (and of its sub-folders with `recursive`) named like Canon raw images
// that are, or lead by links to, the file `target`: which of them made ExifTool read a device.
QStringList entriesLeadingTo(const QString &folder, bool recursive, const QString &target);

// The real platform; tests install their own with a Replacement<Platform> guard.
template <> Platform &Replaceable<Platform>::real();

// The platform in use: the real one unless a test installed its own.
inline Platform &platform() {
    return Replaceable<Platform>::current();
}

// The platform's path separator: "/" on Linux, "\" on Windows.
QChar separator();
// Loads Qt's own French texts (the buttons of a message box, the menu of a scroll bar...)
// into the application; false when they are not installed (Debian's qt6-translations-l10n).
bool installQtFrench();

// What stands at a folder path given in the system's encoding.
enum class FolderAccess { Readable, Missing, NotAFolder, Unreadable };
FolderAccess folderAccess(const QByteArray &path);

// A path in the system's encoding as a person can read it: valid UTF-8 decoded, every other
// byte written as "\xHH" (a Latin-1 "é" of an old disk shows as "\xE9").
QString readablePath(const QByteArray &path);
// `folder` followed by exactly one separator.
QString withTrailingSeparator(const QString &folder);

} // namespace kadrilo::platform
