#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "store/StateFileCodec.h"

namespace corkwallery {

// What must hold for any bytes read as a state file: reading never crashes, and whatever reads
// back whole also writes and reads back to the same records. Returns false, after printing why,
// when it does not hold.
inline bool stateFileRoundTripHolds(std::string_view bytes) {
    const auto records = StateFileCodec::decode(bytes);
    if (!records.ok())
        return true;
    const auto text = StateFileCodec::encode(records.value());
    if (!text.ok()) {
        std::fprintf(stderr, "records read back whole cannot be written: %s\n",
                     text.error().message.c_str());
        return false;
    }
    const auto again = StateFileCodec::decode(text.value());
    if (!again.ok() || again.value() != records.value()) {
        std::fprintf(stderr, "written records do not read back the same: %s\n",
                     text.value().c_str());
        return false;
    }
    return true;
}

}  // namespace corkwallery
