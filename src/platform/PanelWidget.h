#pragma once

#include <QRegion>
#include <QWidget>

namespace corkwallery::platform {

class Panel;

// The native top-level window of a Panel.
class PanelWidget final : public QWidget {
public:
    explicit PanelWidget(Panel* panel);
    ~PanelWidget() override;
    void detach() { panel_ = nullptr; }
    // Where the panel last placed the window, to tell its own moves from the window manager's.
    void setPlacedPosition(QPoint position) { placed_ = position; }
    void allowClose(bool allow) { closeAllowed_ = allow; }

    // Creates the native window if needed and, on X11, marks it as part of the desktop. Runs
    // while the window is hidden, before each show.
    void prepareDesktopWindow();

    // The part of the window, in its own coordinates, that takes clicks; clicks elsewhere go
    // through to what lies below. Without a compositor the window is also cut to it, since its
    // transparent pixels would show black.
    void setHitShape(const QRegion& shape);
    QRegion hitShape() const { return hitShape_; }
    // Hands the hit shape to the native window; runs again whenever the compositor comes or goes.
    void applyHitShape();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void applyInputShape();

    Panel* panel_;
    QPoint placed_;
    bool closeAllowed_ = false;
    QRegion hitShape_;
    bool inputShapeAfterMap_ = false;
};

}  // namespace corkwallery::platform
