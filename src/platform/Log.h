#pragma once

#include <string>
#include <string_view>

namespace corkwallery::platform {

// Writes "[Corkwallery] " + `message` and a line feed to standard output and flushes it. Control
// characters inside the message (a line feed in a path, say) are written as \n, \r, \t or \xNN,
// so no name can forge a line of its own; UTF-8 passes through. Detail lines pass their own
// leading spaces: log("  Read 2 bytes") prints "[Corkwallery]   Read 2 bytes".
void log(std::string_view message);
// `text` with its control characters escaped as log() writes them, for other lines that name paths.
std::string escaped(std::string_view text);

// Shortest decimal text that reads back as the same double, in plain (not exponent) notation from
// 1e-5 to 1e21. Log lines keep ".0" on whole numbers ("640.0"); the state file does not ("640").
// Non-finite values give "nan", "inf" or "-inf".
enum class WholeNumberStyle { KeepPointZero, Bare };
std::string formatDouble(double value, WholeNumberStyle style = WholeNumberStyle::KeepPointZero);

}  // namespace corkwallery::platform
