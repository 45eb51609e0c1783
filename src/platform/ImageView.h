#pragma once

#include <optional>

#include "platform/Image.h"
#include "platform/View.h"

namespace corkwallery::platform {

class ImageViewWidget;

// Shows one image centred in its frame, at its natural size unless that does not fit. A content
// tint colours the whole picture, as for a template symbol.
class ImageView final : public View {
public:
    explicit ImageView(Rect frame);

    const std::optional<Image>& image() const { return image_; }
    void setImage(std::optional<Image> image);
    const std::optional<Color>& contentTintColor() const { return tint_; }
    void setContentTintColor(std::optional<Color> color);

    void layout() override;

private:
    std::optional<Image> image_;
    std::optional<Color> tint_;
    ImageViewWidget* picture_;  // owned by the view's widget
};

}  // namespace corkwallery::platform
