#pragma once

#include <functional>
#include <memory>

namespace corkwallery::platform {

// Tells its handler when a screen is added or removed, or changes its geometry or the part that
// panels leave free: once per burst of such changes, from the event loop.
class ScreenWatch {
public:
    explicit ScreenWatch(std::function<void()> handler);
    ~ScreenWatch();
    ScreenWatch(const ScreenWatch&) = delete;
    ScreenWatch& operator=(const ScreenWatch&) = delete;

private:
    class Native;
    std::unique_ptr<Native> native_;
};

}  // namespace corkwallery::platform
