#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTranslator>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace kadrilo::platform {

namespace {

// The length of the valid UTF-8 sequence at `at`, 0 when the byte there starts none.
int utf8SequenceAt(const QByteArray &bytes, qsizetype at) {
    const auto lead = uchar(bytes.at(at));
    const int length = lead < 0x80                    ? 1
                       : lead >= 0xC2 && lead <= 0xDF ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((uchar(bytes.at(at + i)) & 0xC0) != 0x80)
            return 0;
    }
    // No overlong form, no surrogate, nothing beyond U+10FFFF.
    const auto second = length > 1 ? uchar(bytes.at(at + 1)) : 0;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

QDir::Filters normalFiles() {
    // QDir leaves hidden files out unless asked; on Windows that covers system files too.
    return QDir::Files | QDir::NoDotAndDotDot;
}

} // namespace

Platform::~Platform() = default;

QString Platform::programFolder() const {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString Platform::programName() const {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

bool Platform::isNormalFile(const QString &path) const {
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

bool Platform::createFolder(const QString &path) {
    const QFileInfo info(path);
    if (info.exists())
        return false;
    return QDir().mkdir(path);
}

FolderProblem Platform::prepareWritableFolder(const QString &path) {
    const QFileInfo info(path);
    if (info.exists() && !info.isDir())
        return FolderProblem::NotAFolder;
    if (!info.exists() && !QDir().mkpath(path))
        return FolderProblem::NotCreated;
    // The probe's name matches none of the patterns the program lists or deletes ("*.txt").
    QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".kadrilo-XXXXXX")));
    return probe.open() ? FolderProblem::None : FolderProblem::NotWritable;
}

QString Platform::userCacheFolder() const {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return folder.isEmpty() ? folder : QDir::toNativeSeparators(QDir::cleanPath(folder));
}

QStringList Platform::listFiles(const QString &folder, const QStringList &patterns) const {
    QDir dir(folder);
    dir.setNameFilters(patterns);
    dir.setFilter(normalFiles());
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

QStringList Platform::removeFiles(const QString &folder, const QString &pattern) {
    QStringList failed;
    QDir dir(folder);
    // Hidden files match the pattern too: a deletion by pattern takes every such file.
    const auto names =
        dir.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!dir.remove(name))
            failed << name;
    }
    return failed;
}

QString Platform::shortPath(const QString &folder) const {
    QString path = QDir::toNativeSeparators(folder);
#ifdef Q_OS_WIN
    const std::wstring wide = path.toStdWString();
    const DWORD needed = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (needed > 0) {
        std::wstring buffer(needed, L'\0');
        const DWORD written = GetShortPathNameW(wide.c_str(), buffer.data(), needed);
        if (written > 0 && written < needed)
            path = QString::fromWCharArray(buffer.data(), int(written));
    }
#endif
    while (path.size() > 1 && path.endsWith(separator()) && !path.endsWith(QLatin1String(":\\")))
        path.chop(1);
    return path;
}

bool Platform::startDetached(const QString &program, const QStringList &arguments) {
    return QProcess::startDetached(program, arguments);
}

QStringList entriesLeadingTo(const QString &folder, bool recursive, const QString &target) {
    QStringList entries;
#ifdef Q_OS_UNIX
    struct stat wanted;
    if (::stat(QFile::encodeName(target).constData(), &wanted) != 0)
        return entries;
    // System entries too: devices, pipes, and links to them.
    QDirIterator it(folder, rawImagePatterns(false), QDir::Files | QDir::System | QDir::Hidden,
                    recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat info;
        if (::stat(QFile::encodeName(path).constData(), &info) == 0 &&
            info.st_dev == wanted.st_dev && info.st_ino == wanted.st_ino)
            entries << QDir::toNativeSeparators(path);
    }
#else
    Q_UNUSED(folder)
    Q_UNUSED(recursive)
    Q_UNUSED(target)
#endif
    return entries;
}

template <> Platform &Replaceable<Platform>::real() {
    static Platform system;
    return system;
}

QChar separator() {
    return QDir::separator();
}

bool installQtFrench() {
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QStringList rawImagePatterns(bool withCr3) {
    QStringList patterns;
    for (int i = 0; i < rawExtensionCount(withCr3); ++i)
        patterns << QStringLiteral("*.") + QLatin1String(canonRawExtensions[i]);
    return patterns;
}

QString rawTypesText(bool withCr3) {
    QStringList types;
    for (int i = 0; i < rawExtensionCount(withCr3); ++i)
        types << QString::fromLatin1(canonRawExtensions[i]).toUpper();
    return types.join(QStringLiteral(", "));
}

QString readablePath(const QByteArray &path) {
    QString text;
    for (qsizetype at = 0; at < path.size();) {
        if (const int length = utf8SequenceAt(path, at)) {
            text += QString::fromUtf8(path.constData() + at, length);
            at += length;
        } else {
            text += QStringLiteral("\\x") +
                    QString::number(uchar(path.at(at)), 16).toUpper().rightJustified(2, u'0');
            ++at;
        }
    }
    return text;
}

QString withTrailingSeparator(const QString &folder) {
    QString path = folder;
    while (path.endsWith(separator()))
        path.chop(1);
    return path + separator();
}

} // namespace kadrilo::platform
