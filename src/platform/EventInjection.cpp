#include "platform/EventInjection.h"

#include <QApplication>
#include <QMouseEvent>

#include "platform/ScreenCoordinates.h"
#include "platform/ViewWidget.h"

namespace corkwallery::platform {

void sendMouseEvent(View& view, MouseAction action, Point screenLocation, unsigned modifiers) {
    QWidget* widget = view.widget();
    const QPointF global = toQt(screenLocation);
    const QPointF local = global - QPointF(widget->mapToGlobal(QPoint(0, 0)));

    Qt::KeyboardModifiers qtModifiers;
    if (modifiers & ModifierShift)
        qtModifiers |= Qt::ShiftModifier;
    if (modifiers & ModifierControl)
        qtModifiers |= Qt::ControlModifier;
    if (modifiers & ModifierOption)
        qtModifiers |= Qt::AltModifier;

    QEvent::Type type = QEvent::MouseButtonPress;
    Qt::MouseButton button = Qt::LeftButton;
    Qt::MouseButtons buttons = Qt::LeftButton;
    switch (action) {
        case MouseAction::LeftDown:
            break;
        case MouseAction::LeftDragged:
            type = QEvent::MouseMove;
            button = Qt::NoButton;
            break;
        case MouseAction::LeftUp:
            type = QEvent::MouseButtonRelease;
            buttons = Qt::NoButton;
            break;
        case MouseAction::RightDown:
            button = Qt::RightButton;
            buttons = Qt::RightButton;
            break;
    }
    QMouseEvent event(type, local, local, global, button, buttons, qtModifiers);
    QApplication::sendEvent(widget, &event);
}

}  // namespace corkwallery::platform
