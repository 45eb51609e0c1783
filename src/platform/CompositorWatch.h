#pragma once

#include <functional>
#include <memory>

namespace corkwallery::platform {

class PanelWidget;

// Whether windows can show transparent pixels: on X11 only while a compositing manager runs.
// The X server reports every change of the compositor's selection; registered windows are told
// when the answer changes, so they follow a compositor that starts or stops later.
class CompositorWatch {
public:
    static bool isCompositing();
    static void add(PanelWidget* widget);
    static void remove(PanelWidget* widget);
    // Looks now, and tells the registered windows if the answer changed.
    static void recheck();
    // Replaces the question "is a compositor running?" (tests); an empty function restores it.
    static void setProbe(std::function<bool()> probe);

private:
    class State;
    static State& state();
};

}  // namespace corkwallery::platform
