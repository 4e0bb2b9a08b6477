// The portable math functions over seeded arguments in the ranges the engine uses and wider:
// the largest error in ulps against the C library's long double functions (which carry 11
// more bits), and the share of arguments where the C library's double result differs.
// With --bits, only a hash of the results per range, to compare builds bit for bit (the
// Windows programs under wine against Linux); it compiles on its own for that:
//   x86_64-w64-mingw32-g++-posix -O2 -std=c++20 -ffp-contract=off -static -Isrc
//       bench/math_accuracy.cpp src/platform/portable_math.cpp -o math_accuracy.exe
// (i686: add -msse2 -mfpmath=sse).
//   bench_math_accuracy [arguments per range (default 1000000)] [--bits]

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/portable_math.h"

namespace {

using namespace varrowmere;

// splitmix64: the same arguments on every system.
struct Arguments {
  uint64_t state;
  double uniform(double lo, double hi) {
    uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return lo + (hi - lo) * (static_cast<double>((z ^ (z >> 31)) >> 11) * 0x1p-53);
  }
};

// One function on one range of arguments: ours, the C library's double and long double ones.
struct Range {
  const char* name;
  double xLo, xHi, yLo, yHi;
  // The second argument is drawn from {yLo, yHi} (pow's integer exponents).
  bool twoValues;
  // The first argument is (1 + v) 2^u, u uniform in [xLo, xHi] (rounded to an integer), v in
  // [0, 1): spread evenly over the binades.
  bool logarithmic;
  double (*ours)(double, double);
  double (*library)(double, double);
  long double (*reference)(long double, long double);
};

const Range RANGES[] = {
    {"exp", -20, 2, 0, 0, false, false, [](double x, double) { return portable::exp(x); },
     [](double x, double) { return std::exp(x); },
     [](long double x, long double) { return expl(x); }},
    {"exp", -745, 709, 0, 0, false, false, [](double x, double) { return portable::exp(x); },
     [](double x, double) { return std::exp(x); },
     [](long double x, long double) { return expl(x); }},
    {"log", 0.01, 100, 0, 0, false, false, [](double x, double) { return portable::log(x); },
     [](double x, double) { return std::log(x); },
     [](long double x, long double) { return logl(x); }},
    {"log", -1000, 1000, 0, 0, false, true, [](double x, double) { return portable::log(x); },
     [](double x, double) { return std::log(x); },
     [](long double x, long double) { return logl(x); }},
    {"pow", 0, 2, 3, 4, true, false, [](double x, double y) { return portable::pow(x, y); },
     [](double x, double y) { return std::pow(x, y); },
     [](long double x, long double y) { return powl(x, y); }},
    {"pow", 0.01, 100, -30, 30, false, false,
     [](double x, double y) { return portable::pow(x, y); },
     [](double x, double y) { return std::pow(x, y); },
     [](long double x, long double y) { return powl(x, y); }},
    {"sin", -8, 8, 0, 0, false, false, [](double x, double) { return portable::sin(x); },
     [](double x, double) { return std::sin(x); },
     [](long double x, long double) { return sinl(x); }},
    {"sin", 20, 1000, 0, 0, false, true, [](double x, double) { return portable::sin(x); },
     [](double x, double) { return std::sin(x); },
     [](long double x, long double) { return sinl(x); }},
    {"cos", -8, 8, 0, 0, false, false, [](double x, double) { return portable::cos(x); },
     [](double x, double) { return std::cos(x); },
     [](long double x, long double) { return cosl(x); }},
    {"cos", 20, 1000, 0, 0, false, true, [](double x, double) { return portable::cos(x); },
     [](double x, double) { return std::cos(x); },
     [](long double x, long double) { return cosl(x); }},
    {"atan2", -50, 50, -50, 50, false, false,
     [](double y, double x) { return portable::atan2(y, x); },
     [](double y, double x) { return std::atan2(y, x); },
     [](long double y, long double x) { return atan2l(y, x); }},
    {"hypot", -50, 50, -50, 50, false, false,
     [](double x, double y) { return portable::hypot(x, y); },
     [](double x, double y) { return std::hypot(x, y); },
     [](long double x, long double y) { return hypotl(x, y); }},
};

// The distance of `value` from the exact `reference` in units of the last place of the
// double nearest the reference.
double ulpError(double value, long double reference) {
  int e = 0;
  std::frexp(static_cast<double>(reference), &e);
  const long double ulp = std::ldexp(1.0L, e - 53 < -1074 ? -1074 : e - 53);
  return static_cast<double>(std::fabs(static_cast<long double>(value) - reference) / ulp);
}

}  // namespace

int main(int argc, char** argv) {
  long count = 1000000;
  bool bitsOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--bits") == 0) {
      bitsOnly = true;
    } else {
      count = std::atol(argv[i]);
    }
  }
  if (bitsOnly) {
    std::printf("%-6s %-22s %-22s %s\n", "", "x", "y", "hash of the results");
  } else {
    std::printf("%-6s %-22s %-22s %14s %14s %12s\n", "", "x", "y", "max err (ulp)", "C lib (ulp)",
                "differ (%)");
  }
  for (const Range& range : RANGES) {
    Arguments arguments{1};
    uint64_t hash = 0xcbf29ce484222325ull;
    double worst = 0.0, worstLibrary = 0.0;
    long differ = 0;
    for (long i = 0; i < count; ++i) {
      double x = arguments.uniform(range.xLo, range.xHi);
      if (range.logarithmic) x = std::ldexp(1.0 + arguments.uniform(0, 1), static_cast<int>(x));
      double y = arguments.uniform(range.yLo, range.yHi);
      if (range.twoValues) y = i % 2 == 0 ? range.yLo : range.yHi;
      const double value = range.ours(x, y);
      hash = (hash ^ std::bit_cast<uint64_t>(value)) * 0x100000001b3ull;
      if (bitsOnly) continue;
      const double library = range.library(x, y);
      const long double reference = range.reference(x, y);
      if (std::isfinite(static_cast<double>(reference)) && reference != 0) {
        const double error = ulpError(value, reference);
        const double libraryError = ulpError(library, reference);
        if (error > worst) worst = error;
        if (libraryError > worstLibrary) worstLibrary = libraryError;
      }
      if (std::bit_cast<uint64_t>(value) != std::bit_cast<uint64_t>(library)) ++differ;
    }
    char xs[64], ys[64];
    std::snprintf(xs, sizeof(xs), range.logarithmic ? "2^[%g, %g]" : "[%g, %g]", range.xLo,
                  range.xHi);
    std::snprintf(ys, sizeof(ys), range.twoValues ? "{%g, %g}" : "[%g, %g]", range.yLo, range.yHi);
    if (range.yLo == range.yHi) std::snprintf(ys, sizeof(ys), "-");
    if (bitsOnly) {
      std::printf("%-6s %-22s %-22s %016llx\n", range.name, xs, ys,
                  static_cast<unsigned long long>(hash));
    } else {
      std::printf("%-6s %-22s %-22s %14.4f %14.4f %12.4f\n", range.name, xs, ys, worst,
                  worstLibrary, 100.0 * static_cast<double>(differ) / static_cast<double>(count));
    }
  }
  return 0;
}
