#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Animation.h"
#include "platform/Geometry.h"
#include "platform/Image.h"

namespace corkwallery::platform {

// A turn about the z axis, applied about the layer's centre.
struct Transform {
    double rotation = 0;  // radians, counter-clockwise on screen
    static Transform makeRotation(double angle) { return {angle}; }
    friend bool operator==(const Transform&, const Transform&) = default;
};

enum class ContentsGravity { Resize, ResizeAspect };

class LayerRaster;

// A rectangle of content in a layer tree: an image, a background, rounded corners, a transform
// about its centre and sublayers drawn in z order. The frame is in the superlayer's coordinates,
// y up. A layer does not own its sublayers.
class Layer {
public:
    Layer();
    ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    Rect frame() const { return frame_; }
    void setFrame(Rect frame);
    Rect bounds() const { return Rect({0, 0}, frame_.size); }
    double zPosition() const { return zPosition_; }
    void setZPosition(double z);
    Transform transform() const { return transform_; }
    void setTransform(Transform transform);
    const std::optional<Image>& contents() const { return contents_; }
    void setContents(std::optional<Image> contents);
    ContentsGravity contentsGravity() const { return gravity_; }
    void setContentsGravity(ContentsGravity gravity);
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius);
    bool masksToBounds() const { return masksToBounds_; }
    void setMasksToBounds(bool masks);
    const std::optional<Color>& backgroundColor() const { return background_; }
    void setBackgroundColor(std::optional<Color> color);

    void addSublayer(Layer& layer);
    void removeFromSuperlayer();
    const std::vector<Layer*>& sublayers() const { return sublayers_; }
    Layer* superlayer() const { return superlayer_; }

    // Adds an animation under `key`, replacing (and stopping) any animation already there.
    void addAnimation(const BasicAnimation& animation, const std::string& key);
    void removeAnimation(const std::string& key);
    // The animation under `key` while it is on the layer; null otherwise.
    const BasicAnimation* animationForKey(const std::string& key) const;
    // The scale shown now: the layer's own scale of 1 unless an animation of "transform.scale"
    // is running or holds its end value.
    double presentationScale() const;

    // While set, the layer is drawn by stretching its last rendering instead of rendering it
    // afresh: for live resizing, where speed matters more than finish. Clearing it draws the
    // layer afresh.
    void setDrawsQuickly(bool quickly);
    bool drawsQuickly() const { return drawsQuickly_; }
    // The layer's last rendering, kept by the painter.
    LayerRaster& raster() const;

    // The root of a tree is told whenever anything in the tree must be drawn again.
    void setDisplayHandler(std::function<void()> handler);
    void setNeedsDisplay();

private:
    class Animations;

    Rect frame_;
    double zPosition_ = 0;
    Transform transform_;
    std::optional<Image> contents_;
    ContentsGravity gravity_ = ContentsGravity::Resize;
    double cornerRadius_ = 0;
    bool masksToBounds_ = false;
    std::optional<Color> background_;
    std::vector<Layer*> sublayers_;
    Layer* superlayer_ = nullptr;
    std::function<void()> displayHandler_;
    std::unique_ptr<Animations> animations_;
    bool drawsQuickly_ = false;
    mutable std::unique_ptr<LayerRaster> raster_;
};

}  // namespace corkwallery::platform
