#include "platform/Random.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cstdint>

namespace corkwallery::platform::random {

// Step k of 2^53 steps, the last one b itself, since a + (b - a) may round away from b.
double uniformDouble(double a, double b) {
    constexpr std::uint64_t kSteps = std::uint64_t{1} << 53;
    const std::uint64_t k = QRandomGenerator::system()->bounded(quint64{kSteps + 1});
    if (k == kSteps)
        return b;
    const double value = a + (b - a) * (static_cast<double>(k) / static_cast<double>(kSteps));
    return std::clamp(value, std::min(a, b), std::max(a, b));
}

}  // namespace corkwallery::platform::random
