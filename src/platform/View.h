#pragma once

#include <memory>

#include "platform/Geometry.h"
#include "platform/Layer.h"
#include "platform/MouseEvent.h"

namespace corkwallery::platform {

class Panel;
class ViewWidget;

// A rectangle of a window that draws a layer tree and receives the mouse. Its frame is in its
// window's content coordinates; its bounds start at (0, 0) in the bottom-left corner.
class View {
public:
    explicit View(Rect frame);
    virtual ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    Rect frame() const { return frame_; }
    void setFrame(Rect frame);
    Rect bounds() const { return Rect({0, 0}, frame_.size); }

    // A layer-backed view draws its backing layer's tree.
    void setWantsLayer(bool wants);
    Layer* layer() const { return wantsLayer_ ? backing_.get() : nullptr; }

    Panel* window() const { return window_; }

    virtual bool acceptsFirstMouse(const MouseEvent&) { return false; }
    virtual void mouseDown(const MouseEvent&) {}
    virtual void mouseDragged(const MouseEvent&) {}
    virtual void mouseUp(const MouseEvent&) {}
    virtual void rightMouseDown(const MouseEvent&) {}
    // Runs whenever the view's size changes.
    virtual void layout() {}

    ViewWidget* widget() const { return widget_; }

private:
    friend class Panel;
    void attachTo(Panel* window);

    Rect frame_;
    bool wantsLayer_ = false;
    std::unique_ptr<Layer> backing_;
    Panel* window_ = nullptr;
    ViewWidget* widget_;  // owned; handed to Qt for deletion when the view goes
};

}  // namespace corkwallery::platform
