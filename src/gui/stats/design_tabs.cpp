#include "stats/design_tabs.h"

#include <QEvent>

namespace kadrilo {

DesignTabs::DesignTabs(QWidget *parent)
    : QTabWidget(parent) {}

QWidget *DesignTabs::addDesignPage(const QString &caption) {
    auto *page = new QWidget(this);
    auto *canvas = new QWidget(page);
    addTab(page, caption);
    m_pages.push_back({page, canvas});
    placeCanvases();
    return canvas;
}

bool DesignTabs::event(QEvent *event) {
    const bool handled = QTabWidget::event(event);
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::LayoutRequest:
    case QEvent::StyleChange:
    case QEvent::FontChange:
        placeCanvases();
        break;
    default:
        break;
    }
    return handled;
}

void DesignTabs::placeCanvases() {
    for (const auto &[page, canvas] : m_pages)
        canvas->setGeometry(QRect(-page->mapTo(this, QPoint()), size()));
}

} // namespace kadrilo
