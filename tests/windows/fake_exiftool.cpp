#include "fake_exiftool.h"

#include <QFile>
#include <QFileInfo>

namespace kadrilo::test {

bool writeFakeExiftool(const QString &path, FakeExiftool kind, int tagFiles,
                       const QString &pidFile) {
    QByteArray script = "#!/bin/sh\n";
    if (kind == FakeExiftool::Slow) {
        script += "echo $$ > '" + QFile::encodeName(pidFile) + "'\n";
        // The argument after -w is the output pattern: its folder is the temp folder.
        script += "prev=\nfor a in \"$@\"; do\n"
                  "  if [ \"$prev\" = \"-w\" ]; then out=\"$a\"; fi\n"
                  "  prev=\"$a\"\ndone\n"
                  "dir=$(dirname \"$out\")\n";
        for (int i = 1; i <= tagFiles; ++i)
            script += "touch \"$dir/IMG_" + QByteArray::number(1000 + i) + ".txt\"\n";
        script += "exec sleep 30\n";
    } else {
        script += "exit 0\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(script) != script.size())
        return false;
    file.close();
    return file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

bool processExists(qint64 pid) {
    if (pid <= 0)
        return false;
    // A zombie still has its /proc entry; its state letter tells it apart.
    QFile status(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = status.readAll();
    const int close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) != "Z";
}

qint64 readPid(const QString &pidFile) {
    QFile file(pidFile);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().trimmed().toLongLong();
}

} // namespace kadrilo::test
