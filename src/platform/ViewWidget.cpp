#include "platform/ViewWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "platform/LayerPainter.h"
#include "platform/Panel.h"
#include "platform/ScreenCoordinates.h"
#include "platform/View.h"

namespace corkwallery::platform {

namespace {

int handlerDepth = 0;

MouseEvent toMouseEvent(const QMouseEvent& event) {
    unsigned flags = 0;
    if (event.modifiers() & Qt::ShiftModifier)
        flags |= ModifierShift | ModifierOption;
    if (event.modifiers() & Qt::AltModifier)
        flags |= ModifierOption;
    if (event.modifiers() & Qt::ControlModifier)
        flags |= ModifierControl;
    return {fromQt(event.globalPosition()), flags};
}

}  // namespace

EventHandlerScope::EventHandlerScope() {
    ++handlerDepth;
}
EventHandlerScope::~EventHandlerScope() {
    --handlerDepth;
}

void disposeWidget(QWidget* widget) {
    if (widget == nullptr)
        return;
    if (handlerDepth > 0) {
        widget->hide();
        widget->deleteLater();
    } else {
        delete widget;
    }
}

ViewWidget::ViewWidget(View* view) : view_(view) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
}

QSize ViewWidget::sizeHint() const {
    if (view_ == nullptr)
        return QWidget::sizeHint();
    const Size size = view_->fittingSize();
    return {static_cast<int>(std::ceil(size.width)), static_cast<int>(std::ceil(size.height))};
}

void ViewWidget::paintEvent(QPaintEvent*) {
    if (view_ == nullptr || view_->layer() == nullptr)
        return;
    QPainter painter(this);
    const double outset = view_->drawingOutset();
    painter.translate(outset, outset);
    paintLayerTree(painter, *view_->layer(), view_->frame().height());
}

void ViewWidget::mousePressEvent(QMouseEvent* event) {
    EventHandlerScope scope;
    if (view_ == nullptr)
        return;
    // The drawing margin around a window is not part of it: a press there is not the view's.
    const double o = view_->drawingOutset();
    const QRectF bounds(o, o, view_->frame().width(), view_->frame().height());
    if (!bounds.contains(event->position())) {
        event->ignore();
        return;
    }
    const MouseEvent mouse = toMouseEvent(*event);
    const bool active = window() != nullptr && window()->isActiveWindow();
    if (!active && !view_->acceptsFirstMouse(mouse))
        return;
    if (event->button() == Qt::LeftButton)
        view_->mouseDown(mouse);
    else if (event->button() == Qt::RightButton)
        view_->rightMouseDown(mouse);
    event->accept();
}

void ViewWidget::mouseMoveEvent(QMouseEvent* event) {
    EventHandlerScope scope;
    if (view_ == nullptr || !(event->buttons() & Qt::LeftButton))
        return;
    view_->mouseDragged(toMouseEvent(*event));
    event->accept();
}

void ViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    EventHandlerScope scope;
    if (view_ == nullptr || event->button() != Qt::LeftButton)
        return;
    view_->mouseUp(toMouseEvent(*event));
    event->accept();
}

}  // namespace corkwallery::platform
