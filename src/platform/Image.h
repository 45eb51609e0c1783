#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Geometry.h"

namespace corkwallery::platform {

class GraphicsContext;

enum class FontWeight { Regular, Medium, Semibold, Bold };

struct SymbolConfiguration {
    double pointSize = 13;
    FontWeight weight = FontWeight::Regular;
};

// An immutable picture with a natural size in points: a decoded photo, one of our vector symbols,
// or a picture drawn on demand by a handler. Copies share the picture.
class Image {
public:
    class Impl;

    // Draws the whole picture into a destination rectangle in a y-up context; may run more than
    // once (at every resolution the picture is shown at). Returns whether it drew.
    using DrawingHandler = std::function<bool(GraphicsContext&, Rect)>;
    static Image withDrawingHandler(Size size, DrawingHandler handler);

    // One of the system symbols ("pin.fill", "questionmark.circle.fill", "xmark.circle.fill"),
    // drawn from our own art; absent for an unknown name.
    static std::optional<Image> systemSymbol(std::string_view name,
                                             std::optional<std::string> accessibilityDescription);
    // The same symbol at another point size and weight; absent for a picture that is no symbol.
    std::optional<Image> withSymbolConfiguration(SymbolConfiguration configuration) const;

    Size size() const;
    // The pixels a decoded photo holds, which may be fewer than its natural size when it was
    // decoded reduced; a drawn picture gives its size.
    Size pixelSize() const;
    // A decoded photo shrunk, aspect and natural size kept, to at most `longerSide` pixels on its
    // longer side; this very image when it is no larger or no decoded photo.
    Image reducedTo(int longerSide) const;
    const std::optional<std::string>& accessibilityDescription() const;

    explicit Image(std::shared_ptr<const Impl> impl);
    const Impl& impl() const { return *impl_; }
    // Copies share one picture; identity tells whether two images are the same picture.
    friend bool operator==(const Image& a, const Image& b) { return a.impl_ == b.impl_; }

private:
    std::shared_ptr<const Impl> impl_;
};

enum class CompositingOperation { SourceOver, SourceAtop };

// What a drawing handler draws with. Coordinates are points with y pointing up.
class GraphicsContext {
public:
    virtual ~GraphicsContext() = default;
    virtual void drawImage(const Image& image, Rect destination) = 0;
    virtual void setFillColor(Color color) = 0;
    virtual void fillRect(Rect rect, CompositingOperation operation) = 0;
};

}  // namespace corkwallery::platform
