#pragma once

#include <QTabWidget>

#include <utility>
#include <vector>

namespace kadrilo {

// Tab pages whose controls are placed in the tab control's own coordinates, the way the
// layout was drawn: every page carries a canvas that is shifted back by the page's offset
// inside the tab control, so a control at (left, top) stands there whatever the tab bar's
// height in the current style.
class DesignTabs : public QTabWidget {
public:
    explicit DesignTabs(QWidget *parent);

    // Adds a tab and returns the canvas to put its controls on.
    QWidget *addDesignPage(const QString &caption);

protected:
    bool event(QEvent *event) override;

private:
    void placeCanvases();

    std::vector<std::pair<QWidget *, QWidget *>> m_pages;
};

} // namespace kadrilo
