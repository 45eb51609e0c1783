#pragma once

// Random numbers from the system's source (QRandomGenerator::system()).
namespace corkwallery::platform::random {

// Uniform over the closed interval [a, b].
double uniformDouble(double a, double b);

}  // namespace corkwallery::platform::random
