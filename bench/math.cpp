// Calls per second of the portable math functions against the C library's, one thread, over
// seeded arguments in the ranges the engine uses: exp of the evaluations' depths and the
// neighbour weights, pow with the evaluations' integer exponents 3 and 4 (and a general
// exponent), sin and cos of headings, atan2 and hypot of offsets on the sheet. The calls are
// independent (throughput, as in the evaluations' loops over stones).
//   bench_math [Google Benchmark options]

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "platform/portable_math.h"

namespace {

using namespace varrowmere;

constexpr std::size_t ARGUMENT_COUNT = 4096;
constexpr unsigned ARGUMENT_SEED = 20261207;

struct Domain {
  double xLo, xHi, yLo, yHi;
  // The second argument alternates between yLo and yHi (pow's integer exponents).
  bool twoValues;
};

constexpr Domain EXP_DOMAIN{-8.0, 0.5, 0, 0, false};
constexpr Domain LOG_DOMAIN{0.01, 100.0, 0, 0, false};
constexpr Domain POW_INTEGER_DOMAIN{0.0, 1.9, 3.0, 4.0, true};
constexpr Domain POW_DOMAIN{0.1, 10.0, -5.0, 5.0, false};
constexpr Domain ANGLE_DOMAIN{-3.5, 3.5, 0, 0, false};
constexpr Domain OFFSET_DOMAIN{-40.0, 40.0, -40.0, 40.0, false};

// Both sides are called through the same kind of pointer, so the call costs the same.
void BM_Math(benchmark::State& state, double (*f)(double, double), Domain domain) {
  std::mt19937_64 rng(ARGUMENT_SEED);
  std::uniform_real_distribution<double> x(domain.xLo, domain.xHi), y(domain.yLo, domain.yHi);
  std::vector<double> xs(ARGUMENT_COUNT), ys(ARGUMENT_COUNT);
  for (std::size_t i = 0; i < ARGUMENT_COUNT; ++i) {
    xs[i] = x(rng);
    ys[i] = domain.twoValues ? (i % 2 == 0 ? domain.yLo : domain.yHi) : y(rng);
  }
  for (auto _ : state) {
    for (std::size_t i = 0; i < ARGUMENT_COUNT; ++i) benchmark::DoNotOptimize(f(xs[i], ys[i]));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(ARGUMENT_COUNT));
}

double portableExp(double x, double) { return portable::exp(x); }
double libraryExp(double x, double) { return std::exp(x); }
double portableLog(double x, double) { return portable::log(x); }
double libraryLog(double x, double) { return std::log(x); }
double portablePow(double x, double y) { return portable::pow(x, y); }
double libraryPow(double x, double y) { return std::pow(x, y); }
double portableSin(double x, double) { return portable::sin(x); }
double librarySin(double x, double) { return std::sin(x); }
double portableCos(double x, double) { return portable::cos(x); }
double libraryCos(double x, double) { return std::cos(x); }
double portableAtan2(double y, double x) { return portable::atan2(y, x); }
double libraryAtan2(double y, double x) { return std::atan2(y, x); }
double portableHypot(double x, double y) { return portable::hypot(x, y); }
double libraryHypot(double x, double y) { return std::hypot(x, y); }

BENCHMARK_CAPTURE(BM_Math, exp_library, libraryExp, EXP_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, exp_portable, portableExp, EXP_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, log_library, libraryLog, LOG_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, log_portable, portableLog, LOG_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, pow_integer_library, libraryPow, POW_INTEGER_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, pow_integer_portable, portablePow, POW_INTEGER_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, pow_library, libraryPow, POW_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, pow_portable, portablePow, POW_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, sin_library, librarySin, ANGLE_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, sin_portable, portableSin, ANGLE_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, cos_library, libraryCos, ANGLE_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, cos_portable, portableCos, ANGLE_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, atan2_library, libraryAtan2, OFFSET_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, atan2_portable, portableAtan2, OFFSET_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, hypot_library, libraryHypot, OFFSET_DOMAIN);
BENCHMARK_CAPTURE(BM_Math, hypot_portable, portableHypot, OFFSET_DOMAIN);

}  // namespace

BENCHMARK_MAIN();
