#include "windows/frm_about.h"

#include "platform/geometry.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "run/startup.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>

namespace kadrilo {

namespace {

using platform::twips;
using platform::twipsRect;

const QString &programTitle() {
    static const QString title = QStringLiteral("Kadrilo");
    return title;
}

// The etched separator: a grey line with a white one of two pixels just under it.
class EtchedLine : public QWidget {
public:
    explicit EtchedLine(QWidget *parent)
        : QWidget(parent) {
        setObjectName(QStringLiteral("Line1"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(QRect(0, 0, width(), 1), QColor(128, 128, 128));
        painter.fillRect(QRect(1, 1, width() - 1, 2), Qt::white);
    }
};

// A 32-bit number as "&h" and its eight hexadecimal digits.
QString dwordText(quint32 number) {
    return QStringLiteral("&h") +
           QStringLiteral("%1").arg(number, 8, 16, QLatin1Char('0')).toUpper();
}

QString unavailableText() {
    return QStringLiteral("Les informations système ne sont pas disponibles actuellement");
}

} // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , cmdOK(new QPushButton(QStringLiteral("OK"), this))
    , picIcon(new QLabel(this))
    , cmdSysInfo(new QPushButton(QStringLiteral("&Infos système..."), this))
    , lblDescription(new QLabel(QStringLiteral("Description de l'application"), this))
    , lblDisclaimer(new QLabel(QStringLiteral("Avertissement: ..."), this))
    , lblTitle(new QLabel(QStringLiteral("Titre de l'application"), this))
    , lblVersion(new QLabel(QStringLiteral("Version"), this)) {
    setObjectName(QStringLiteral("frmAbout"));
    setFont(platform::classicFont());
    setWindowIcon(platform::blankIcon()); // no icon in the title bar
    setFixedSize(twips(5730), twips(3555));
    platform::placeOnScreen(*this, QPoint(twips(11880), twips(5850)));

    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(twipsRect(4245, 2625, 1260, 345));
    cmdOK->setDefault(true);

    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(twipsRect(240, 240, 540, 540));
    picIcon->setPixmap(QIcon(QStringLiteral(":/kadrilo/kadrilo.png")).pixmap(32, 32));
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(twipsRect(4260, 3075, 1245, 345));
    cmdSysInfo->setAutoDefault(true);

    const struct {
        QLabel *label;
        const char *name;
        QRect area;
    } labels[] = {
        {lblDescription, "lblDescription", twipsRect(1050, 1125, 3885, 1170)},
        {lblDisclaimer, "lblDisclaimer", twipsRect(255, 2625, 3870, 825)},
        {lblTitle, "lblTitle", twipsRect(1050, 240, 3885, 480)},
        {lblVersion, "lblVersion", twipsRect(1050, 780, 3885, 225)},
    };
    QPalette black = palette();
    black.setColor(QPalette::WindowText, Qt::black);
    for (const auto &entry : labels) {
        entry.label->setObjectName(QLatin1String(entry.name));
        entry.label->setGeometry(entry.area);
        entry.label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        entry.label->setWordWrap(true);
        entry.label->setPalette(black);
    }

    auto *line = new EtchedLine(this);
    line->setGeometry(twipsRect(90, 2445, 5565, 45));

    setTabOrder(cmdOK, cmdSysInfo);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    Form_Load();
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("À propos de ") + programTitle());
    lblVersion->setText(QStringLiteral("Version ") + versionText());
    lblTitle->setText(programTitle());
    lblDescription->setText(QStringLiteral("Le programme le plus inutile qui soit"));
    lblDisclaimer->setText(QStringLiteral(" "));
}

QStringList frmAbout::systemInfoPrograms() {
#ifdef Q_OS_WIN
    return {};
#else
    return {QStringLiteral("gnome-system-monitor"),
            QStringLiteral("plasma-systemmonitor"),
            QStringLiteral("ksysguard"),
            QStringLiteral("xfce4-taskmanager"),
            QStringLiteral("mate-system-monitor"),
            QStringLiteral("lxtask"),
            QStringLiteral("hardinfo")};
#endif
}

void frmAbout::StartSysInfo() {
    auto &system = platform::platform();
    QString toolPath;
    bool named = false;
    if (GetKeyValue(platform::hkeyLocalMachine,
                    QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                    QStringLiteral("PATH"), toolPath)) {
        // The registry names the tool itself: it is started without looking for it first.
        named = true;
    } else if (GetKeyValue(platform::hkeyLocalMachine,
                           QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                           QStringLiteral("MSINFO"), toolPath)) {
        const QString candidate =
            platform::withTrailingSeparator(toolPath) + QStringLiteral("MSINFO32.EXE");
        named = system.isNormalFile(candidate);
        if (named)
            toolPath = candidate;
    }

    if (named) {
        if (!toolPath.isEmpty() && system.startDetached(toolPath, {}))
            return;
    } else {
        for (const QString &program : systemInfoPrograms()) {
            const QString found = QStandardPaths::findExecutable(program);
            if (!found.isEmpty() && system.startDetached(found, {}))
                return;
        }
    }
    platform::showMessage(this, unavailableText(), programTitle(), platform::MessageIcon::None);
}

bool frmAbout::GetKeyValue(platform::RegistryRoot keyRoot, const QString &keyName,
                           const QString &subKeyRef, QString &keyVal) {
    const QVariant value = platform::registry().value(keyRoot, keyName, subKeyRef);
    if (!value.isValid()) {
        keyVal.clear();
        return false;
    }
    switch (value.typeId()) {
    case QMetaType::QString:
        keyVal = value.toString();
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
        keyVal = dwordText(value.toUInt());
        break;
    default:
        break;
    }
    return true;
}

} // namespace kadrilo
