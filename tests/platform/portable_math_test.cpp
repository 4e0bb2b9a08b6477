#include "platform/portable_math.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace varrowmere::portable {
namespace {

using Function = double (*)(double, double);
double expOf(double x, double) { return exp(x); }
double logOf(double x, double) { return log(x); }
double sinOf(double x, double) { return sin(x); }
double cosOf(double x, double) { return cos(x); }

uint64_t bitsOf(double x) { return std::bit_cast<uint64_t>(x); }

// The correctly rounded results (mpmath at 3000 bits), on arguments that reach each piece:
// both ends of the table cells, the series near 1, the ends of the exponent range (a result
// just below the smallest normal double, where rounding twice would miss), pow's integer and
// general paths with signs, sin and cos in every quadrant and far beyond 2^20
// (0x1.6ac5b262ca1ffp+849 lies within 2^-61 of a multiple of pi/2), atan2 in every octant and
// where y/x is just below 1/64, hypot at the ends of the range.
TEST(PortableMath, CorrectlyRoundedOnKnownArguments) {
  struct Case {
    Function f;
    double x, y, expected;
  };
  const Case cases[] = {
      {expOf, 1.0, 0, 0x1.5bf0a8b145769p+1},
      {expOf, 0x1.5eap+9, 0, 0x1.9cf8a1afb8ff4p+1011},
      {expOf, -0x1.72p+9, 0, 0x0.0000000000055p-1022},
      {expOf, -0x1.6232d13a0aa24p+9, 0, 0x0.ffd93e31af9a7p-1022},
      {expOf, -0x1.5p+1, 0, 0x1.28b6973646d82p-4},
      {logOf, 0x1.00000000006ep+0, 0, 0x1.b7ffffffffa18p-42},
      {logOf, 0x1.fffffffffffffp-1, 0, -0x1p-53},
      {logOf, 0x1.7fffffffffffp+0, 0, 0x1.9f323ecbf9821p-2},
      {logOf, 0x1.2p-1031, 0, -0x1.65422bbfcfe7dp+9},
      {pow, 0x1.82813d0d3df28p-1, 3.0, 0x1.b88253da9ba7p-2},
      {pow, -2.5, 3.0, -15.625},
      {pow, -2.5, 4.0, 39.0625},
      {pow, 0x1.3175f9da33996p+6, 0x1.db0ff0d2b1ceap+4, 0x1.a4393a50babd9p+185},
      {pow, 0.75, 72.0, 0x1.15af1839db044p-30},
      {sinOf, 1.0, 0, 0x1.aed548f090ceep-1},
      {sinOf, 0x1.921fb54442d18p+1, 0, 0x1.1a62633145c07p-53},
      {sinOf, 9.0, 0, 0x1.a6026360c2f91p-2},
      {sinOf, 0x1.0f0cf064dd592p+73, 0, -0x1.b453ab76bf397p-1},
      {sinOf, 0x1.6ac5b262ca1ffp+849, 0, 1.0},
      {cosOf, 0x1.2217c7f3321d7p+3, 0, -0x1.df4ab3ebd8778p-1},
      {cosOf, 0x1.921fb54442d18p+0, 0, 0x1.1a62633145c07p-54},
      {cosOf, 0x1.9ccfaa14b141ep+795, 0, -0x1.9a089ffb454fbp-1},
      {cosOf, 0x1.6ac5b262ca1ffp+849, 0, -0x1.14ae72e6ba22fp-61},
      {atan2, 0x1.fffffffffffffp-1, 64.0, 0x1.fff555bbb729ap-7},
      {atan2, -3.0, 0.5, -0x1.67d8863bc99bdp+0},
      {atan2, 5.0, -4.0, 0x1.1f6dc3e631131p+1},
      {atan2, 0x1.e41be819a2b23p-1, -0x1.ae51b1dde7006p+1, 0x1.6f07c9fe2b037p+1},
      {hypot, 0x1.cf96963f22276p+5, 0x1.21be1de77520cp+4, 0x1.e5b27a23e1196p+5},
      {hypot, 0x1.a8p+998, 0x1.fp+998, 0x1.464381a609fc1p+999},
      {hypot, 0x1p-1074, 0x1.8p-1073, 0x0.0000000000003p-1022},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bitsOf(c.f(c.x, c.y)), bitsOf(c.expected)) << std::hexfloat << c.x << " " << c.y;
  }
}

// Zeros, infinities and NaN as C99 Annex F wants them, the cases where the three pieces of
// pow and the eight octants of atan2 meet.
TEST(PortableMath, SpecialValues) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double pi = 0x1.921fb54442d18p+1;
  EXPECT_EQ(exp(-inf), 0.0);
  EXPECT_EQ(exp(710.0), inf);
  EXPECT_EQ(log(0.0), -inf);
  EXPECT_TRUE(std::isnan(log(-1.0)) && std::isnan(exp(nan)) && std::isnan(sin(inf)));
  EXPECT_EQ(bitsOf(sin(-0.0)), bitsOf(-0.0));
  EXPECT_EQ(cos(-0.0), 1.0);
  EXPECT_EQ(pow(nan, 0.0), 1.0);
  EXPECT_EQ(pow(-1.0, inf), 1.0);
  EXPECT_EQ(pow(-1.0, 0x1p70), 1.0);
  EXPECT_EQ(bitsOf(pow(-0.0, 3.0)), bitsOf(-0.0));
  EXPECT_EQ(pow(-0.0, -3.0), -inf);
  EXPECT_EQ(pow(-inf, -2.0), 0.0);
  EXPECT_EQ(pow(0.5, -inf), inf);
  EXPECT_TRUE(std::isnan(pow(-2.0, 0.5)));
  EXPECT_EQ(bitsOf(atan2(-0.0, -0.0)), bitsOf(-pi));
  EXPECT_EQ(atan2(-inf, -inf), -0x1.2d97c7f3321d2p+1);
  EXPECT_EQ(atan2(1.0, -inf), pi);
  EXPECT_EQ(atan2(1.0, -0.0), pi / 2);
  EXPECT_EQ(hypot(nan, -inf), inf);
  EXPECT_EQ(hypot(0x1.8p1023, 0x1.8p1023), inf);
}

// Results over seeded sweeps of the ranges the engine uses, folded into one hash per
// function: every build, Linux and both Windows ones, must give exactly these bits. A change
// here is a change of the engine's arithmetic: make it on purpose, in every build at once.
TEST(PortableMath, SweepsGiveTheSameBitsOnEveryBuild) {
  uint64_t state = 1;
  // splitmix64, then a uniform double in [lo, hi) from its top 53 bits.
  const auto uniform = [&state](double lo, double hi) {
    uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return lo + (hi - lo) * (static_cast<double>((z ^ (z >> 31)) >> 11) * 0x1p-53);
  };
  struct Sweep {
    Function f;
    double xLo, xHi, yLo, yHi;
    uint64_t hash;
  };
  const Sweep sweeps[] = {
      {expOf, -20.0, 2.0, 0, 0, 0x24f49405cd540a30ull},
      {logOf, 0.01, 100.0, 0, 0, 0xd64e3b514702c522ull},
      {pow, 0.0, 2.0, 3.0, 4.0, 0xd58bec8c14e3a19cull},
      {pow, 0.1, 10.0, -5.0, 5.0, 0x499e49bc4793d7b2ull},
      {sinOf, -8.0, 8.0, 0, 0, 0x6dac79fb938b7bfeull},
      {cosOf, -8.0, 8.0, 0, 0, 0x135b60a9b548ae58ull},
      {atan2, -50.0, 50.0, -50.0, 50.0, 0x12a4a9da7391b543ull},
      {hypot, -50.0, 50.0, -50.0, 50.0, 0xee9da323db40b9ddull},
  };
  for (const Sweep& s : sweeps) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (int i = 0; i < 20000; ++i) {
      const double x = uniform(s.xLo, s.xHi);
      double y = uniform(s.yLo, s.yHi);
      // pow's engine exponents are integers.
      if (s.yLo == 3.0) y = i % 2 == 0 ? 3.0 : 4.0;
      hash = (hash ^ bitsOf(s.f(x, y))) * 0x100000001b3ull;
    }
    EXPECT_EQ(hash, s.hash) << std::hex << hash << " " << std::hexfloat << s.xLo;
  }
}

}  // namespace
}  // namespace varrowmere::portable
