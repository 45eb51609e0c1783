#pragma once

#include <QObject>

namespace corkwallery::platform {

namespace x11 {
class SelectionWatch;
}

// Whether windows can show transparent pixels: on X11 only while a compositing manager owns the
// selection _NET_WM_CM_S<screen> and, where KWin runs, KWin says its compositing is active (KWin
// keeps the selection for seconds after it suspends compositing, but says so on the session bus at
// once); on other platforms (offscreen) always. The X server and the bus report every change, so
// windows follow a compositor that starts or stops later; nothing is polled.
class CompositorWatch final : public QObject {
    Q_OBJECT
public:
    // The process's one watch, made at first use (on the main thread, once the QApplication
    // exists) and gone with the application.
    static CompositorWatch& instance();

    bool isCompositing() const { return compositing_; }

signals:
    void compositingChanged(bool compositing);

private slots:
    void kwinCompositingToggled(bool active);

private:
    explicit CompositorWatch(QObject* parent);
    void followKWin();
    void update();

    x11::SelectionWatch* selection_ = nullptr;  // a child; null off X11
    bool kwinSuspended_ = false;
    bool compositing_ = true;
};

}  // namespace corkwallery::platform
