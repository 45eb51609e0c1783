#pragma once

#include <QColor>
#include <QImage>
#include <QSizeF>
#include <string_view>

// Our own symbol art (resources/symbols): "pin.fill", "questionmark.circle.fill" and
// "xmark.circle.fill". The art is laid out so that a point size of 20 draws one SVG unit per
// point; heavier weights thicken the outline. The one place where a symbol is tinted.
namespace corkwallery::SymbolArt {

enum class Weight { Regular, Medium, Bold };

// The symbol's natural size at `pointSize`; empty for an unknown name.
QSizeF size(std::string_view name, double pointSize);

// The symbol filling `pixels` (its aspect kept, centred), painted in `color` wherever the art has
// coverage and keeping the art's alpha (source-atop). Null for an unknown name.
QImage render(std::string_view name, double pointSize, Weight weight, QSize pixels, QColor color);

}  // namespace corkwallery::SymbolArt
