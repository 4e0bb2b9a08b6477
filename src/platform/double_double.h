#pragma once
// Double-double arithmetic for the portable math functions: sums and products of doubles
// carried exactly as a rounded value and its error, and exact scaling by powers of two. Every
// step is exact only with IEEE double arithmetic and no fused multiply-add (the project builds
// with -ffp-contract=off; the 32-bit Windows build uses SSE2, not x87).

#include <bit>
#include <cstdint>
#include <limits>

#if defined(__FAST_MATH__)
#error "the portable math functions need IEEE arithmetic: build without -ffast-math"
#endif
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#endif

namespace varrowmere::portable {

inline constexpr double INF = std::numeric_limits<double>::infinity();
// Added and taken away again, rounds a double below 2^51 to the nearest integer.
inline constexpr double ROUNDING_SHIFT = 0x1.8p52;

// A value as hi + lo, |lo| at most half an ulp of hi unless said otherwise.
struct Pair {
  double hi, lo;
};

// a + b as the rounded sum and its exact error.
inline Pair twoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// The same when |a| >= |b| (or a is zero).
inline Pair fastTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// x as two halves of at most 26 significant bits each (|x| < 2^995).
inline Pair split(double x) {
  const double c = 0x1.0000002p27 * x;
  const double hi = c - (c - x);
  return {hi, x - hi};
}

// a * b as the rounded product and its exact error (no underflow, |a|, |b| < 2^995).
inline Pair twoProduct(double a, double b) {
  const double p = a * b;
  const Pair as = split(a), bs = split(b);
  return {p, ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo};
}

inline uint64_t bitsOf(double x) { return std::bit_cast<uint64_t>(x); }
inline double fromBits(uint64_t bits) { return std::bit_cast<double>(bits); }

// 2^e for e in [-1022, 1023].
inline double powerOfTwo(int32_t e) { return fromBits(static_cast<uint64_t>(e + 1023) << 52); }

// x * 2^e for |e| < 2044, exact unless the result leaves the normal range (then rounded once).
inline double scaleByPowerOfTwo(double x, int32_t e) {
  if (e >= -1022 && e <= 1023) return x * powerOfTwo(e);
  const int32_t half = e / 2;
  return x * powerOfTwo(half) * powerOfTwo(e - half);
}

// The exponent e of a finite positive x, 2^e <= x < 2^(e+1).
inline int32_t exponentOf(double x) {
  const auto biased = static_cast<int32_t>(bitsOf(x) >> 52);
  if (biased != 0) return biased - 1023;
  return static_cast<int32_t>(bitsOf(x * 0x1p54) >> 52) - 1023 - 54;
}

// x with the lowest `bits` bits of its mantissa cleared: a head that multiplies exactly with
// a number of at most `bits` significant bits.
inline double clearLowBits(double x, int bits) {
  return fromBits(bitsOf(x) & ~((uint64_t{1} << bits) - 1));
}

}  // namespace varrowmere::portable
