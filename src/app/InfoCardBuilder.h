#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/Geometry.h"
#include "platform/Panel.h"

namespace corkwallery {

// Builds the two information cards: small dark rounded windows centred on the main screen, at the
// pin windows' level and with their behaviour, each a stack of an icon, a title and a body text.
// Every call builds a new card and shows it without activating anything.
class InfoCardBuilder {
public:
    // The card that greets a first-time user and points at the tray icon, or at the corner card
    // that stands in for it.
    static std::unique_ptr<platform::Panel> buildWelcomeCard(bool cornerCardShown);
    // The card that explains the gestures; its close button (top right) runs `closeAction`.
    static std::unique_ptr<platform::Panel> buildHelpCard(std::function<void()> closeAction);

    // A card of `size` centred on the screen's whole frame, or on the 1440 x 900 rectangle at
    // the origin when there is no screen.
    static platform::Rect centredFrame(platform::Size size,
                                       std::optional<platform::Rect> screenFrame);
};

}  // namespace corkwallery
