#pragma once

#include <memory>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Layer.h"
#include "platform/MouseEvent.h"

namespace corkwallery::platform {

class Panel;
class ViewWidget;

// A rectangle of a window that draws a layer tree and receives the mouse. Its frame is in its
// superview's coordinates (or its window's content coordinates); its bounds start at (0, 0) in the
// bottom-left corner. A view owns its subviews, which are drawn above it in the order added.
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

    Panel* window() const;

    // Adds `view` above the subviews already there, keeping its frame; returns it.
    View& addSubview(std::unique_ptr<View> view);
    const std::vector<std::unique_ptr<View>>& subviews() const { return subviews_; }
    View* superview() const { return superview_; }

    // The smallest size that shows the view's content; a plain view keeps its frame's size.
    virtual Size fittingSize() const { return frame_.size; }

    virtual bool acceptsFirstMouse(const MouseEvent&) { return false; }
    virtual void mouseDown(const MouseEvent&) {}
    virtual void mouseDragged(const MouseEvent&) {}
    virtual void mouseUp(const MouseEvent&) {}
    virtual void rightMouseDown(const MouseEvent&) {}
    // Where the view takes mouse clicks, as outlines in its own coordinates; the whole bounds
    // unless a view says otherwise. A window's content view decides where the window takes
    // clicks: elsewhere they go through to what lies below.
    virtual std::vector<Polygon> hitRegion() const;
    // Runs whenever the view's size changes.
    virtual void layout() {}

    ViewWidget* widget() const { return widget_; }
    // How far the view's widget reaches past its bounds on each side, to draw into its window's
    // drawing margin.
    double drawingOutset() const;

private:
    friend class Panel;
    void attachTo(Panel* window);
    void placeWidget();

    Rect frame_;
    bool wantsLayer_ = false;
    std::unique_ptr<Layer> backing_;
    Panel* window_ = nullptr;
    View* superview_ = nullptr;
    std::vector<std::unique_ptr<View>> subviews_;
    ViewWidget* widget_;  // owned; handed to Qt for deletion when the view goes
};

}  // namespace corkwallery::platform
