#pragma once

#include <QLabel>

namespace corkwallery::platform {

// The QLabel that shows a Label's text inside its view.
class LabelWidget final : public QLabel {
public:
    using QLabel::QLabel;
};

}  // namespace corkwallery::platform
