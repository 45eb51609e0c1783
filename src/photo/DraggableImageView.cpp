#include "photo/DraggableImageView.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "photo/PhotoResolution.h"
#include "photo/PinColors.h"
#include "platform/Menu.h"
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

constexpr double kTravelThatDoubles = 200;  // horizontal points of pointer travel
constexpr double kSmallestScale = 0.01;
constexpr double kSmallestSide = 50;
constexpr double kLiftedScale = 1.05;
constexpr double kLargestWindowSide = 8192;
const char* const kScaleKeyPath = "transform.scale";
const char* const kPickUpKey = "pickUp";
}  // namespace

const platform::NotificationName& DraggableImageView::pinStateDidChange() {
    static const platform::NotificationName name("pinStateDidChange");
    return name;
}

const platform::NotificationName& DraggableImageView::removePhoto() {
    static const platform::NotificationName name("removePhoto");
    return name;
}

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
    // Bounded, so a photo of absurd size cannot ask for an absurd window; the photo keeps its
    // size and the window its exact centre.
    const double w = std::clamp(std::ceil(w0 * c + h0 * s), 0.0, kLargestWindowSide);
    const double h = std::clamp(std::ceil(w0 * s + h0 * c) + pinOverhang, 0.0, kLargestWindowSide);
    // Room for the photo lifted while it is dragged, which reaches past the frame.
    panel->setDrawingMargin(std::ceil((kLiftedScale - 1) / 2 * std::max(w, h)) + 1);
    panel->setFrameSizeKeepingCenter({w, h}, true);
    layoutLayers();
}

Rect DraggableImageView::photoFrame() const {
    const Size b = bounds().size;
    const double w = baseImageSize_.width;
    const double h = baseImageSize_.height;
    return {(b.width - w) / 2, (b.height - h) / 2 - pinOverhang / 2, w, h};
}

Rect DraggableImageView::pinFrame() const {
    // The middle of the photo's top edge, turned with the photo about its centre.
    const Rect photo = photoFrame();
    const double half = photo.height() / 2;
    const double px = photo.midX() - half * std::sin(rotationAngle_);
    const double py = photo.midY() + half * std::cos(rotationAngle_);
    return {px - kPinSide / 2, py - kPinOverlap, kPinSide, kPinSide};
}

void DraggableImageView::layoutLayers() {
    if (!(baseImageSize_.width > 0))
        return;
    const double theta = rotationAngle_;

    platform::Transaction::begin();
    platform::Transaction::setDisableActions(true);

    imageLayer_.setFrame(photoFrame());
    imageLayer_.setZPosition(0);
    imageLayer_.setTransform(platform::Transform::makeRotation(theta));

    pinLayer_.setFrame(pinFrame());
    pinLayer_.setTransform(platform::Transform::makeRotation(theta));

    platform::Transaction::commit();
}

std::vector<platform::Polygon> DraggableImageView::hitRegion() const {
    if (!(baseImageSize_.width > 0))
        return {};
    // A rectangle turned counter-clockwise about its centre (y points up).
    const auto turned = [c = std::cos(rotationAngle_), s = std::sin(rotationAngle_)](Rect r) {
        platform::Polygon outline;
        const double hw = r.width() / 2;
        const double hh = r.height() / 2;
        const std::array<std::pair<double, double>, 4> corners{
            {{-hw, -hh}, {hw, -hh}, {hw, hh}, {-hw, hh}}};
        for (const auto& [dx, dy] : corners)
            outline.push_back({r.midX() + dx * c - dy * s, r.midY() + dx * s + dy * c});
        return outline;
    };
    return {turned(photoFrame()), turned(pinFrame())};
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

void DraggableImageView::mouseDown(const platform::MouseEvent& event) {
    if (window() == nullptr || isLocked_)
        return;
    const platform::Point pointer = event.locationInScreen;
    // The modifier is read here only: pressing or releasing it mid-gesture changes nothing.
    if (event.modifierFlags & platform::ModifierOption) {
        isOptionResizing_ = true;
        // Until the gesture ends the layers are drawn by stretching their last rendering.
        imageLayer_.setDrawsQuickly(true);
        pinLayer_.setDrawsQuickly(true);
        resizeStartMouse_ = pointer;
        resizeStartSize_ = baseImageSize_;
        return;
    }
    isDragging_ = true;
    const platform::Point origin = window()->frame().origin;
    clickOffset_ = {pointer.x - origin.x, pointer.y - origin.y};
    animatePickUp();
}

void DraggableImageView::mouseDragged(const platform::MouseEvent& event) {
    platform::Panel* panel = window();
    if (panel == nullptr || isLocked_)
        return;
    const platform::Point pointer = event.locationInScreen;
    if (!isOptionResizing_) {
        panel->setFrameOrigin({pointer.x - clickOffset_.x, pointer.y - clickOffset_.y});
        return;
    }
    // Each event scales the gesture's start size by the pointer's horizontal travel since the
    // start, so the result depends only on where the pointer is now.
    const double w0 = resizeStartSize_.width;
    const double h0 = resizeStartSize_.height;
    const double f =
        std::max(1 + (pointer.x - resizeStartMouse_.x) / kTravelThatDoubles, kSmallestScale);
    const double aspect = w0 / h0;
    double w = w0 * f;
    double h = h0 * f;
    if (w < kSmallestSide) {
        w = kSmallestSide;
        h = kSmallestSide / aspect;
    }
    if (h < kSmallestSide) {
        h = kSmallestSide;
        w = kSmallestSide * aspect;
    }
    baseImageSize_ = {w, h};
    refitWindow();
}

void DraggableImageView::mouseUp(const platform::MouseEvent&) {
    if (isOptionResizing_) {
        isOptionResizing_ = false;
        loadFinerImageIfNeeded();
        imageLayer_.setDrawsQuickly(false);
        pinLayer_.setDrawsQuickly(false);
    } else if (isDragging_) {
        isDragging_ = false;
        animatePutDown();
    }
    platform::NotificationCenter::defaultCenter().post(pinStateDidChange(), this);
}

void DraggableImageView::loadFinerImageIfNeeded() {
    if (!image_ || !imageLoader_ ||
        !PhotoResolution::needsFinerImage(*image_, baseImageSize_,
                                          PhotoResolution::mainScreenScale()))
        return;
    if (auto finer = imageLoader_(baseImageSize_)) {
        image_ = finer;
        imageLayer_.setContents(std::move(finer));
    }
}

void DraggableImageView::rightMouseDown(const platform::MouseEvent& event) {
    platform::Menu menu;
    menu.addItem(isLocked_ ? "Unlock Photo" : "Lock Photo", "", [this] { toggleLock(); });
    menu.addSeparator();
    menu.addItem("Remove Photo", "", [this] { removeThisPhoto(); });
    menu.popUpContextMenu(event, *this);
}

void DraggableImageView::toggleLock() {
    isLocked_ = !isLocked_;
    platform::NotificationCenter::defaultCenter().post(pinStateDidChange(), this);
}

// The controller may close the window and drop this view before the post returns: nothing may
// follow it.
void DraggableImageView::removeThisPhoto() {
    platform::NotificationCenter::defaultCenter().post(removePhoto(), this);
}

void DraggableImageView::animatePickUp() {
    auto animation = platform::BasicAnimation::withKeyPath(kScaleKeyPath);
    animation.fromValue = 1.0;
    animation.toValue = kLiftedScale;
    animation.duration = 0.15;
    animation.timingFunction = platform::TimingFunction::EaseOut;
    animation.fillMode = platform::FillMode::Forwards;
    animation.removedOnCompletion = false;
    imageLayer_.addAnimation(animation, kPickUpKey);
}

void DraggableImageView::animatePutDown() {
    auto animation = platform::BasicAnimation::withKeyPath(kScaleKeyPath);
    animation.fromValue = kLiftedScale;
    animation.toValue = 1.0;
    animation.duration = 0.2;
    animation.timingFunction = platform::TimingFunction::EaseInEaseOut;
    imageLayer_.addAnimation(animation, kPickUpKey);
}

void DraggableImageView::layout() {
    View::layout();
    layoutLayers();
}

}  // namespace corkwallery
