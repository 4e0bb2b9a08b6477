#include "physics/shot_trace.h"

#include <algorithm>
#include <bit>

#include "physics/contact.h"

namespace varrowmere {

namespace {

// The general course needs two stones at rest: with none the shot just stops, and with one
// the simulation ends after the first contact without looking for another.
constexpr int32_t GENERAL_COURSE_RESTING = 2;

}  // namespace

void ShotTrace::begin(int32_t restingCount) {
  general_m = restingCount >= GENERAL_COURSE_RESTING;
  involved_m = 0;
  boxMinX_m = boxMinY_m = INFINITY;
  boxMaxX_m = boxMaxY_m = -INFINITY;
  std::fill(firstContact_m, firstContact_m + STONE_COUNT, -1);
  rounds_m.clear();
  predicted_m.clear();
  clearances_m.clear();
}

void ShotTrace::addFirstContact(int32_t stone, int32_t steps) {
  if (stone >= 0 && stone < STONE_COUNT) firstContact_m[stone] = steps;
}

void ShotTrace::beginRound(uint32_t movingSlots) {
  rounds_m.push_back(
      Round{movingSlots, static_cast<int32_t>(predicted_m.size()), 0, STEPS_NEVER, false});
}

void ShotTrace::addPredicted(const StoneLocus& stone) {
  predicted_m.push_back(stone);
  ++rounds_m.back().predictedCount;
}

void ShotTrace::endRound(int32_t earliestSteps, bool contact) {
  Round& round = rounds_m.back();
  round.earliestSteps = earliestSteps;
  round.contact = contact;
  const bool first = rounds_m.size() == 1;
  for (int32_t p = 0; p < round.predictedCount; ++p) {
    const StoneLocus& stone = predicted_m[round.firstPredicted + p];
    clearances_m.push_back(Clearance{ContactProbe(stone),
                                     first && contact ? PathBound::window(stone, earliestSteps)
                                                      : PathBound::wholePath(stone)});
    clearances_m.back().bound.extendBox(boxMinX_m, boxMinY_m, boxMaxX_m, boxMaxY_m);
  }
}

bool ShotTrace::unaffectedByStoneAt(double x, double y, int32_t* firstSteps) const {
  if (firstSteps != nullptr) *firstSteps = -1;
  // Outside every bound (and so outside their box), or cleared for every stone, every
  // prediction below is "never" (or, in the first round, later than its contact).
  if (x < boxMinX_m || x > boxMaxX_m || y < boxMinY_m || y > boxMaxY_m) return true;
  if (std::all_of(clearances_m.begin(), clearances_m.end(),
                  [x, y](const Clearance& clearance) { return clearance.clears(x, y); }))
    return true;
  // The contact-time entries the simulation would hold for the added stone, by slot: "never"
  // at first, set when a moving stone is predicted anew, counted down by each event's steps
  // otherwise. Only the entries of moving stones are read, and every moving stone was
  // predicted when it started to move.
  int64_t entry[STONE_COUNT];
  std::fill(entry, entry + STONE_COUNT, int64_t{STEPS_NEVER});
  for (std::size_t r = 0; r < rounds_m.size(); ++r) {
    const Round& round = rounds_m[r];
    for (int32_t p = 0; p < round.predictedCount; ++p) {
      const int32_t at = round.firstPredicted + p;
      const StoneLocus& stone = predicted_m[at];
      // A stone outside the bound gets "never": the truth in later rounds, and in the first
      // round as good as the truth, a count beyond the round's earliest contact.
      const Clearance& clearance = clearances_m[at];
      const bool missed = clearance.probe.misses(x, y);
      const bool cleared = !missed && clearance.bound.clear(x, y);
      entry[stone.stoneIndex] = missed || cleared ? STEPS_NEVER : hitSteps(stone, x, y);
      // The first round predicts the delivered stone alone; a window's bound leaves its
      // prediction unknown.
      if (r == 0 && firstSteps != nullptr && !(cleared && round.contact))
        *firstSteps = static_cast<int32_t>(entry[stone.stoneIndex]);
    }
    // Strictly later than the earliest contact, or the added stone would be (or tie) it.
    for (uint32_t slots = round.movingSlots; slots != 0; slots &= slots - 1) {
      if (!(entry[std::countr_zero(slots)] > round.earliestSteps)) return false;
    }
    if (!round.contact) break;
    // The first round's contact is not followed by a count-down; every later one is.
    if (r == 0) continue;
    for (uint32_t slots = round.movingSlots; slots != 0; slots &= slots - 1) {
      int64_t& e = entry[std::countr_zero(slots)];
      if (e != STEPS_NEVER) e = std::max<int64_t>(e - round.earliestSteps, 0);
    }
  }
  return true;
}

}  // namespace varrowmere
