#pragma once

#include <QPushButton>

namespace kadrilo {

// A push button whose caption wraps onto several lines when it is wider than the button,
// as "Sauvegarder dans un fichier" must in its narrow box. text() stays the caption itself.
class WrappingButton : public QPushButton {
public:
    WrappingButton(const QString &text, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *) override;
};

} // namespace kadrilo
