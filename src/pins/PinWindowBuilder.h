#pragma once

#include <memory>

#include "pins/PinParameters.h"
#include "platform/Panel.h"

namespace corkwallery {

// Builds one pin window: a borderless, transparent, never-focused window at desktop-icon level
// on every workspace, whose content is one photo view fitted to the tilted photo and pin.
class PinWindowBuilder {
public:
    // The window is shown only once its frame is final: fitted, and centred on the requested
    // point (or on the main screen's centre).
    static std::unique_ptr<platform::Panel> build(const PinParameters& parameters);
};

}  // namespace corkwallery
