#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/Layer.h"
#include "platform/NotificationCenter.h"
#include "platform/View.h"

namespace corkwallery {

// The view inside every pin window: one photo, tilted, with its corners rounded and a coloured
// pushpin in the middle of its top edge. It sizes its window around the tilted photo and turns
// mouse input into moves, resizes, lock changes and removal requests.
class DraggableImageView : public platform::View {
public:
    // Extra window height above the photo, left free for the pin.
    static constexpr double pinOverhang = 18.0;

    // Gives the photo decoded finely enough for a pin `points` large, or none.
    using ImageLoader = std::function<std::optional<platform::Image>(platform::Size points)>;

    // Posted with the view as object at the end of every mouse gesture and after a lock change.
    static const platform::NotificationName& pinStateDidChange();
    // Posted with the view as object when the user asks to remove the photo.
    static const platform::NotificationName& removePhoto();

    explicit DraggableImageView(platform::Rect frame);
    ~DraggableImageView() override;

    // The first click into an inactive window already starts a drag or resize.
    bool acceptsFirstMouse(const platform::MouseEvent&) override { return true; }
    void mouseDown(const platform::MouseEvent& event) override;
    void mouseDragged(const platform::MouseEvent& event) override;
    void mouseUp(const platform::MouseEvent& event) override;
    // Opens the menu "Lock Photo"/"Unlock Photo", separator, "Remove Photo" at the pointer.
    void rightMouseDown(const platform::MouseEvent& event) override;
    void toggleLock();
    void removeThisPhoto();
    void animatePickUp();
    void animatePutDown();

    // Stores the photo's size and tilt, lays out the layers and fits the window around them.
    void fitWindowToPhoto(platform::Size size, double rotation);
    // Sizes the window around the tilted photo plus the pin's room, keeping its centre.
    void refitWindow();
    // Places and turns the photo and pin layers for the current size, tilt and bounds.
    void layoutLayers();
    // Draws the pushpin in the colour named by pinColorName into the pin layer.
    void renderPinImage();
    void layout() override;
    // The tilted photo and the pin: the window lets clicks anywhere else through.
    std::vector<platform::Polygon> hitRegion() const override;

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
    // Asked for a finer photo when a resize leaves the photo coarser than the screen.
    void setImageLoader(ImageLoader loader) { imageLoader_ = std::move(loader); }
    bool isDragging() const { return isDragging_; }
    bool isOptionResizing() const { return isOptionResizing_; }

private:
    // The photo's and the pin's rectangles before they are turned about their centres, for the
    // current size and bounds.
    platform::Rect photoFrame() const;
    platform::Rect pinFrame() const;

    platform::Layer imageLayer_;
    platform::Layer pinLayer_;
    platform::Size baseImageSize_{0, 0};
    double rotationAngle_ = 0;
    std::optional<std::string> storedFilename_;
    std::optional<std::string> originalPath_;
    bool isLocked_ = false;
    std::string pinColorName_ = "red";
    std::optional<platform::Image> image_;
    platform::Point clickOffset_{0, 0};
    bool isDragging_ = false;
    bool isOptionResizing_ = false;
    platform::Point resizeStartMouse_{0, 0};
    platform::Size resizeStartSize_{0, 0};
    ImageLoader imageLoader_;

    void loadFinerImageIfNeeded();
};

}  // namespace corkwallery
