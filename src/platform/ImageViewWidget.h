#pragma once

#include <QWidget>
#include <optional>

#include "platform/Image.h"

namespace corkwallery::platform {

// Paints an ImageView's picture centred at its natural size (scaled down if it does not fit),
// in the tint colour when there is one.
class ImageViewWidget final : public QWidget {
public:
    explicit ImageViewWidget(QWidget* parent);
    void setImage(std::optional<Image> image);
    void setTint(std::optional<Color> tint);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<Image> image_;
    std::optional<Color> tint_;
};

}  // namespace corkwallery::platform
