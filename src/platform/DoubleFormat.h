#pragma once

#include <string>

namespace corkwallery::platform {

// Shortest decimal text that reads back as the same double, in plain (not exponent) notation
// for ordinary magnitudes. Log lines keep ".0" on whole numbers ("640.0"); the state file does
// not ("640"). Non-finite values give "nan", "inf" or "-inf".
enum class WholeNumberStyle { KeepPointZero, Bare };

std::string formatDouble(double value, WholeNumberStyle style = WholeNumberStyle::KeepPointZero);

}  // namespace corkwallery::platform
