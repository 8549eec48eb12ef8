#pragma once

#include <QWidget>

namespace kadrilo {

struct Module1;

// The main window. Placeholder until the real window lands.
class frm_main : public QWidget {
    Q_OBJECT

public:
    explicit frm_main(Module1 &state, QWidget *parent = nullptr);

    // The load step: start-up checks, then the version label. False when the program must
    // end before any window shows.
    bool load();

private:
    Module1 &m_state;
};

} // namespace kadrilo
