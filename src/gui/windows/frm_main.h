#pragma once

#include <QWidget>

#include <memory>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kadrilo {

struct Module1;
class frm_directory;
class frm_travail;
class frmAbout;

// The main window: the raw type, the button that starts a work cycle, About and Quitter.
// It owns the program's one work window, created on first use and kept hidden between
// cycles; the folder and About windows are created afresh for each showing.
class frm_main : public QWidget {
    Q_OBJECT

public:
    explicit frm_main(Module1 &state, QWidget *parent = nullptr);
    ~frm_main() override;

    // The load step: start-up checks, then the version label. False when the program must
    // end before any window shows.
    bool load();

    // The work window, created hidden on first use.
    frm_travail &workWindow();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void btc_frm_directory_Click();
    void btc_propos_Click();
    void btc_quitter_Click();

    Module1 &m_state;
    frm_travail *m_workWindow = nullptr;
    std::unique_ptr<frm_directory> m_directory;
    std::unique_ptr<frmAbout> m_about;

    QPushButton *btc_image;
    QPushButton *btc_frm_directory;
    QGroupBox *Frame1;
    QLabel *Label1;
    QLabel *Label2;
    QButtonGroup *option_extension;
    QPushButton *btc_propos;
    QPushButton *btc_quitter;
};

} // namespace kadrilo
