#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>
#include <QPointer>
#include <cstdint>

class QWindow;

namespace corkwallery::platform::x11 {

// Keeps our desktop windows just above the desktop's own window (the file manager's wallpaper and
// icons), which shares their layer: whenever the window manager's stacking list changes and puts
// the desktop window above one of ours (openbox raises it when it is clicked), ours is restacked
// above it through the window manager (_NET_RESTACK_WINDOW; a plain raise would have marco ask
// for attention). Once the window manager lists one of ours among its clients, gives it an opacity
// just below one: KWin paints a desktop-type window opaque, its transparent pixels black, unless
// its opacity is below one, and reads the opacity only when it changes after it took the window
// on. Also names the desktop window, for WM_TRANSIENT_FOR. Only where Qt runs on xcb.
class DesktopStacking final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // The process's one watch, made at first use once the QApplication exists.
    static DesktopStacking& instance();

    // Follows `window` (a shown top-level of ours) until it goes.
    void keepAboveDesktop(QWindow* window);
    // The desktop's own window: the first window the window manager lists with the desktop type
    // that is none of ours; 0 when there is none.
    std::uint32_t desktopWindow();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    explicit DesktopStacking(QObject* parent);
    ~DesktopStacking() override;
    void restack();
    void markNewlyManaged();
    std::uint32_t findDesktopWindow() const;

    QList<QPointer<QWindow>> windows_;
    QList<std::uint32_t> managed_;  // ours that the window manager lists, as last seen
    std::uint32_t root_ = 0;
    std::uint32_t stackingAtom_ = 0;
    std::uint32_t clientsAtom_ = 0;
    std::uint32_t desktop_ = 0;
    bool desktopKnown_ = false;
};

}  // namespace corkwallery::platform::x11
