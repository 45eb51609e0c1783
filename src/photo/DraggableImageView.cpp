#include "photo/DraggableImageView.h"

#include <cmath>

#include "photo/PinColors.h"
#include "platform/Panel.h"
#include "platform/Transaction.h"

namespace corkwallery {

using platform::Image;
using platform::Rect;
using platform::Size;

namespace {
constexpr double kCornerRadius = 12;
constexpr double kPinSide = 24;
constexpr double kPinOverlap = 8;  // of the pin's side, the part lying over the photo
constexpr double kPinZ = 10;
constexpr double kPinPointSize = 18;
}  // namespace

DraggableImageView::DraggableImageView(Rect frame) : View(frame) {
    setWantsLayer(true);
    layer()->setMasksToBounds(false);
    imageLayer_.setContentsGravity(platform::ContentsGravity::ResizeAspect);
    imageLayer_.setCornerRadius(kCornerRadius);
    imageLayer_.setMasksToBounds(true);
    layer()->addSublayer(imageLayer_);
    renderPinImage();
    pinLayer_.setContentsGravity(platform::ContentsGravity::ResizeAspect);
    pinLayer_.setZPosition(kPinZ);
    layer()->addSublayer(pinLayer_);
}

DraggableImageView::~DraggableImageView() = default;

void DraggableImageView::fitWindowToPhoto(Size size, double rotation) {
    baseImageSize_ = size;
    rotationAngle_ = rotation;
    layoutLayers();
    refitWindow();
}

void DraggableImageView::refitWindow() {
    platform::Panel* panel = window();
    if (panel == nullptr)
        return;
    const double w0 = baseImageSize_.width;
    const double h0 = baseImageSize_.height;
    const double c = std::abs(std::cos(rotationAngle_));
    const double s = std::abs(std::sin(rotationAngle_));
    const double w = std::ceil(w0 * c + h0 * s);
    const double h = std::ceil(w0 * s + h0 * c) + pinOverhang;
    const Rect current = panel->frame();
    panel->setFrame(Rect(current.midX() - w / 2, current.midY() - h / 2, w, h), true);
    layoutLayers();
}

void DraggableImageView::layoutLayers() {
    const double w = baseImageSize_.width;
    const double h = baseImageSize_.height;
    if (!(w > 0))
        return;
    const Size b = bounds().size;
    const double theta = rotationAngle_;

    platform::Transaction::begin();
    platform::Transaction::setDisableActions(true);

    imageLayer_.setFrame(Rect((b.width - w) / 2, (b.height - h) / 2 - pinOverhang / 2, w, h));
    imageLayer_.setZPosition(0);
    imageLayer_.setTransform(platform::Transform::makeRotation(theta));

    // The middle of the photo's top edge, turned with the photo about its centre.
    const double px = b.width / 2 - (h / 2) * std::sin(theta);
    const double py = b.height / 2 - pinOverhang / 2 + (h / 2) * std::cos(theta);
    pinLayer_.setFrame(Rect(px - kPinSide / 2, py - kPinOverlap, kPinSide, kPinSide));
    pinLayer_.setTransform(platform::Transform::makeRotation(theta));

    platform::Transaction::commit();
}

void DraggableImageView::renderPinImage() {
    const auto symbol = Image::systemSymbol("pin.fill", std::nullopt);
    if (!symbol)
        return;
    const auto configured =
        symbol->withSymbolConfiguration({kPinPointSize, platform::FontWeight::Bold});
    if (!configured)
        return;
    const platform::Color color = pinColor(pinColorName_);
    const Image glyph = *configured;
    // Source-atop paints the colour only where the glyph has coverage, keeping its alpha.
    pinLayer_.setContents(Image::withDrawingHandler(
        glyph.size(), [glyph, color](platform::GraphicsContext& context, Rect rect) {
            context.drawImage(glyph, rect);
            context.setFillColor(color);
            context.fillRect(rect, platform::CompositingOperation::SourceAtop);
            return true;
        }));
}

void DraggableImageView::layout() {
    View::layout();
    layoutLayers();
}

}  // namespace corkwallery
