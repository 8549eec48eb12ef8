#include "support/fake_platform.h"

#include <QThread>

namespace kadrilo::test {

FakePlatform::FakePlatform()
    : m_installed(*this)
    , m_installedBoxes(*this) {}

FakePlatform::~FakePlatform() = default;

void FakePlatform::show(QWidget *, const QString &text, const QString &title,
                        platform::MessageIcon icon, const QString &details) {
    const ShownMessage message{text, title, icon, details};
    messages << message;
    if (onMessage)
        onMessage(message);
}

QString FakePlatform::programFolder() const {
    return fakeProgramFolder.isEmpty() ? Platform::programFolder() : fakeProgramFolder;
}

QString FakePlatform::programName() const {
    return fakeProgramName.isEmpty() ? Platform::programName() : fakeProgramName;
}

bool FakePlatform::startDetached(const QString &program, const QStringList &arguments) {
    detachedStarts << StartedProgram{program, arguments};
    return detachedStartSucceeds;
}

platform::RawImageScan FakePlatform::findRawImages(const QString &folder, bool recursive,
                                                   const std::atomic<bool> *stop) const {
    QThread::msleep(rawImageScanMilliseconds);
    return Platform::findRawImages(folder, recursive, stop);
}

} // namespace kadrilo::test
