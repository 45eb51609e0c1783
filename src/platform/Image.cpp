#include "platform/Image.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/ImageImpl.h"
#include "platform/QtGraphicsContext.h"
#include "platform/SymbolArt.h"

namespace corkwallery::platform {

namespace {

Size sizeOf(const QImage& pixels) {
    return {static_cast<double>(pixels.width()), static_cast<double>(pixels.height())};
}

// The device pixels that `target` covers under the painter's transform.
// No screen shows more than the largest rendering, so an absurd target stops there.
constexpr double kLargestRendering = 8192;

QSize devicePixels(const QPainter& painter, const QRectF& target) {
    const QTransform t = painter.deviceTransform();
    auto pixels = [](double length) {
        return static_cast<int>(std::clamp(std::ceil(length), 1.0, kLargestRendering));
    };
    return {pixels(target.width() * std::hypot(t.m11(), t.m12())),
            pixels(target.height() * std::hypot(t.m21(), t.m22()))};
}

class BitmapImpl final : public Image::Impl {
public:
    BitmapImpl(QImage pixels, Size naturalSize) : Impl(naturalSize), pixels_(std::move(pixels)) {}

    Size pixelSize() const override { return sizeOf(pixels_); }

    QImage render(QSize pixels) const override {
        return pixels_.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    void draw(QPainter& painter, const QRectF& target) const override {
        // A painter's smooth transform samples bilinearly, which grains a picture shrunk to less
        // than half; shrink it with area averaging first.
        const QSize pixels = devicePixels(painter, target);
        if (pixels_.width() > 2 * pixels.width() || pixels_.height() > 2 * pixels.height())
            painter.drawImage(
                target, pixels_.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        else
            painter.drawImage(target, pixels_);
    }
    const QImage* bitmap() const override { return &pixels_; }

private:
    QImage pixels_;
};

class DrawnImpl final : public Image::Impl {
public:
    DrawnImpl(Size size, Image::DrawingHandler handler)
        : Impl(size), handler_(std::move(handler)) {}

    QImage render(QSize pixels) const override {
        QImage out(pixels, QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        QPainter painter(&out);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        painter.scale(pixels.width() / size().width, pixels.height() / size().height);
        QtGraphicsContext context(painter, size().height);
        if (!handler_(context, Rect({0, 0}, size())))
            return {};
        return out;
    }

private:
    Image::DrawingHandler handler_;
};

}  // namespace

void Image::Impl::draw(QPainter& painter, const QRectF& target) const {
    // Render at the device pixels the target covers, so vector art stays crisp at any scale.
    const QImage rendered = render(devicePixels(painter, target));
    if (!rendered.isNull())
        painter.drawImage(target, rendered);
}

Image::Image(std::shared_ptr<const Impl> impl) : impl_(std::move(impl)) {}

Size Image::size() const {
    return impl_->size();
}

Size Image::pixelSize() const {
    return impl_->pixelSize();
}

Image Image::reducedTo(int longerSide) const {
    const QImage* pixels = impl_->bitmap();
    if (pixels == nullptr || longerSide <= 0 ||
        std::max(pixels->width(), pixels->height()) <= longerSide)
        return *this;
    const QSize box(longerSide, longerSide);
    return imageFromQImage(pixels->scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation),
                           size());
}

const std::optional<std::string>& Image::accessibilityDescription() const {
    return impl_->description;
}

Image Image::withDrawingHandler(Size size, DrawingHandler handler) {
    return Image(std::make_shared<DrawnImpl>(size, std::move(handler)));
}

std::optional<Image> Image::systemSymbol(std::string_view name,
                                         std::optional<std::string> accessibilityDescription) {
    auto impl = makeSymbolImpl(name, SymbolConfiguration{});
    if (!impl)
        return std::nullopt;
    impl->description = std::move(accessibilityDescription);
    return Image(std::move(impl));
}

std::optional<Image> Image::withSymbolConfiguration(SymbolConfiguration configuration) const {
    const auto* symbol = dynamic_cast<const SymbolImpl*>(impl_.get());
    if (symbol == nullptr)
        return std::nullopt;
    auto impl = makeSymbolImpl(symbol->name(), configuration);
    if (!impl)
        return std::nullopt;
    impl->description = impl_->description;
    return Image(std::move(impl));
}

Image imageFromQImage(QImage pixels, std::optional<Size> naturalSize) {
    const Size natural = naturalSize.value_or(sizeOf(pixels));
    return Image(std::make_shared<BitmapImpl>(std::move(pixels), natural));
}

}  // namespace corkwallery::platform
