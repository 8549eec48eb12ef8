#include "support/fake_program.h"

#include <QFile>

namespace kadrilo::test {

bool writeFakeProgram(const QString &path, const QByteArray &body, FakeProgram kind) {
    QFile::remove(path);
    const QByteArray content = kind == FakeProgram::Raw ? body : "#!/bin/sh\n" + body + '\n';
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return false;
    file.close();
    return kind == FakeProgram::NotRunnable ||
           file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

QByteArray slowExiftool(const QString &pidFile, int tagFiles) {
    // The argument after -w is the output pattern: its folder is the temp folder.
    QByteArray body =
        "echo $$ > '" + QFile::encodeName(pidFile) + "'\nprev=\n" +
        "for a in \"$@\"; do [ \"$prev\" = \"-w\" ] && out=\"$a\"; prev=\"$a\"; done\n" +
        "dir=$(dirname \"$out\")\n";
    for (int i = 1; i <= tagFiles; ++i)
        body += "echo 'ISO: 100' > \"$dir/IMG_" + QByteArray::number(1000 + i) + ".txt\"\n";
    return body + "exec sleep 30";
}

} // namespace kadrilo::test
