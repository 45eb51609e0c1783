#pragma once

#include <string_view>

namespace corkwallery::platform {

// Writes one diagnostic line to standard output, ends it with a line feed and flushes, so the
// lines interleave correctly with other processes reading them. Control characters in the line
// (from a path or a name) are written as \n, \r, \t or \xNN, so one call is one line.
void logLine(std::string_view line);

}  // namespace corkwallery::platform
