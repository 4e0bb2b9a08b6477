#include "platform/portable_math.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "platform/portable_math_tables.h"

// The error-free sums and products below are exact only if no multiply-add is fused.
#if defined(__FAST_MATH__)
#error "portable_math.cpp needs IEEE arithmetic: build it without -ffast-math"
#endif
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#endif

namespace varrowmere::portable {

namespace {

using tables::Pair;

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr double NAN_VALUE = std::numeric_limits<double>::quiet_NaN();
// Added and taken away again, rounds a double below 2^51 to the nearest integer.
constexpr double ROUNDING_SHIFT = 0x1.8p52;
// exp overflows above the first and gives zero below the second.
constexpr double EXP_LARGEST = 0x1.62e42fefa39efp+9;
constexpr double EXP_SMALLEST = -745.2;
// Below this, sin and cos reduce with PIO2_1..4; above it, with the bits of 2 / pi.
constexpr double SHORT_REDUCTION_LIMIT = 0x1p20;

// a + b as the rounded sum and its exact error.
Pair twoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

// The same when |a| >= |b| (or a is zero).
Pair fastTwoSum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// x as two halves of at most 26 significant bits each (|x| < 2^995).
Pair split(double x) {
  const double c = 0x1.0000002p27 * x;
  const double hi = c - (c - x);
  return {hi, x - hi};
}

// a * b as the rounded product and its exact error (no underflow, |a|, |b| < 2^995).
Pair twoProduct(double a, double b) {
  const double p = a * b;
  const Pair as = split(a), bs = split(b);
  return {p, ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo};
}

uint64_t bitsOf(double x) { return std::bit_cast<uint64_t>(x); }
double fromBits(uint64_t bits) { return std::bit_cast<double>(bits); }

// 2^e for e in [-1022, 1023].
double powerOfTwo(int32_t e) { return fromBits(static_cast<uint64_t>(e + 1023) << 52); }

// x * 2^e for |e| < 2044, exact unless the result leaves the normal range (then rounded once).
double scaleByPowerOfTwo(double x, int32_t e) {
  if (e >= -1022 && e <= 1023) return x * powerOfTwo(e);
  const int32_t half = e / 2;
  return x * powerOfTwo(half) * powerOfTwo(e - half);
}

// The exponent e of a finite positive x, 2^e <= x < 2^(e+1).
int32_t exponentOf(double x) {
  const auto biased = static_cast<int32_t>(bitsOf(x) >> 52);
  if (biased != 0) return biased - 1023;
  return static_cast<int32_t>(bitsOf(x * 0x1p54) >> 52) - 1023 - 54;
}

// x with the lowest `bits` bits of its mantissa cleared: a head that multiplies exactly with
// a number of at most `bits` significant bits.
double clearLowBits(double x, int bits) {
  return fromBits(bitsOf(x) & ~((uint64_t{1} << bits) - 1));
}

// exp(x + xlo) as (hi + lo) 2^m, hi + lo in [0.99, 2], for x in [EXP_SMALLEST, 709.8] and
// |xlo| tiny beside x: x = (128 m + j) ln2 / 128 + r, |r| <= ln2 / 256, so
// exp = 2^m 2^(j/128) exp(r).
Pair expMantissa(double x, double xlo, int32_t& m) {
  const double kd = (x * tables::INV_LN2_TIMES_128 + ROUNDING_SHIFT) - ROUNDING_SHIFT;
  const auto k = static_cast<int32_t>(kd);
  m = k >> 7;
  // Exact: kd * LN2_BY_128_HI has at most 53 bits and lies within a factor 2 of x. The tail
  // product is tiny: the sum's error matters only as an absolute error, as fastTwoSum's does.
  const double a = x - kd * tables::LN2_BY_128_HI;
  const Pair r = fastTwoSum(a, -kd * tables::LN2_BY_128_LO);
  const double rh = r.hi, rlo = r.lo + xlo;
  const double* c = tables::EXP_POLY;
  const double q = c[0] + rh * (c[1] + rh * (c[2] + rh * c[3]));
  // exp(rh + rlo) - 1 = (exp(rh) - 1) + rlo exp(rh); rlo is as large as 2^-44 from pow.
  const double p = rh + (rlo * (1.0 + rh) + rh * rh * q);
  const Pair& t = tables::EXP2_BY_128[k & 127];
  return {t.hi, t.lo + t.hi * p};
}

// (hi + lo) 2^m for hi + lo in [0.99, 2], rounded once: infinity past the largest double, and
// below the smallest normal one rounded straight to the subnormal grid. There hi 2^(m+1000)
// is added to 2^-22, whose binade has the grid's spacing 2^-74 (the grid scaled by 2^1000),
// and lo joins the exact remainder of that sum before the last rounding.
double scaleResult(const Pair& y, int32_t m) {
  if (m >= 1024) return (y.hi + y.lo) * powerOfTwo(m - 1) * 2.0;
  if (m > -1022) return (y.hi + y.lo) * powerOfTwo(m);
  const double scale = powerOfTwo(m + 1000);
  const double rounded = (y.hi + y.lo) * scale;
  if (rounded >= 0x1p-22) return rounded * 0x1p-1000;
  const Pair s = twoSum(0x1p-22, y.hi * scale);
  return ((s.hi + (s.lo + y.lo * scale)) - 0x1p-22) * 0x1p-1000;
}

// ln(x) as hi + lo, relative error below 2^-70, for finite x > 0. x = 2^e f, f in [1, 2);
// with the cell's inv, f inv = 1 + r, |r| < 2^-7.9, exactly, and ln(1 + r) by its series.
Pair logCore(double x) {
  uint64_t bits = bitsOf(x);
  int32_t e = -1023;
  if (bits < 0x0010000000000000ull) {
    bits = bitsOf(x * 0x1p54);
    e -= 54;
  }
  e += static_cast<int32_t>(bits >> 52);
  const double f = fromBits((bits & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
  const auto j = static_cast<int32_t>((((bits >> 44) & 255) + 1) >> 1);
  const tables::LogCell& cell = tables::LOG_CELLS[j];
  if (j >= 64) ++e;
  // inv has at most 12 significant bits: both products are exact, and fh * inv - 1 too.
  const double fh = clearLowBits(f, 12);
  const Pair r = twoSum(fh * cell.inv - 1.0, (f - fh) * cell.inv);
  const double rh = r.hi;
  // ln(1 + r) - r, from -r^2/2 to r^9/9; the next term is below 2^-72 of r.
  const double series =
      rh * rh *
      (-0.5 + rh * (0x1.5555555555555p-2 +
                    rh * (-0.25 + rh * (0x1.999999999999ap-3 +
                                        rh * (-0x1.5555555555555p-3 +
                                              rh * (0x1.2492492492492p-3 +
                                                    rh * (-0.125 + rh * 0x1.c71c71c71c71cp-4)))))));
  const double t = r.lo * (1.0 - rh) + series;
  const double ed = e;
  // Exact: both are multiples of 2^-42 below 2^11.
  const double u = ed * tables::LN2_HI + cell.ln.hi;
  const Pair v = twoSum(u, rh);
  const double lo = v.lo + (ed * tables::LN2_LO + cell.ln.lo) + t;
  return fastTwoSum(v.hi, lo);
}

// The double-double product of a and b (each hi + lo with |lo| <= ulp(hi) / 2), normalized.
Pair multiply(const Pair& a, const Pair& b) {
  const Pair p = twoProduct(a.hi, b.hi);
  return fastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

// x^n for x > 0 and 1 <= n <= POW_INTEGER_LIMIT by squaring, in double-double, when every
// partial power stays far inside the normal range; false otherwise.
constexpr double POW_INTEGER_LIMIT = 64.0;
bool integerPower(double x, int32_t n, double& result) {
  const int32_t e = exponentOf(x);
  if ((e + 1) * n > 990 || e * n < -960) return false;
  Pair power{x, 0.0};
  Pair product{1.0, 0.0};
  bool first = true;
  for (;;) {
    if ((n & 1) != 0) {
      product = first ? power : multiply(product, power);
      first = false;
    }
    n >>= 1;
    if (n == 0) break;
    power = multiply(power, power);
  }
  result = product.hi;
  return true;
}

// 0: not an integer, 1: an odd integer, 2: an even integer (finite y other than 0), read
// from the bits: the mantissa's bits below the units, and the units bit.
int integerKind(double y) {
  const uint64_t bits = bitsOf(y);
  const int32_t e = static_cast<int32_t>((bits >> 52) & 0x7ff) - 1023;
  if (e < 0) return 0;
  if (e > 52) return 2;
  const uint64_t mantissa = (bits & 0x000fffffffffffffull) | 0x0010000000000000ull;
  const int32_t fraction = 52 - e;
  if ((mantissa & ((uint64_t{1} << fraction) - 1)) != 0) return 0;
  return ((mantissa >> fraction) & 1) != 0 ? 1 : 2;
}

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

double exp(double x) {
  int32_t m = 0;
  // The common case: exp(x) lies well inside the normal range, 2^m is a double.
  if (std::fabs(x) < 708.0) {
    const Pair y = expMantissa(x, 0.0, m);
    return (y.hi + y.lo) * powerOfTwo(m);
  }
  if (x != x) return x + x;
  if (x > EXP_LARGEST) return INF;
  if (x < EXP_SMALLEST) return 0.0;
  const Pair y = expMantissa(x, 0.0, m);
  return scaleResult(y, m);
}

double log(double x) {
  if (x != x) return x + x;
  if (x < 0.0) return NAN_VALUE;
  if (x == 0.0) return -INF;
  if (x == INF) return x;
  return logCore(x).hi;
}

double pow(double x, double y) {
  if (y == 0.0 || x == 1.0) return 1.0;
  if (x != x || y != y) return x + y;
  const double ax = std::fabs(x);
  if (std::isinf(y)) {
    if (ax == 1.0) return 1.0;
    return (ax > 1.0) == (y > 0.0) ? INF : 0.0;
  }
  const int kind = integerKind(y);
  const bool odd = kind == 1;
  if (ax == 0.0 || std::isinf(ax)) {
    // 0^y and inf^y: zero or infinity, by the sign of y and whether 0 or inf is raised.
    const double magnitude = (ax == 0.0) == (y < 0.0) ? INF : 0.0;
    return odd && std::signbit(x) ? -magnitude : magnitude;
  }
  if (x < 0.0 && kind == 0) return NAN_VALUE;
  const double sign = x < 0.0 && odd ? -1.0 : 1.0;
  double result = 0.0;
  if (kind != 0 && y > 0.0 && y <= POW_INTEGER_LIMIT &&
      integerPower(ax, static_cast<int32_t>(y), result)) {
    return sign * result;
  }
  // |y| >= 2^64 (an even integer) with |x| != 1 over- or underflows: |y ln x| >= 2^64 2^-53.
  if (std::fabs(y) >= 0x1p64) {
    if (ax == 1.0) return 1.0;
    return (ax > 1.0) == (y > 0.0) ? INF : 0.0;
  }
  const Pair l = logCore(ax);
  const Pair z = twoProduct(y, l.hi);
  if (z.hi > 709.8) return sign * INF;
  if (z.hi < EXP_SMALLEST) return sign * 0.0;
  int32_t m = 0;
  const Pair mantissa = expMantissa(z.hi, z.lo + y * l.lo, m);
  return sign * scaleResult(mantissa, m);
}

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
