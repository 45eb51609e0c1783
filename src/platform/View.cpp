#include "platform/View.h"

#include <cmath>

#include "platform/Panel.h"
#include "platform/ViewWidget.h"

namespace corkwallery::platform {

View::View(Rect frame)
    : frame_(frame), backing_(std::make_unique<Layer>()), widget_(new ViewWidget(this)) {
    backing_->setFrame(bounds());
    backing_->setDisplayHandler([this] { widget_->update(); });
    widget_->resize(static_cast<int>(std::lround(frame.width())),
                    static_cast<int>(std::lround(frame.height())));
}

View::~View() {
    widget_->detach();
    disposeWidget(widget_);
}

void View::setFrame(Rect frame) {
    const bool resized = frame.size != frame_.size;
    frame_ = frame;
    backing_->setFrame(bounds());
    const double parentHeight = window_ != nullptr ? window_->frame().height() : frame.height();
    widget_->setGeometry(static_cast<int>(std::lround(frame.minX())),
                         static_cast<int>(std::lround(parentHeight - frame.maxY())),
                         static_cast<int>(std::lround(frame.width())),
                         static_cast<int>(std::lround(frame.height())));
    if (resized)
        layout();
}

void View::setWantsLayer(bool wants) {
    wantsLayer_ = wants;
    widget_->update();
}

void View::attachTo(Panel* window) {
    window_ = window;
}

}  // namespace corkwallery::platform
