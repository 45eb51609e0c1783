#pragma once

#include <QRegion>
#include <QWidget>
#include <deque>

namespace corkwallery::platform {

class Panel;
class SurfaceWidget;

// The native top-level window of a Panel.
class PanelWidget final : public QWidget {
public:
    explicit PanelWidget(Panel* panel);
    ~PanelWidget() override;
    void detach() { panel_ = nullptr; }
    void allowClose(bool allow) { closeAllowed_ = allow; }

    // Asks for the window's geometry (Qt global coordinates). Window managers report geometry
    // late, after later requests were made, so each request is remembered until reports confirm
    // it: a report matching one is the echo of a request, any other a move by the window manager.
    void place(const QRect& geometry);

    // Creates the native window if needed and, on X11, marks it as part of the desktop. Runs
    // while the window is hidden, before each show.
    void prepareDesktopWindow();

    // A translucent window shows its content through a SurfaceWidget: shadowed by `castsShadow`
    // with a compositor, cut to what is drawn without one.
    void setContent(QWidget* content);
    void setTranslucent(bool translucent);
    void setCastsShadow(bool casts);
    SurfaceWidget* surface() const { return surface_; }

    // The part of the window, in its own coordinates, that takes clicks; clicks elsewhere go
    // through to what lies below.
    void setHitShape(const QRegion& shape);
    QRegion hitShape() const { return hitShape_; }
    // Hands the hit shape and the mask to the native window; runs again whenever the compositor
    // comes or goes.
    void applyHitShape();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void applyMask();
    void applyInputShape();
    bool isEchoOfRequest(const QRect& reported);

    Panel* panel_;
    SurfaceWidget* surface_;  // a child
    bool translucent_ = false;
    std::deque<QRect> requested_;  // oldest first
    bool placing_ = false;
    bool closeAllowed_ = false;
    QRegion hitShape_;
    bool justMapped_ = false;
};

}  // namespace corkwallery::platform
