#include "platform/RandomSource.h"

#include <QRandomGenerator>
#include <algorithm>

namespace corkwallery::platform {

double RandomSource::valueAtStep(std::uint64_t k, double a, double b) {
    // a + (b - a) may round away from b, so the last step is b itself.
    if (k >= kIntervalSteps)
        return b;
    const double fraction = static_cast<double>(k) / static_cast<double>(kIntervalSteps);
    const double value = a + (b - a) * fraction;
    return std::clamp(value, std::min(a, b), std::max(a, b));
}

double RandomSource::uniformDouble(double a, double b) {
    // bounded() excludes its bound, hence one more than the last step.
    const quint64 k = QRandomGenerator::system()->bounded(quint64{kIntervalSteps + 1});
    return valueAtStep(k, a, b);
}

int RandomSource::uniformInteger(int lo, int hi) {
    if (hi <= lo)
        return lo;
    return static_cast<int>(QRandomGenerator::system()->bounded(qint64{lo}, qint64{hi} + 1));
}

}  // namespace corkwallery::platform
