#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>
#include <string>

namespace corkwallery::platform::x11 {

// Follows the owner of one selection of the default screen, such as "_NET_WM_CM_S" (a
// compositing manager) or "_NET_SYSTEM_TRAY_S" (a tray host), with the screen number appended.
// The X server reports every change through XFixes selection events on Qt's own connection, so
// nothing is polled. Off X11 nothing is owned and nothing is reported. Lives on the main thread.
class SelectionWatch : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Without the XFixes extension the owner is read once and never reported again.
    explicit SelectionWatch(const std::string& selectionPrefix, QObject* parent = nullptr);
    ~SelectionWatch() override;

    bool isOwned() const { return owner_ != 0; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    // A new owner took the selection (`owned`), perhaps replacing another, or the owner gave it up
    // or went away.
    void ownerChanged(bool owned);

private:
    std::uint32_t selection_ = 0;  // atom
    std::uint32_t root_ = 0;
    std::uint32_t owner_ = 0;
    std::uint8_t notifyEventType_ = 0;  // 0 without XFixes
};

}  // namespace corkwallery::platform::x11
