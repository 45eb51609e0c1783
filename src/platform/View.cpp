#include "platform/View.h"

#include <cmath>

#include "platform/Panel.h"
#include "platform/ScreenCoordinates.h"
#include "platform/ViewWidget.h"

namespace corkwallery::platform {

View::View(Rect frame)
    : frame_(frame), backing_(std::make_unique<Layer>()), widget_(new ViewWidget(this)) {
    backing_->setFrame(bounds());
    backing_->setDisplayHandler([this] { widget_->update(); });
    widget_->resize(toNativeLength(frame.width()), toNativeLength(frame.height()));
}

View::~View() {
    // Subviews go first: their widgets are children of this view's widget.
    subviews_.clear();
    widget_->detach();
    disposeWidget(widget_);
}

void View::setFrame(Rect frame) {
    const bool resized = frame.size != frame_.size;
    frame_ = frame;
    backing_->setFrame(bounds());
    placeWidget();
    if (resized)
        layout();
}

// A content view's widget also covers its window's drawing margin, outset on every side, and
// its subviews' widgets lie that far in. Subviews keep their distance from the bottom edge,
// which moves in Qt's y-down terms when the view is resized.
void View::placeWidget() {
    double parentHeight = frame_.height();
    double parentOutset = 0;
    if (superview_ != nullptr) {
        parentHeight = superview_->frame().height();
        parentOutset = superview_->drawingOutset();
    } else if (window_ != nullptr) {
        parentHeight = window_->frame().height();
    }
    const double o = drawingOutset();
    widget_->setGeometry(toNativeCoordinate(parentOutset + frame_.minX()),
                         toNativeCoordinate(parentOutset + parentHeight - frame_.maxY()),
                         toNativeLength(frame_.width() + 2 * o),
                         toNativeLength(frame_.height() + 2 * o));
    for (const auto& subview : subviews_)
        subview->placeWidget();
}

std::vector<Polygon> View::hitRegion() const {
    const Rect b = bounds();
    return {
        {{b.minX(), b.minY()}, {b.maxX(), b.minY()}, {b.maxX(), b.maxY()}, {b.minX(), b.maxY()}}};
}

double View::drawingOutset() const {
    return superview_ == nullptr && window_ != nullptr ? window_->drawingMargin() : 0;
}

Panel* View::window() const {
    return superview_ != nullptr ? superview_->window() : window_;
}

View& View::addSubview(std::unique_ptr<View> view) {
    View& added = *view;
    added.superview_ = this;
    added.widget_->setParent(widget_);
    added.placeWidget();
    added.widget_->show();
    added.widget_->raise();
    subviews_.push_back(std::move(view));
    return added;
}

void View::setWantsLayer(bool wants) {
    wantsLayer_ = wants;
    widget_->update();
}

void View::attachTo(Panel* window) {
    window_ = window;
}

}  // namespace corkwallery::platform
