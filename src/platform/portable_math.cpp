#include "platform/portable_math.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "platform/double_double.h"
#include "platform/portable_math_tables.h"

namespace varrowmere::portable {

namespace {

constexpr double NAN_VALUE = std::numeric_limits<double>::quiet_NaN();
// exp overflows above the first and gives zero below the second.
constexpr double EXP_LARGEST = 0x1.62e42fefa39efp+9;
constexpr double EXP_SMALLEST = -745.2;

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

}  // namespace varrowmere::portable
