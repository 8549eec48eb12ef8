#include "windows/frm_main.h"

#include "run/module1.h"
#include "run/startup.h"

namespace kadrilo {

frm_main::frm_main(Module1 &state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    setWindowTitle(QStringLiteral("Kadrilo"));
}

bool frm_main::load()
{
    return demarrage(m_state, *this);
}

} // namespace kadrilo
