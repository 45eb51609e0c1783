#pragma once

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <string>

namespace corkwallery::platform::x11 {

// Follows the owner of one selection of the default screen, such as "_NET_WM_CM_S" (a
// compositing manager) or "_NET_SYSTEM_TRAY_S" (a tray host), with the screen number appended.
// The X server reports every change through XFixes selection events on Qt's own connection, so
// nothing is polled. Lives on the main thread.
class SelectionWatch final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // `connection` is Qt's X11 connection. Without the XFixes extension the owner is read once
    // and never reported again.
    SelectionWatch(xcb_connection_t* connection, const std::string& selectionPrefix,
                   QObject* parent = nullptr);
    ~SelectionWatch() override;

    bool isOwned() const { return owner_ != XCB_WINDOW_NONE; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    // A new owner took the selection (`owned`), perhaps replacing another, or the owner gave it up
    // or went away.
    void ownerChanged(bool owned);

private:
    xcb_atom_t selection_ = XCB_ATOM_NONE;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_window_t owner_ = XCB_WINDOW_NONE;
    std::uint8_t notifyEventType_ = 0;  // 0 without XFixes
};

}  // namespace corkwallery::platform::x11
