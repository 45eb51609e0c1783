#pragma once

#include <functional>
#include <optional>

#include "platform/Image.h"
#include "platform/View.h"

namespace corkwallery::platform {

class ButtonWidget;

// A borderless button that shows an image and runs its action when clicked (pressed and released
// inside it). It never takes the keyboard focus.
class Button final : public View {
public:
    explicit Button(Rect frame);
    ~Button() override;

    const std::optional<Image>& image() const { return image_; }
    void setImage(std::optional<Image> image);
    const std::optional<Color>& contentTintColor() const { return tint_; }
    void setContentTintColor(std::optional<Color> color);
    // The action may destroy the button's window: widgets are deleted once the click is over.
    void setAction(std::function<void()> action) { action_ = std::move(action); }

    void layout() override;

private:
    std::optional<Image> image_;
    std::optional<Color> tint_;
    std::function<void()> action_;
    ButtonWidget* button_;  // owned by the view's widget
};

}  // namespace corkwallery::platform
