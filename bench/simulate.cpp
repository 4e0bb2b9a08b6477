// Shot simulation figures: (a) simulateShot throughput, single thread, over a fixed seeded
// set of positions (0, 4, 8 and 12 stones in and around the house) times every candidate
// of the four grids; (b) the step-by-step reference on a subset of the same shots; (c) how
// often the two agree (same stones in play, every stone within 1 cm), the median and 95th
// percentile of the largest stone difference per shot, and the worst cases.
//
// Usage: bench_simulate [positions per stone count, default 8] [reference stride, default 7]
//                       [fast repetitions, default 3]
// The reference plays every stride-th shot of each set; the fast simulation plays them all,
// repeatedly, and the best repetition's time counts (the machine may be shared). Times are
// the thread's CPU time.

#include "physics/simulate.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "candidates/candidates.h"
#include "physics/motion.h"
#include "physics/reference_sim.h"

namespace varrowmere {
namespace {

using Clock = std::chrono::steady_clock;

// Agreement tolerance on each stone (m).
constexpr double AGREEMENT_TOLERANCE = 0.01;
constexpr uint32_t POSITION_SEED = 20261206;
constexpr int STONE_COUNTS[] = {0, 4, 8, 12};
// Stones of a generated position: in the house (within this radius of the tee, m) or
// guards between the house and the hog line; never closer than this gap (m) to another.
constexpr double HOUSE_RADIUS = 1.83;
constexpr double GUARD_SHARE = 0.3;
constexpr double MIN_GAP = 0.30;

struct Candidate {
  StoneLocus locus;
  ShotVector shot;
  int grid;  // 0 draw spin 0, 1 hit spin 0, 2 draw spin 1, 3 hit spin 1
  int cell;
};

double seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// CPU time of this thread (s): on a shared machine, time spent waiting for a core is not
// the simulation's.
double threadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

GameState makePosition(std::mt19937& rng, int stones) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  GameState state;
  state.shotNum = stones;
  state.whiteToMove = stones % 2 != 0;
  for (int i = 0; i < stones; ++i) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
      double x, y;
      if (unit(rng) < GUARD_SHARE) {
        x = 0.5 + 3.75 * unit(rng);
        y = 7.0 + 4.0 * unit(rng);
      } else {
        const double r = HOUSE_RADIUS * std::sqrt(unit(rng)), a = 6.283185307179586 * unit(rng);
        x = TEE_X + r * std::cos(a);
        y = TEE_Y + r * std::sin(a);
      }
      bool clear = inFinalPlayArea(x, y);
      for (int j = 0; j < i && clear; ++j)
        clear = std::hypot(x - state.stonePos[j][0], y - state.stonePos[j][1]) >= MIN_GAP;
      if (!clear) continue;
      state.stonePos[i][0] = static_cast<float>(x);
      state.stonePos[i][1] = static_cast<float>(y);
      break;
    }
  }
  return state;
}

std::vector<Candidate> allCandidates() {
  std::vector<Candidate> all;
  const GridKind kinds[2] = {GridKind::Draw, GridKind::Hit};
  for (int spin = 0; spin < 2; ++spin) {
    for (int g = 0; g < 2; ++g) {
      const GridTable& table = gridTable(kinds[g], spin);
      for (int32_t c = 0; c < table.total; ++c) {
        const StoneLocus& locus = table.loci[c].locus;
        all.push_back(
            {locus, ShotVector{locus.shot[0], locus.shot[1], locus.spin != 0}, 2 * spin + g, c});
      }
    }
  }
  return all;
}

// Why two results disagree: the lone-shot rule (with no stone at rest the shot is only tested
// against the final play area, while the reference removes a stone that crossed the
// moving area's back limit), a stone within 2 mm of an area limit in one of the results, or
// anything else.
enum Cause { LONE_SHOT = 0, AT_LIMIT = 1, OTHER = 2 };
const char* CAUSE_NAMES[3] = {"lone shot behind the moving area", "at an area limit", "other"};
constexpr double LIMIT_MARGIN = 0.002;

bool nearLimit(float x, float y) {
  const double limits[] = {SHEET_X_MIN, SHEET_X_MAX, BACK_LIMIT_Y, FINAL_Y_MIN, FINAL_Y_MAX};
  for (int i = 0; i < 5; ++i)
    if (std::fabs((i < 2 ? x : y) - limits[i]) < LIMIT_MARGIN) return true;
  return false;
}

struct Comparison {
  bool agree = false;
  Cause cause = OTHER;
  double worst = 0.0;   // largest difference of a stone in play in both (m)
  int worstStone = -1;  // stone with the largest difference, or a stone in play in only one
  bool playMismatch = false;
};

Comparison compare(const GameState& in, const GameState& fast, const GameState& ref) {
  Comparison c;
  c.agree = true;
  const int last = std::min(in.shotNum, STONE_COUNT - 1);
  for (int i = 0; i <= last; ++i) {
    const bool a = stoneInPlay(fast, i), b = stoneInPlay(ref, i);
    if (a != b) {
      c.agree = false;
      c.playMismatch = true;
      c.worstStone = i;
      continue;
    }
    if (!a) continue;
    const double d = std::hypot(double{fast.stonePos[i][0]} - ref.stonePos[i][0],
                                double{fast.stonePos[i][1]} - ref.stonePos[i][1]);
    if (d > c.worst) {
      c.worst = d;
      if (!c.playMismatch) c.worstStone = i;
    }
    if (d > AGREEMENT_TOLERANCE) c.agree = false;
  }
  if (!c.agree && c.playMismatch) {
    const int s = c.worstStone;
    const GameState& kept = stoneInPlay(fast, s) ? fast : ref;
    bool alone = true;
    for (int i = 0; i < std::min(in.shotNum, STONE_COUNT); ++i)
      alone = alone && !stoneInPlay(in, i);
    if (alone && s == in.shotNum && &kept == &fast &&
        !inMovingArea(fast.stonePos[s][0], fast.stonePos[s][1]))
      c.cause = LONE_SHOT;
    else if (nearLimit(kept.stonePos[s][0], kept.stonePos[s][1]))
      c.cause = AT_LIMIT;
  }
  return c;
}

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

struct Case {
  Comparison comparison;
  int count, position;
  const Candidate* candidate;
  GameState in, fast, ref;
};

const char* GRID_NAMES[4] = {"draw/0", "hit/0", "draw/1", "hit/1"};

void printCase(const Case& c) {
  const int s = c.comparison.worstStone;
  std::printf("    %2d stones, position %d, %s cell %4d (%s): %s, stone %d", c.count, c.position,
              GRID_NAMES[c.candidate->grid], c.candidate->cell, CAUSE_NAMES[c.comparison.cause],
              c.comparison.playMismatch ? "in play in one only" : "apart", s);
  if (s >= 0)
    std::printf(" fast (%.4f, %.4f) reference (%.4f, %.4f) from (%.3f, %.3f)",
                c.fast.stonePos[s][0], c.fast.stonePos[s][1], c.ref.stonePos[s][0],
                c.ref.stonePos[s][1], c.in.stonePos[s][0], c.in.stonePos[s][1]);
  std::printf(", largest distance %.4f m\n", c.comparison.worst);
}

}  // namespace
}  // namespace varrowmere

int main(int argc, char** argv) {
  using namespace varrowmere;
  const int positionsPerCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
  const int stride = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  const int repetitions = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;

  const auto t0 = Clock::now();
  buildChordTable();
  buildTrajectoryTables();
  const auto t1 = Clock::now();
  buildCandidateTables();
  const auto t2 = Clock::now();
  std::printf("tables %.2f s, candidate tables %.2f s\n", seconds(t0, t1), seconds(t1, t2));
  const std::vector<Candidate> candidates = allCandidates();
  std::printf("%zu candidates, %d positions per stone count, reference on every %d-th shot\n\n",
              candidates.size(), positionsPerCount, stride);

  std::mt19937 rng(POSITION_SEED);
  SimWorld world;
  std::vector<double> allWorst;
  std::vector<Case> failures;
  long agreeing = 0, compared = 0;
  uint64_t signature = 1469598103934665603ull;

  std::printf(
      "stones  shots      fast/s     us/shot | ref shots  ref/s   ms/shot  speed-up  agree\n");
  for (const int count : STONE_COUNTS) {
    std::vector<GameState> positions;
    for (int p = 0; p < positionsPerCount; ++p) positions.push_back(makePosition(rng, count));

    // (a) the fast simulation over every candidate of every position.
    std::vector<GameState> fastOut(positions.size() * candidates.size());
    double fastTime = 1e300;
    for (int r = 0; r < repetitions; ++r) {
      const double f0 = threadSeconds();
      for (std::size_t p = 0; p < positions.size(); ++p) {
        StoneLocus stones[STONE_COUNT];
        int32_t stoneCount = 0;
        loadStones(positions[p], stones, stoneCount);
        for (std::size_t c = 0; c < candidates.size(); ++c) {
          GameState& out = fastOut[p * candidates.size() + c];
          out = positions[p];
          simulateShot(world, candidates[c].locus, stones, stoneCount, positions[p], out);
        }
      }
      fastTime = std::min(fastTime, threadSeconds() - f0);
    }
    const double fastRate = static_cast<double>(fastOut.size()) / fastTime;
    for (const GameState& s : fastOut)
      for (const auto& xy : s.stonePos)
        for (const float v : xy) signature = (signature ^ std::hash<float>{}(v)) * 1099511628211ull;

    // (b) the reference on every stride-th shot, (c) compared.
    long refShots = 0, agreeHere = 0;
    double refTime = 0.0;
    for (std::size_t k = 0; k < fastOut.size(); k += stride) {
      const std::size_t p = k / candidates.size(), c = k % candidates.size();
      GameState ref;
      const double r0 = threadSeconds();
      simulateReference(positions[p], candidates[c].shot, ref);
      refTime += threadSeconds() - r0;
      applyFreeGuardZone(positions[p], ref);
      ++refShots;
      const Comparison cmp = compare(positions[p], fastOut[k], ref);
      allWorst.push_back(cmp.worst);
      if (cmp.agree) {
        ++agreeHere;
      } else {
        failures.push_back(
            {cmp, count, static_cast<int>(p), &candidates[c], positions[p], fastOut[k], ref});
      }
    }
    agreeing += agreeHere;
    compared += refShots;
    const double refRate = static_cast<double>(refShots) / refTime;
    std::printf("%6d %7zu %11.0f %10.2f | %9ld %6.0f %8.3f %9.0f %6.2f%%\n", count, fastOut.size(),
                fastRate, 1e6 / fastRate, refShots, refRate, 1e3 / refRate, fastRate / refRate,
                100.0 * static_cast<double>(agreeHere) / static_cast<double>(refShots));
  }

  std::printf("\nagreement: %ld of %ld shots (%.2f%%)\n", agreeing, compared,
              100.0 * static_cast<double>(agreeing) / static_cast<double>(compared));
  std::printf(
      "largest stone difference per shot: median %.6f m, 95th percentile %.6f m, "
      "99th percentile %.6f m\n",
      percentile(allWorst, 0.5), percentile(allWorst, 0.95), percentile(allWorst, 0.99));
  long mismatches = 0, causes[3] = {};
  for (const Case& f : failures) {
    mismatches += f.comparison.playMismatch;
    ++causes[f.comparison.cause];
  }
  std::printf("disagreements: %zu (%ld with a stone in play in one result only)\n", failures.size(),
              mismatches);
  for (int k = 0; k < 3; ++k) std::printf("  %-34s %ld\n", CAUSE_NAMES[k], causes[k]);
  std::printf(
      "agreement leaving out the lone-shot rule: %.2f%%\n",
      100.0 * static_cast<double>(agreeing) / static_cast<double>(compared - causes[LONE_SHOT]));
  // Other causes first, then by size.
  std::sort(failures.begin(), failures.end(), [](const Case& a, const Case& b) {
    if (a.comparison.cause != b.comparison.cause) return a.comparison.cause > b.comparison.cause;
    if (a.comparison.playMismatch != b.comparison.playMismatch) return a.comparison.playMismatch;
    return a.comparison.worst > b.comparison.worst;
  });
  std::printf("worst cases:\n");
  for (std::size_t i = 0; i < std::min<std::size_t>(failures.size(), 16); ++i)
    printCase(failures[i]);
  std::printf("signature of the fast results: %016llx\n",
              static_cast<unsigned long long>(signature));
  return 0;
}
