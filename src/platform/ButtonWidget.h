#pragma once

#include <QToolButton>
#include <optional>

#include "platform/Image.h"

namespace corkwallery::platform {

// A borderless QToolButton that paints only its image, centred and tinted, dimmed while pressed.
class ButtonWidget final : public QToolButton {
public:
    explicit ButtonWidget(QWidget* parent);
    void setImage(std::optional<Image> image);
    void setTint(std::optional<Color> tint);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<Image> image_;
    std::optional<Color> tint_;
};

}  // namespace corkwallery::platform
