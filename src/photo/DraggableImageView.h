#pragma once

#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/Layer.h"
#include "platform/View.h"

namespace corkwallery {

// The view inside every pin window: one photo, tilted, with its corners rounded and a coloured
// pushpin in the middle of its top edge. It sizes its window around the tilted photo and turns
// mouse input into moves, resizes, lock changes and removal requests.
class DraggableImageView : public platform::View {
public:
    // Extra window height above the photo, left free for the pin.
    static constexpr double pinOverhang = 18.0;

    explicit DraggableImageView(platform::Rect frame);
    ~DraggableImageView() override;

    // Stores the photo's size and tilt, lays out the layers and fits the window around them.
    void fitWindowToPhoto(platform::Size size, double rotation);
    // Sizes the window around the tilted photo plus the pin's room, keeping its centre.
    void refitWindow();
    // Places and turns the photo and pin layers for the current size, tilt and bounds.
    void layoutLayers();
    // Draws the pushpin in the colour named by pinColorName into the pin layer.
    void renderPinImage();
    void layout() override;

    platform::Layer& imageLayer() { return imageLayer_; }
    platform::Layer& pinLayer() { return pinLayer_; }
    platform::Size baseImageSize() const { return baseImageSize_; }
    double rotationAngle() const { return rotationAngle_; }
    const std::optional<std::string>& storedFilename() const { return storedFilename_; }
    void setStoredFilename(std::optional<std::string> name) { storedFilename_ = std::move(name); }
    const std::optional<std::string>& originalPath() const { return originalPath_; }
    void setOriginalPath(std::optional<std::string> path) { originalPath_ = std::move(path); }
    bool isLocked() const { return isLocked_; }
    void setLocked(bool locked) { isLocked_ = locked; }
    const std::string& pinColorName() const { return pinColorName_; }
    // Takes effect on screen at the next renderPinImage.
    void setPinColorName(std::string name) { pinColorName_ = std::move(name); }
    const std::optional<platform::Image>& image() const { return image_; }
    void setImage(std::optional<platform::Image> image) { image_ = std::move(image); }

private:
    platform::Layer imageLayer_;
    platform::Layer pinLayer_;
    platform::Size baseImageSize_{0, 0};
    double rotationAngle_ = 0;
    std::optional<std::string> storedFilename_;
    std::optional<std::string> originalPath_;
    bool isLocked_ = false;
    std::string pinColorName_ = "red";
    std::optional<platform::Image> image_;
};

}  // namespace corkwallery
