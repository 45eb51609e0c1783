#pragma once

#include <QPointF>
#include <string>

#include "decode/PhotoDecoder.h"

// Log lines the pins' flows share.
namespace corkwallery::PinLog {

// "(<x>, <y>)", as places are logged.
std::string point(QPointF p);
// "  Refused <why>" for a file refused before it was decoded; one that was tried and failed says
// nothing more.
void refusal(const platform::Error& error);
// A photo whose colour profile could not be used is shown with its stored colours, and says so.
void unusableProfile(const Photo& photo, const std::string& path);

}  // namespace corkwallery::PinLog
