#pragma once

#include "platform/message_box.h"
#include "platform/platform.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

namespace kadrilo::test {

struct ShownMessage {
    QString text;
    QString title;
    platform::MessageIcon icon = platform::MessageIcon::None;
    QString details;
};

struct StartedProgram {
    QString program;
    QStringList arguments;
};

// A platform that answers message boxes at once and records them, can pretend the program
// lives in another folder, and records detached starts. File-system calls stay real.
// Installed for its lifetime.
class FakePlatform : public platform::Platform, public platform::MessageBoxes {
public:
    FakePlatform();
    ~FakePlatform() override;

    void show(QWidget *parent, const QString &text, const QString &title,
              platform::MessageIcon icon, const QString &details) override;
    QString programFolder() const override;
    QString programName() const override;
    bool startDetached(const QString &program, const QStringList &arguments) override;
    platform::RawImageScan findRawImages(const QString &folder, bool recursive,
                                         const std::atomic<bool> *stop) const override;

    QString fakeProgramFolder; // empty: the real one
    QString fakeProgramName;   // empty: the real one
    bool detachedStartSucceeds = true;
    // How long the count of raw images takes at the least, as on a large tree.
    int rawImageScanMilliseconds = 0;
    // Called while a message box "is shown", before it is answered.
    std::function<void(const ShownMessage &)> onMessage;

    QVector<ShownMessage> messages;
    QVector<StartedProgram> detachedStarts;

private:
    platform::Replacement<platform::Platform> m_installed;
    platform::Replacement<platform::MessageBoxes> m_installedBoxes;
};

} // namespace kadrilo::test
