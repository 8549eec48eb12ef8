#include "run/frm_travail.h"

#include "analysis/analyse.h"
#include "platform/geometry.h"
#include "platform/platform.h"
#include "run/module1.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QShowEvent>

namespace kadrilo {

namespace {

using platform::twips;
using platform::twipsRect;

const QString &captionText() {
    static const QString text = QStringLiteral("Lecture des informations EXIF....");
    return text;
}

const QString &messageText() {
    static const QString text =
        QStringLiteral("L'analyse est en cours .....Cela peut prendre un certain temps suivant "
                       "le nombre de fichiers à analyser.(1000 à 2000 fichiers lu par "
                       "minute....)");
    return text;
}

// The window as drawn was 1605 twips high; the progress row below the message line needs
// one more band.
constexpr int clientWidth = 6090;
constexpr int clientHeight = 1605 + 360;

} // namespace

frm_travail::frm_travail(Module1 &state, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , m_state(state)
    , lbl_travail(new QLabel(this))
    , Image1(new QLabel(this))
    , File1temp(new QListWidget(this))
    , m_progress(new QProgressBar(this))
    , m_progressText(new QLabel(this)) {
    setObjectName(QStringLiteral("frm_travail"));
    setFont(platform::classicFont());
    setWindowTitle(captionText());
    const QIcon icon(QStringLiteral(":/kadrilo/travail.png"));
    setWindowIcon(icon);
    platform::fixAndCentre(*this, clientWidth, clientHeight);

    lbl_travail->setObjectName(QStringLiteral("lbl_travail"));
    lbl_travail->setGeometry(twipsRect(1560, 240, 4215, 855));
    lbl_travail->setWordWrap(true);
    lbl_travail->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twipsRect(360, 600, 480, 480));
    Image1->setPixmap(icon.pixmap(Image1->size()));
    Image1->setAlignment(Qt::AlignCenter);

    // Never shown: it follows the temp folder, as the window always did.
    File1temp->setObjectName(QStringLiteral("File1temp"));
    File1temp->setGeometry(twipsRect(4920, 120, 855, 870));
    File1temp->hide();

    m_progress->setObjectName(QStringLiteral("progression"));
    m_progress->setGeometry(twipsRect(1560, 1260, 2955, 300));
    m_progress->setTextVisible(false);
    m_progressText->setObjectName(QStringLiteral("progression_texte"));
    m_progressText->setGeometry(twipsRect(4620, 1260, 1350, 300));
    m_progressText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    stopProgress();

    connect(&m_run, &ExiftoolRun::tick, this, &frm_travail::updateProgress);
    connect(&m_counter, &ImageCounter::counted, this, &frm_travail::setImageCount);
}

frm_travail::~frm_travail() = default;

frm_travail::Ending frm_travail::showModal(WorkSource &source) {
    m_source = &source;
    m_cancelled = false;
    m_activationDue = true;
    exec();
    m_source = nullptr;
    m_activationDue = false;
    return m_cancelled ? Ending::Cancelled : Ending::Done;
}

void frm_travail::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    // The handler runs once the window is on screen, so its texts show during the run.
    if (m_activationDue && !event->spontaneous())
        QMetaObject::invokeMethod(this, &frm_travail::Form_Activate, Qt::QueuedConnection);
}

void frm_travail::reject() {
    if (m_working) {
        m_cancelled = true;
        m_run.cancel();
        return;
    }
    if (!m_activationDue)
        QDialog::reject();
}

void frm_travail::Form_Activate() {
    if (!m_activationDue || !m_source)
        return;
    m_activationDue = false;
    m_working = true;

    File1temp->clear();
    File1temp->addItems(
        platform::platform().listFiles(m_state.dossier_temp, {QStringLiteral("*")}));

    if (m_state.etape_travail == QLatin1String("lectureraw")) {
        setWindowTitle(captionText());
        lbl_travail->setText(messageText());
        m_extraction = {};
        if (!m_state.extraction_faite) {
            // ExifTool starts at once; the images are counted beside it.
            startProgress();
            m_extraction = extraire_exif(m_state, m_source->currentFolder(), &m_run, &m_counter);
            stopProgress();
            if (m_extraction.outcome == ExiftoolRun::Outcome::Cancelled)
                m_cancelled = true;
        }
        if (!m_cancelled)
            m_state.etape_travail = QStringLiteral("analyseexif");
    }

    if (!m_cancelled && m_state.etape_travail == QLatin1String("analyseexif")) {
        lbl_travail->setText(QString());
        analyse_exif(m_state, m_source->shownFolder(), m_source->statisticsWindow(), &m_extraction);
    }

    m_working = false;
    Q_EMIT workFinished();
    done(m_cancelled ? QDialog::Rejected : QDialog::Accepted);
}

void frm_travail::startProgress() {
    // A busy bar until the count of images is known.
    m_imageCount = -1;
    m_progress->setRange(0, 0);
    m_progress->setValue(0);
    m_progressText->setText(QStringLiteral("0 / …"));
    m_progress->show();
    m_progressText->show();
}

void frm_travail::setImageCount(int imageCount) {
    m_imageCount = imageCount;
    // No image to count (none at all, or none readable): the bar stays busy rather than 0 %.
    m_progress->setRange(0, imageCount);
    updateProgress();
}

void frm_travail::updateProgress() {
    const int written = platform::platform().countTagFiles(m_state.dossier_temp);
    if (m_imageCount < 0) {
        m_progressText->setText(QStringLiteral("%1 / …").arg(written));
        return;
    }
    m_progress->setValue(qMin(written, m_imageCount));
    m_progressText->setText(QStringLiteral("%1 / %2").arg(written).arg(m_imageCount));
}

void frm_travail::stopProgress() {
    m_progress->hide();
    m_progressText->hide();
}

} // namespace kadrilo
