// sin, cos, atan2 and hypot of portable_math.h.
#include <cmath>
#include <cstdint>
#include <utility>

#include "platform/double_double.h"
#include "platform/portable_math.h"
#include "platform/portable_math_tables.h"

namespace varrowmere::portable {

namespace {

// Below this, sin and cos reduce with PIO2_1..4; above it, with the bits of 2 / pi.
constexpr double SHORT_REDUCTION_LIMIT = 0x1p20;

// x = q pi/2 + (hi + lo), |hi| <= pi/4 (barely more with the rounding of k), for finite
// x >= 0. Quadrant q modulo 4.
struct Reduced {
  int32_t quadrant;
  Pair r;
};

// The fraction of x * 2/pi from the integer product of x's mantissa and a window of the bits
// of 2/pi: bits before the window add multiples of 4, bits after it less than 2^-138.
Reduced reduceLarge(double x) {
  const uint64_t bits = bitsOf(x);
  const uint64_t mantissa = (bits & 0x000fffffffffffffull) | 0x0010000000000000ull;
  const int32_t e = static_cast<int32_t>(bits >> 52) - 1075;  // x = mantissa * 2^e, e >= -32
  // First word w0 whose bits weigh less than 4 once multiplied: e - 32 (w0 + 1) <= 1.
  int32_t w0 = (e + 30) / 32 - 1;
  if (w0 < 0) w0 = 0;
  constexpr int WINDOW = 7;
  uint32_t product[WINDOW + 2] = {};
  const uint32_t m[2] = {static_cast<uint32_t>(mantissa), static_cast<uint32_t>(mantissa >> 32)};
  for (int i = 0; i < WINDOW; ++i) {
    const uint64_t word = tables::TWO_OVER_PI_BITS[w0 + WINDOW - 1 - i];
    uint64_t carry = 0;
    for (int k = 0; k < 2; ++k) {
      const uint64_t t = word * m[k] + product[i + k] + carry;
      product[i + k] = static_cast<uint32_t>(t);
      carry = t >> 32;
    }
    product[i + 2] = static_cast<uint32_t>(carry);
  }
  // The product carries `point` bits of fraction.
  const int32_t point = 32 * (w0 + WINDOW) - e;
  // The 32 bits of the product from bit `from` up (zeros below bit 0).
  const auto bitsFrom = [&product](int32_t from) -> uint32_t {
    const int32_t word = from >= 0 ? from / 32 : (from - 31) / 32;
    const int32_t shift = from - 32 * word;
    const uint64_t low = word >= 0 ? product[word] : 0;
    const uint64_t high = word + 1 >= 0 && word + 1 < WINDOW + 2 ? product[word + 1] : 0;
    return static_cast<uint32_t>(((high << 32) | low) >> shift);
  };
  int32_t quadrant = static_cast<int32_t>(bitsFrom(point) & 3);
  // The fraction as hi + lo, summed from its least significant words up.
  Pair f{0.0, 0.0};
  for (int32_t n = 6; n >= 1; --n) {
    const double word = static_cast<double>(bitsFrom(point - 32 * n)) * powerOfTwo(-32 * n);
    const Pair s = twoSum(word, f.hi);
    f = fastTwoSum(s.hi, s.lo + f.lo);
  }
  if (f.hi >= 0.5) {
    ++quadrant;
    f = fastTwoSum(f.hi - 1.0, f.lo);
  }
  const Pair p = twoProduct(f.hi, tables::PI_OVER_2.hi);
  const double lo = p.lo + (f.hi * tables::PI_OVER_2.lo + f.lo * tables::PI_OVER_2.hi);
  return {quadrant & 3, fastTwoSum(p.hi, lo)};
}

Reduced reduce(double x) {
  if (x <= tables::PI_OVER_4.hi) return {0, {x, 0.0}};
  if (x >= SHORT_REDUCTION_LIMIT) return reduceLarge(x);
  const double kd = (x * tables::TWO_OVER_PI + ROUNDING_SHIFT) - ROUNDING_SHIFT;
  // Exact: kd * PIO2_1 has at most 53 bits and lies within a factor 2 of x.
  const double a = x - kd * tables::PIO2_1;
  const Pair s1 = twoSum(a, -kd * tables::PIO2_2);
  const Pair s2 = twoSum(s1.hi, -kd * tables::PIO2_3);
  const double lo = (s1.lo + s2.lo) - kd * tables::PIO2_4;
  return {static_cast<int32_t>(kd) & 3, fastTwoSum(s2.hi, lo)};
}

// round(32 t) for 0 <= t <= 1, halves up, without rounding error: with i from here,
// t - i/32 is exact (Sterbenz) also at i = 1, where t may be just 1/64.
int32_t nearestThirtySecond(double t) { return (static_cast<int32_t>(t * 64.0) + 1) >> 1; }

// sin(d) - d and cos(d) - 1 for |d| <= 1/64 (Taylor to d^9 and d^8).
double sinTail(double d, double d2) {
  return d * d2 *
         (-0x1.5555555555555p-3 +
          d2 * (0x1.1111111111111p-7 + d2 * (-0x1.a01a01a01a01ap-13 + d2 * 0x1.71de3a556c734p-19)));
}
double cosTail(double d2) {
  return d2 * (-0.5 + d2 * (0x1.5555555555555p-5 +
                            d2 * (-0x1.6c16c16c16c17p-10 + d2 * 0x1.a01a01a01a01ap-16)));
}

// sin(r) or cos(r) for r = hi + lo, 0 <= hi <= pi/4 (a bit more): r = c + d, c = i/32 from
// the table, sin(c + d) = S + C d + S (cos d - 1) + C (sin d - d), the leading product exact.
double sinKernel(double hi, double lo) {
  const int32_t i = nearestThirtySecond(hi);
  const double d = hi - i * 0x1p-5;
  const double d2 = d * d;
  const tables::SinCos& sc = tables::SIN_COS_BY_32[i];
  const Pair p = twoProduct(sc.cos.hi, d);
  const Pair s = twoSum(sc.sin.hi, p.hi);
  const double rest = (s.lo + p.lo) + sc.sin.lo + sc.cos.lo * d + lo * (sc.cos.hi - sc.sin.hi * d) +
                      sc.sin.hi * cosTail(d2) + sc.cos.hi * sinTail(d, d2);
  return s.hi + rest;
}

// cos(c + d) = C - S d + C (cos d - 1) - S (sin d - d).
double cosKernel(double hi, double lo) {
  const int32_t i = nearestThirtySecond(hi);
  const double d = hi - i * 0x1p-5;
  const double d2 = d * d;
  const tables::SinCos& sc = tables::SIN_COS_BY_32[i];
  const Pair p = twoProduct(sc.sin.hi, d);
  const Pair s = twoSum(sc.cos.hi, -p.hi);
  const double rest = (s.lo - p.lo) + sc.cos.lo - sc.sin.lo * d - lo * (sc.sin.hi + sc.cos.hi * d) +
                      sc.cos.hi * cosTail(d2) - sc.sin.hi * sinTail(d, d2);
  return s.hi + rest;
}

// sin (wantCos false) or cos of the reduced argument turned by `quadrant` quarter turns.
double sinOrCos(const Reduced& x, bool wantCos) {
  const int32_t q = (x.quadrant + (wantCos ? 1 : 0)) & 3;
  // sin(-r) = -sin(r), cos(-r) = cos(r).
  const bool negativeR = x.r.hi < 0.0;
  const double hi = negativeR ? -x.r.hi : x.r.hi;
  const double lo = negativeR ? -x.r.lo : x.r.lo;
  double v = (q & 1) != 0 ? cosKernel(hi, lo) : sinKernel(hi, lo);
  if ((q & 1) == 0 && negativeR) v = -v;
  return (q & 2) != 0 ? -v : v;
}

// atan(y / x) as hi + lo for 0 < y <= x, both finite. With c = i/32 nearest y/x,
// atan(y/x) = atan(c) + atan(u), u = (y - c x) / (x + c y), |u| <= 1/64, computed to double
// double precision; atan(u) by its Taylor series to u^11.
Pair atanRatio(double y, double x) {
  if (y * 0x1p60 < x) return {y / x, 0.0};
  const int32_t e = exponentOf(x);
  x = scaleByPowerOfTwo(x, -e);
  y = scaleByPowerOfTwo(y, -e);
  const int32_t i = nearestThirtySecond(y / x);
  const double c = i * 0x1p-5;
  // c has at most 6 significant bits, the heads at most 47: every product is exact.
  const double xh = clearLowBits(x, 6), yh = clearLowBits(y, 6);
  const Pair n = twoSum(y - c * xh, -c * (x - xh));
  const Pair d = twoSum(x, c * yh);
  const double dlo = d.lo + c * (y - yh);
  const double uh = n.hi / d.hi;
  const Pair m = twoProduct(uh, d.hi);
  const double ul = (((n.hi - m.hi) - m.lo) + n.lo - uh * dlo) / d.hi;
  const double u2 = uh * uh;
  const double tail = uh * u2 *
                      (-0x1.5555555555555p-2 +
                       u2 * (0x1.999999999999ap-3 +
                             u2 * (-0x1.2492492492492p-3 +
                                   u2 * (0x1.c71c71c71c71cp-4 + u2 * -0x1.745d1745d1746p-4))));
  const Pair& a = tables::ATAN_BY_32[i];
  const Pair s = twoSum(a.hi, uh);
  return {s.hi, s.lo + (a.lo + ul + tail)};
}

}  // namespace

double sin(double x) {
  if (!std::isfinite(x)) return x - x;
  const double v = sinOrCos(reduce(std::fabs(x)), false);
  return std::signbit(x) ? -v : v;
}

double cos(double x) {
  if (!std::isfinite(x)) return x - x;
  return sinOrCos(reduce(std::fabs(x)), true);
}

double atan2(double y, double x) {
  if (x != x || y != y) return x + y;
  const bool negativeX = std::signbit(x);
  double ay = std::fabs(y), ax = std::fabs(x);
  Pair a{0.0, 0.0};
  if (ay == 0.0) {
    a = negativeX ? tables::PI : Pair{0.0, 0.0};
  } else if (ax == 0.0 || (std::isinf(ay) && !std::isinf(ax))) {
    a = tables::PI_OVER_2;
  } else if (std::isinf(ax)) {
    a = std::isinf(ay) ? (negativeX ? tables::THREE_PI_OVER_4 : tables::PI_OVER_4)
                       : (negativeX ? tables::PI : Pair{0.0, 0.0});
  } else {
    const bool swapped = ay > ax;
    if (swapped) std::swap(ax, ay);
    const Pair t = atanRatio(ay, ax);
    // Turned into the octant of (x, y): pi/2 - t, pi/2 + t, pi - t.
    if (swapped || negativeX) {
      const Pair& base = !swapped ? tables::PI : tables::PI_OVER_2;
      const double sign = swapped && negativeX ? 1.0 : -1.0;
      const Pair s = twoSum(base.hi, sign * t.hi);
      a = {s.hi, s.lo + (base.lo + sign * t.lo)};
    } else {
      a = t;
    }
  }
  const double v = a.hi + a.lo;
  return std::signbit(y) ? -v : v;
}

double hypot(double x, double y) {
  double ax = std::fabs(x), ay = std::fabs(y);
  if (std::isinf(ax) || std::isinf(ay)) return INF;
  if (ax != ax || ay != ay) return ax + ay;
  if (ay > ax) std::swap(ax, ay);
  // Also when ay / ax < 2^-27: the root then lies within a quarter ulp of ax.
  if (ay == 0.0 || ay * 0x1p27 < ax) return ax;
  // Far out, scaled so that ax is in [1, 2): nothing over- or underflows below (ay >= 2^-27 ax
  // keeps the squares' error terms normal).
  const int32_t e = exponentOf(ax);
  const bool scaled = e > 450 || e < -450;
  if (scaled) {
    ax = scaleByPowerOfTwo(ax, -e);
    ay = scaleByPowerOfTwo(ay, -e);
  }
  const Pair xx = twoProduct(ax, ax), yy = twoProduct(ay, ay);
  const Pair s = twoSum(xx.hi, yy.hi);
  const double slo = s.lo + xx.lo + yy.lo;
  // One Newton step from the rounded root, with the residual s - h^2 exact.
  const double h = std::sqrt(s.hi);
  const Pair hh = twoProduct(h, h);
  const double correction = (((s.hi - hh.hi) - hh.lo) + slo) / (2.0 * h);
  return scaled ? scaleByPowerOfTwo(h + correction, e) : h + correction;
}

}  // namespace varrowmere::portable
