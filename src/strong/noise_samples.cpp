#include "strong/noise_samples.h"

#include <cmath>
#include <numbers>

#include "platform/portable_math.h"

namespace varrowmere {

namespace {

// A uniform in [0, 1) from the top 53 bits of a mixed 64-bit word (splitmix64's finaliser).
double unitFromSeed(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * 0x1.0p-53;
}

double fraction(double x) { return x - std::floor(x); }

}  // namespace

void makeNoiseSamples(const NoiseSigmas& sigmas, uint64_t seed, int32_t count,
                      std::vector<NoiseSample>& out) {
  out.clear();
  const double u0 = unitFromSeed(seed), v0 = unitFromSeed(seed + 0x9e3779b97f4a7c15ull);
  for (int32_t i = 0; i < count; ++i) {
    // 1 - u lies in (0, 1]: the logarithm below stays finite.
    const double u = 1.0 - fraction(u0 + i * R2_STEP_U);
    const double v = fraction(v0 + i * R2_STEP_V);
    const double radius = std::sqrt(-2.0 * portable::log(u));
    const double angle = 2.0 * std::numbers::pi * v;
    out.push_back({sigmas.speed * radius * portable::cos(angle),
                   sigmas.angle * radius * portable::sin(angle)});
  }
}

}  // namespace varrowmere
