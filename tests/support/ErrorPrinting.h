#pragma once

#include <ostream>

#include "platform/Result.h"

namespace corkwallery::platform {

// Readable errors in test failures.
inline void PrintTo(const Error& error, std::ostream* out) {
    *out << "{kind " << static_cast<int>(error.kind) << ", \"" << error.message << "\"}";
}

}  // namespace corkwallery::platform
