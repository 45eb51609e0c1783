#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "StateFileRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!corkwallery::stateFileRoundTripHolds(bytes))
        std::abort();
    return 0;
}
