#pragma once

#include <cstdint>

namespace corkwallery::platform {

// Uniform random numbers from the system's random source; nothing is seeded or remembered.
class RandomSource {
public:
    // A closed interval [a, b] is cut into 2^53 equal steps, so both ends can be drawn.
    static constexpr std::uint64_t kIntervalSteps = std::uint64_t{1} << 53;

    // The value of step k (0 to kIntervalSteps) of [a, b]: a + (b - a) * k / 2^53; exactly a at
    // step 0 and exactly b at the last step.
    static double valueAtStep(std::uint64_t k, double a, double b);

    // Uniform over the closed interval [a, b].
    static double uniformDouble(double a, double b);
    // Uniform over the integers lo to hi, both included.
    static int uniformInteger(int lo, int hi);
};

}  // namespace corkwallery::platform
