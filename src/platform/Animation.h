#pragma once

#include <string>

namespace corkwallery::platform {

// Cubic Bézier pacing of an animation, as the usual named curves.
enum class TimingFunction { Linear, EaseIn, EaseOut, EaseInEaseOut, Default };

// What a finished animation leaves on screen: the layer's own value (Removed) or its end value
// (Forwards) while it stays on the layer.
enum class FillMode { Removed, Forwards };

// A from-to animation of one numeric key path of a layer ("transform.scale").
struct BasicAnimation {
    std::string keyPath;
    double fromValue = 0;
    double toValue = 0;
    double duration = 0.25;  // seconds
    TimingFunction timingFunction = TimingFunction::Linear;
    FillMode fillMode = FillMode::Removed;
    bool removedOnCompletion = true;

    static BasicAnimation withKeyPath(std::string keyPath) {
        BasicAnimation animation;
        animation.keyPath = std::move(keyPath);
        return animation;
    }
};

}  // namespace corkwallery::platform
