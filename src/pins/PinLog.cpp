#include "pins/PinLog.h"

#include "platform/Log.h"

namespace corkwallery::PinLog {

std::string point(QPointF p) {
    return "(" + platform::formatDouble(p.x()) + ", " + platform::formatDouble(p.y()) + ")";
}

void refusal(const platform::Error& error) {
    if (PhotoDecoder::refusedUndecoded(error))
        platform::log("  Refused " + error.message);
}

void unusableProfile(const Photo& photo, const std::string& path) {
    if (photo.unusableProfile)
        platform::log("  Colour profile of " + path +
                      " cannot be used \u2014 colours shown unconverted");
}

}  // namespace corkwallery::PinLog
