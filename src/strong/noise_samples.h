#pragma once
// Delivery errors the strong mode values a shot under: one fixed list per decision, shared by
// every candidate (common random numbers: a difference between two candidates is then not
// blurred by their having met different errors). The errors are Gaussian with the referee's
// deviations, made by the Box-Muller transform from a low-discrepancy sequence of the unit
// square, so that every prefix of the list covers the error distribution evenly.

#include <cstdint>
#include <vector>

#include "platform/delivery_error.h"

namespace varrowmere {

// The additive recurrence x_i = frac(x_0 + i * a) with a = (1/g, 1/g^2), g the plastic number
// (the real root of g^3 = g + 1): the prefixes of any length are evenly spread in 2-d.
inline constexpr double R2_STEP_U = 0.7548776662466927;
inline constexpr double R2_STEP_V = 0.5698402909980532;

struct NoiseSample {
  double speedError;  // m/s
  double angleError;  // rad
};

// Fills `out` with `count` samples for deviations `sigmas`; `seed` shifts the sequence (the
// same seed gives the same list).
void makeNoiseSamples(const NoiseSigmas& sigmas, uint64_t seed, int32_t count,
                      std::vector<NoiseSample>& out);

}  // namespace varrowmere
