#pragma once

#include <QWidget>

namespace corkwallery::platform {

class View;

// The QWidget behind a View: paints its layer tree and forwards mouse events with the pointer
// in screen coordinates.
class ViewWidget final : public QWidget {
public:
    explicit ViewWidget(View* view);
    // The view is going away; events that still arrive are dropped.
    void detach() { view_ = nullptr; }
    // The view's fitting size, so that Qt layouts place views as the views size themselves.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    View* view_;
};

// Deletes a widget now, or once control is back in the event loop when an event handler is
// running (the handler may belong to this very widget or a child).
void disposeWidget(QWidget* widget);

// Marks the span of one event handler, for disposeWidget.
class EventHandlerScope {
public:
    EventHandlerScope();
    ~EventHandlerScope();
    EventHandlerScope(const EventHandlerScope&) = delete;
    EventHandlerScope& operator=(const EventHandlerScope&) = delete;
};

}  // namespace corkwallery::platform
