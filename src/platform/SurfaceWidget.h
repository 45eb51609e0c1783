#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/WindowSurface.h"

namespace corkwallery::platform {

// Lies over the whole of a translucent window, above its content, and shows what the content
// drew as a WindowSurface makes it: over a shadow with a compositor, cut and opaque without one.
// Clicks go through it to the content.
class SurfaceWidget final : public QWidget {
public:
    explicit SurfaceWidget(QWidget* window);
    // The widget whose drawing is shown, a child of the same window; null shows nothing.
    void setContent(QWidget* content);
    void setCastsShadow(bool casts);
    // Told after a paint made a new mask.
    void setMaskChangedHandler(std::function<void()> handler) { maskChanged_ = std::move(handler); }

    // Draws the content afresh and makes the surface again if anything changed; true if so.
    bool refresh();
    bool refresh(qreal ratio);
    const WindowSurface& surface() const { return surface_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> content_;  // goes with its view
    bool castsShadow_ = false;
    WindowSurface surface_;
    std::function<void()> maskChanged_;
};

}  // namespace corkwallery::platform
