// varrowmere-selfplay: plays single ends of the engine against itself and writes one end
// score per line (from the view of the side with the last stone), the format of the
// free-guard score files. Lines are written and flushed as the ends finish, so a run that is
// stopped leaves every finished end behind; runs with different seeds can be concatenated.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "candidates/candidates.h"
#include "driver/options.h"
#include "physics/motion.h"
#include "platform/os.h"
#include "search/search_threads.h"
#include "selfplay.h"

namespace {

using namespace varrowmere;
using namespace varrowmere::selfplay;

// Seconds between progress lines.
constexpr double PROGRESS_INTERVAL = 10.0;

struct Options {
  SelfPlaySettings settings;
  int64_t ends = 0;
  int32_t threads = DEFAULT_SEARCH_THREADS;  // 0: every hardware thread
  std::string out;
};

void usage(const char* program) {
  std::fprintf(stderr,
               "usage: %s --variant NAME --ends N --out FILE [--depth D] [--seed S] "
               "[--noise F] [--threads T]\n"
               "  --variant  CenterGuard, CornerGuard or 2ply-2ply\n"
               "  --ends     ends to play\n"
               "  --out      file the scores are appended to\n"
               "  --depth    plies of each search (default 1)\n"
               "  --seed     seed of the delivery noise and the corner guard's side (default 1)\n"
               "  --noise    scale of the delivery noise, 0 = exact shots (default 1)\n"
               "  --threads  search threads, 0 = every hardware thread (default 2); the ends\n"
               "             played do not depend on it\n",
               program);
}

bool parseOptions(int argc, char** argv, Options& options) {
  bool haveVariant = false;
  for (int a = 1; a + 1 < argc; a += 2) {
    const std::string name = argv[a];
    const char* value = argv[a + 1];
    char* end = nullptr;
    if (name == "--variant") {
      haveVariant = parseOpening(value, options.settings.opening);
      if (!haveVariant) return false;
      continue;
    }
    if (name == "--out") {
      options.out = value;
      continue;
    }
    if (name == "--noise") {
      options.settings.noiseScale = std::strtod(value, &end);
      if (*end != '\0' || !(options.settings.noiseScale >= 0.0)) return false;
      continue;
    }
    const unsigned long long number = std::strtoull(value, &end, 10);
    if (*value == '\0' || *end != '\0') return false;
    if (name == "--ends") {
      options.ends = static_cast<int64_t>(number);
    } else if (name == "--depth") {
      options.settings.depth = static_cast<int32_t>(number);
      if (number < 1 || number > 3) return false;
    } else if (name == "--seed") {
      options.settings.seed = number;
    } else if (name == "--threads") {
      if (number > MAX_SEARCH_THREADS) return false;
      options.threads = static_cast<int32_t>(number);
    } else {
      return false;
    }
  }
  return argc % 2 == 1 && haveVariant && options.ends > 0 && !options.out.empty();
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, options)) {
    usage(argv[0]);
    return 2;
  }
  std::FILE* out = std::fopen(options.out.c_str(), "a");
  if (out == nullptr) {
    std::fprintf(stderr, "cannot open %s\n", options.out.c_str());
    return 1;
  }

  tuneAllocator();
  setSearchThreads(options.threads);
  buildChordTable();
  buildTrajectoryTables();
  buildCandidateTables();
  const match::NoiseSigmas sigmas = match::deriveNoiseSigmas();
  const SelfPlaySettings& s = options.settings;
  std::fprintf(stderr,
               "%s: %lld ends, depth %d, %d threads, seed %llu, noise x%g (speed "
               "%.4f m/s, direction %.5f rad) -> %s\n",
               openingInfo(s.opening).name, static_cast<long long>(options.ends), s.depth,
               searchThreadCount(), static_cast<unsigned long long>(s.seed), s.noiseScale,
               sigmas.speed * s.noiseScale, sigmas.angle * s.noiseScale, options.out.c_str());

  SelfPlay play(s, sigmas);
  const auto start = std::chrono::steady_clock::now();
  double lastReport = 0.0;
  int64_t sum = 0;
  for (int64_t done = 1; done <= options.ends; ++done) {
    const int32_t score = play.playEnd();
    sum += score;
    std::fprintf(out, "%d\n", score);
    std::fflush(out);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (elapsed - lastReport >= PROGRESS_INTERVAL || done == options.ends) {
      lastReport = elapsed;
      const double left = elapsed / static_cast<double>(done) *
                          static_cast<double>(options.ends - done);
      std::fprintf(stderr, "%lld/%lld ends, %.0f s, %.2f s per end, mean score %+.3f, "
                   "about %.0f s left\n",
                   static_cast<long long>(done), static_cast<long long>(options.ends), elapsed,
                   elapsed / static_cast<double>(done),
                   static_cast<double>(sum) / static_cast<double>(done), left);
    }
  }
  std::fclose(out);
  return 0;
}
