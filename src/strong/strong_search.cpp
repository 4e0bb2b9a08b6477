#include "strong/strong_search.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "candidates/candidates.h"
#include "physics/motion.h"
#include "physics/simulate.h"
#include "platform/delivery_error.h"
#include "search/search_node.h"
#include "search/search_threads.h"
#include "strong/last_stone.h"
#include "strong/noise_samples.h"

namespace varrowmere {

namespace {

struct RaceSizes {
  int32_t candidates, firstSamples, maxSamples;
};

RaceSizes raceSizes(const GameState& gs) {
  if (gs.shotNum == STONE_COUNT - 1)
    return {LAST_STONE_RACE_CANDIDATES, LAST_STONE_RACE_FIRST_SAMPLES, LAST_STONE_RACE_MAX_SAMPLES};
  return {RACE_CANDIDATES, RACE_FIRST_SAMPLES, RACE_MAX_SAMPLES};
}

ShotVector shotOf(int32_t set, int32_t index) {
  const CandidateSet& which = CANDIDATE_SETS[set];
  const StoneLocus& delivered = gridTable(which.kind, which.spin).loci[index].locus;
  return ShotVector{delivered.shot[0], delivered.shot[1], delivered.spin != 0};
}

bool sameShot(const ShotVector& a, const ShotVector& b) {
  return a.vx == b.vx && a.vy == b.vy && a.spin == b.spin;
}

// The designed choice first, then the cells of greatest expected value (the first in set and
// index order of equal ones), leaving out any near a better one of its set.
void chooseCandidates(const std::vector<double> (&expected)[CANDIDATE_SET_COUNT],
                      const ShotVector& gridShot, double gridValue, int32_t count,
                      std::vector<RaceCandidate>& race) {
  struct Ranked {
    double expected;
    int32_t set, index;
  };
  std::vector<Ranked> ranked;
  for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set) {
    for (int32_t i = 0; i < static_cast<int32_t>(expected[set].size()); ++i)
      ranked.push_back({expected[set][i], set, i});
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const Ranked& a, const Ranked& b) { return a.expected > b.expected; });

  race.clear();
  race.push_back({.shot = gridShot, .gridExpected = gridValue});
  std::vector<Ranked> taken;
  for (const Ranked& r : ranked) {
    if (static_cast<int32_t>(race.size()) >= count) break;
    const CandidateSet& which = CANDIDATE_SETS[r.set];
    const int32_t countX = gridTable(which.kind, which.spin).countX;
    const auto near = [&](const Ranked& t) {
      return t.set == r.set &&
             std::abs(t.index / countX - r.index / countX) < RACE_CANDIDATE_SPACING &&
             std::abs(t.index % countX - r.index % countX) < RACE_CANDIDATE_SPACING;
    };
    if (std::any_of(taken.begin(), taken.end(), near)) continue;
    taken.push_back(r);
    const ShotVector shot = shotOf(r.set, r.index);
    if (sameShot(shot, gridShot)) continue;
    race.push_back({.shot = shot, .gridExpected = r.expected});
  }
}

// A seed from what the search reads of the position, so that a position always meets the
// same errors.
uint64_t positionSeed(const GameState& gs) {
  uint64_t hash = 1469598103934665603ull ^ static_cast<uint64_t>(gs.shotNum);
  const auto* bytes = reinterpret_cast<const unsigned char*>(gs.stonePos);
  for (std::size_t b = 0; b < sizeof(gs.stonePos); ++b) hash = (hash ^ bytes[b]) * 1099511628211ull;
  return hash;
}

// The sigmas of the referee's errors, derived once (the reader thread's first strong search).
const NoiseSigmas& sigmas() {
  static const NoiseSigmas derived = deriveNoiseSigmas();
  return derived;
}

class Race {
 public:
  Race(const GameState& gs, int32_t depth, std::vector<RaceCandidate>& race)
      : gs_m(gs), depth_m(depth), race_m(race) {
    loadStones(gs, stones_m, stoneCount_m);
  }

  // Every candidate still in the race meets errors [from, to) of the list.
  void round(const std::vector<NoiseSample>& errors, int32_t from, int32_t to) {
    alive_m.clear();
    for (int32_t c = 0; c < static_cast<int32_t>(race_m.size()); ++c)
      if (race_m[c].alive) alive_m.push_back(c);
    const int32_t width = to - from;
    values_m.assign(alive_m.size() * static_cast<std::size_t>(width), 0.0);
    SearchThreads& threads = searchThreads();
    // The root's own base, as the designed search left it: every reply it holds is exact for
    // any position after a shot from this root.
    const ReplyBase* base =
        !threads.bases.empty() && threads.bases[0]->ready() ? threads.bases[0].get() : nullptr;
    threads.pool.run(static_cast<int32_t>(values_m.size()), [&](int32_t j, int32_t worker) {
      const RaceCandidate& candidate = race_m[alive_m[j / width]];
      values_m[j] = value(candidate.shot, errors[from + j % width], base, threads.workers[worker]);
    });
    // Summed in a fixed order, so that the result does not depend on the threads. The first
    // candidate never leaves the race, so its values are the first row.
    for (std::size_t a = 0; a < alive_m.size(); ++a) {
      RaceCandidate& candidate = race_m[alive_m[a]];
      for (int32_t k = 0; k < width; ++k) {
        const double v = values_m[a * width + k], lead = v - values_m[k];
        candidate.sum += v;
        candidate.leadSum += lead;
        candidate.leadSquares += lead * lead;
      }
      candidate.samples += width;
    }
    collectSearchCounts(threads);
  }

 private:
  // The value of `shot` delivered with `error`, for its player, as the search values a cell.
  double value(const ShotVector& shot, const NoiseSample& error, const ReplyBase* base,
               SearchWorker& worker) const {
    StoneLocus delivered;
    vec_to_locus_deliver(perturbShot(shot, error.speedError, error.angleError), delivered, false);
    GameState after = gs_m;
    simulateShot(worker.world, delivered, stones_m, stoneCount_m, gs_m, after);
    ++worker.simulated;
    return cellValue(after, depth_m - 1, base, worker, 0);
  }

  const GameState& gs_m;
  int32_t depth_m;
  std::vector<RaceCandidate>& race_m;
  StoneLocus stones_m[STONE_COUNT];
  int32_t stoneCount_m = 0;
  std::vector<int32_t> alive_m;
  std::vector<double> values_m;
};

double secondsBetween(StrongClock::time_point from, StrongClock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

}  // namespace

void strongSearch(const GameState& gs, int32_t depth, StrongClock::time_point deadline,
                  StrongResult& result) {
  depth = std::max(depth, 1);
  SearchNode node;
  const double gridValue = node.search(gs, depth, result.gridShot, /*everyCell=*/true);
  result.shot = result.gridShot;
  result.winner = 0;
  result.rounds = 0;

  const RaceSizes sizes = raceSizes(gs);
  std::vector<double> expected[CANDIDATE_SET_COUNT];
  for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set) {
    for (const CandidateCell& cell : node.cells(set)) expected[set].push_back(cell.expected);
  }
  chooseCandidates(expected, result.gridShot, gridValue, sizes.candidates, result.race);
  if (gs.shotNum == STONE_COUNT - 1) {
    std::vector<ShotVector> hits;
    lastStoneHits(gs, hits);
    for (const ShotVector& hit : hits)
      result.race.push_back({.shot = hit, .gridExpected = VALUE_NONE});
  }
  if (result.race.size() < 2) return;

  std::vector<NoiseSample> errors;
  makeNoiseSamples(sigmas(), positionSeed(gs), sizes.maxSamples, errors);
  Race race(gs, depth, result.race);
  int32_t met = 0;
  double secondsPerValue = -1.0;  // measured by the first round
  for (;;) {
    const int32_t alive = static_cast<int32_t>(
        std::count_if(result.race.begin(), result.race.end(), [](auto& c) { return c.alive; }));
    // Each round doubles the errors the candidates still in the race have met.
    const int32_t to = std::min(met == 0 ? sizes.firstSamples : 2 * met, sizes.maxSamples);
    if (alive < 2 || to <= met) break;
    const auto start = StrongClock::now();
    // The first round's cost is unknown: it starts while any time is left.
    const double expected = secondsPerValue < 0.0 ? 0.0 : secondsPerValue * alive * (to - met);
    if (secondsBetween(start, deadline) <= expected) break;
    race.round(errors, met, to);
    secondsPerValue = secondsBetween(start, StrongClock::now()) / (alive * (to - met));
    ++result.rounds;
    met = to;
    dropWorseHalf(result.race);
  }

  result.winner = raceWinner(result.race);
  result.shot = result.race[result.winner].shot;
}

void dropWorseHalf(std::vector<RaceCandidate>& race) {
  std::vector<int32_t> order;
  for (int32_t c = 1; c < static_cast<int32_t>(race.size()); ++c)
    if (race[c].alive) order.push_back(c);
  std::stable_sort(order.begin(), order.end(),
                   [&](int32_t a, int32_t b) { return race[a].mean() > race[b].mean(); });
  // Half of all alive, the first included, stay.
  const std::size_t keep = (order.size() + 1) / 2;
  for (std::size_t i = keep; i < order.size(); ++i) race[order[i]].alive = false;
}

bool RaceCandidate::clearlyAhead() const {
  if (samples < 2) return false;
  const double n = samples, lead = leadSum / n;
  const double variance = std::max(0.0, (leadSquares - n * lead * lead) / (n - 1.0));
  return lead > RACE_CLEAR_LEAD_Z * std::sqrt(variance / n);
}

int32_t raceWinner(const std::vector<RaceCandidate>& race) {
  int32_t winner = 0;
  for (int32_t c = 1; c < static_cast<int32_t>(race.size()); ++c) {
    if (race[c].samples == race[0].samples && race[c].clearlyAhead() &&
        race[c].mean() > race[winner].mean())
      winner = c;
  }
  return winner;
}

}  // namespace varrowmere
