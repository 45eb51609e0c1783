#include "platform/Button.h"

#include "platform/ButtonWidget.h"
#include "platform/ViewWidget.h"

namespace corkwallery::platform {

Button::Button(Rect frame) : View(frame), button_(new ButtonWidget(widget())) {
    button_->setGeometry(widget()->rect());
    QObject::connect(button_, &QToolButton::clicked, [this] {
        EventHandlerScope scope;
        if (action_) {
            // A copy: the action may destroy this button.
            const auto action = action_;
            action();
        }
    });
}

Button::~Button() {
    // The widget may outlive the button by a moment (deferred deletion): cut it off.
    button_->disconnect();
}

void Button::setImage(std::optional<Image> image) {
    image_ = image;
    button_->setImage(std::move(image));
}

void Button::setContentTintColor(std::optional<Color> color) {
    tint_ = color;
    button_->setTint(color);
}

void Button::layout() {
    button_->setGeometry(widget()->rect());
}

}  // namespace corkwallery::platform
