#include "windows/frm_main.h"

#include "platform/folder_lock.h"
#include "platform/geometry.h"
#include "platform/platform.h"
#include "run/frm_travail.h"
#include "run/module1.h"
#include "run/startup.h"
#include "windows/frm_about.h"
#include "windows/frm_directory.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace kadrilo {

namespace {

using platform::twipsRect;

} // namespace

frm_main::frm_main(Module1 &state, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , m_state(state)
    , btc_image(new QPushButton(QStringLiteral("Afficher les Exifs d'une image"), this))
    , btc_frm_directory(
          new QPushButton(QStringLiteral("Afficher les statistiques d'un groupe d'images"), this))
    , Frame1(new QGroupBox(this))
    , Label1(new QLabel(QStringLiteral("Kadrilo, le programme qu'il vous faut"), Frame1))
    , Label2(new QLabel(QStringLiteral("Bêta xxxx"), Frame1))
    , option_extension(new QButtonGroup(this))
    , btc_propos(new QPushButton(QStringLiteral("A propos de ..."), this))
    , btc_quitter(new QPushButton(QStringLiteral("Quitter"), this)) {
    setObjectName(QStringLiteral("frm_main"));
    setWindowTitle(QStringLiteral("Kadrilo"));
    setWindowIcon(QIcon(QStringLiteral(":/kadrilo/kadrilo.png")));
    setFont(platform::classicFont());
    platform::fixAndCentre(*this, 7500, 6195);

    btc_image->setObjectName(QStringLiteral("btc_image"));
    btc_image->setGeometry(twipsRect(120, 5280, 3495, 495));
    btc_image->setEnabled(false);
    btc_frm_directory->setObjectName(QStringLiteral("btc_frm_directory"));
    btc_frm_directory->setGeometry(twipsRect(3840, 5280, 3495, 495));

    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twipsRect(120, 840, 5415, 3495));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twipsRect(240, 240, 4815, 495));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setWordWrap(true);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(twipsRect(960, 3120, 3735, 255));
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    const QString options[] = {QStringLiteral("Canon Raw (CRW,CR2)"),
                               QStringLiteral("Nikon Raw (NEF)"),
                               QStringLiteral("Pentax Raw (ça existe ?)")};
    const int optionTops[] = {1080, 1680, 2280};
    for (int index = 0; index < 3; ++index) {
        auto *option = new QRadioButton(options[index], Frame1);
        option->setObjectName(QStringLiteral("option_extension_%1").arg(index));
        option->setGeometry(twipsRect(1320, optionTops[index], 2895, 375));
        // Only Canon files can be analysed: the other types are shown, never chosen.
        option->setEnabled(index == 0);
        option->setChecked(index == 0);
        option_extension->addButton(option, index);
    }

    btc_propos->setObjectName(QStringLiteral("btc_propos"));
    btc_propos->setGeometry(twipsRect(5880, 960, 1455, 615));
    btc_quitter->setObjectName(QStringLiteral("btc_quitter"));
    btc_quitter->setGeometry(twipsRect(5880, 1920, 1455, 615));

    setTabOrder(btc_image, btc_frm_directory);
    setTabOrder(btc_frm_directory, option_extension->button(0));
    setTabOrder(option_extension->button(0), btc_propos);
    setTabOrder(btc_propos, btc_quitter);

    connect(btc_frm_directory, &QPushButton::clicked, this, &frm_main::btc_frm_directory_Click);
    connect(btc_propos, &QPushButton::clicked, this, &frm_main::btc_propos_Click);
    connect(btc_quitter, &QPushButton::clicked, this, &frm_main::btc_quitter_Click);
}

frm_main::~frm_main() = default;

bool frm_main::load() {
    if (!demarrage(m_state, *this))
        return false;
    Label2->setText(QStringLiteral("Bêta  ") + versionText());
    return true;
}

frm_travail &frm_main::workWindow() {
    if (!m_workWindow)
        m_workWindow = new frm_travail(m_state, this);
    return *m_workWindow;
}

void frm_main::btc_frm_directory_Click() {
    if (option_extension->checkedId() == 0)
        m_state.type_raw = QStringLiteral("Canon");

    m_directory = std::make_unique<frm_directory>(
        m_state, [this]() -> frm_travail & { return workWindow(); }, this);
    m_directory->exec();
    m_directory.reset();
    platform::restoreDefaultPointer();
}

void frm_main::btc_propos_Click() {
    m_about = std::make_unique<frmAbout>(this);
    m_about->exec();
    m_about.reset();
}

void frm_main::btc_quitter_Click() {
    // Nothing to report if a tag file stays: the program ends all the same. The tag files of
    // another Kadrilo's cycle in the same temp folder are left to it.
    if (!m_state.dossier_temp.isEmpty()) {
        platform::FolderLock cycle(m_state.dossier_temp);
        if (cycle.tryLock())
            platform::platform().removeFiles(m_state.dossier_temp,
                                             QString::fromUtf16(platform::tagFileWildcard));
    }
    close();
}

void frm_main::closeEvent(QCloseEvent *event) {
    // The hidden work window must not keep the program alive.
    event->accept();
    QCoreApplication::quit();
}

} // namespace kadrilo
