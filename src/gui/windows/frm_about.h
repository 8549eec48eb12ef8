#pragma once

#include "platform/registry.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace kadrilo {

// The About window: the program's title, version and description, and a button that starts
// the system's information tool.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);
    ~frmAbout() override;

    // Starts the system information tool: the one the registry names, or on a system
    // without one, the first of systemInfoPrograms() found; says so when none starts.
    void StartSysInfo();

    // Reads value `subKeyRef` of key `keyName` under `keyRoot` as text into `keyVal`. True
    // when it was read; on failure `keyVal` is emptied. Values of types other than text and
    // 32-bit numbers leave `keyVal` as it was passed in.
    static bool GetKeyValue(platform::RegistryRoot keyRoot, const QString &keyName,
                            const QString &subKeyRef, QString &keyVal);

    // System information programs tried, in order, where the registry names none.
    static QStringList systemInfoPrograms();

private:
    void Form_Load();

    QPushButton *cmdOK;
    QLabel *picIcon;
    QPushButton *cmdSysInfo;
    QLabel *lblDescription;
    QLabel *lblDisclaimer;
    QLabel *lblTitle;
    QLabel *lblVersion;
};

} // namespace kadrilo
