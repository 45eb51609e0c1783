#pragma once

#include "platform/DesktopSurface.h"

namespace corkwallery::platform {

// A desktop window where nothing but Qt reaches the window system (offscreen): every request is
// Qt's, and the pointer is where Qt says.
class NullSurface : public DesktopSurface {
public:
    explicit NullSurface(QWindow* window) : DesktopSurface(window) {}

    void prepare(const QRect&, Anchor) override {}
    void place(const QRect&) override {}
    bool placeDirectly(const QRect&) override { return false; }
    void setInputShape(const QRegion&) override {}
    void keepAboveDesktop(bool) override {}
    void markFrameWithoutShadow() override {}
    bool isWindowManaged() const override { return false; }
    bool closedBySystem() override { return false; }
    QPointF globalPointer(QPointF, QPointF global, bool, bool) override { return global; }
    bool isPointerButtonDown() const override { return true; }
};

}  // namespace corkwallery::platform
