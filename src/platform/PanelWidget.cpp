#include "platform/PanelWidget.h"

#include <QCloseEvent>
#include <QMoveEvent>
#include <QPainter>

#include "platform/Panel.h"
#include "platform/QtGraphicsContext.h"
#include "platform/ScreenCoordinates.h"

namespace corkwallery::platform {

PanelWidget::PanelWidget(Panel* panel) : panel_(panel) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}

void PanelWidget::paintEvent(QPaintEvent*) {
    if (panel_ == nullptr)
        return;
    const Color background = panel_->backgroundColor();
    if (background.alpha <= 0 && !panel_->isOpaque())
        return;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), toQColor(background));
}

void PanelWidget::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (panel_ == nullptr || event->pos() == placed_)
        return;
    placed_ = event->pos();
    panel_->nativeWindowMoved(fromQt(QRectF(geometry())).origin);
}

// Only the panel closes its window; a close asked for by the window manager is refused, since the
// window's owner would not know it had gone.
void PanelWidget::closeEvent(QCloseEvent* event) {
    if (closeAllowed_) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace corkwallery::platform
