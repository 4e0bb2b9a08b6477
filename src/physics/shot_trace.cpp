#include "physics/shot_trace.h"

#include <algorithm>

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
  rounds_m.clear();
  predicted_m.clear();
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
  rounds_m.back().earliestSteps = earliestSteps;
  rounds_m.back().contact = contact;
}

bool ShotTrace::unaffectedByStoneAt(double x, double y) const {
  // The contact-time entries the simulation would hold for the added stone, by slot: set when
  // a moving stone is predicted anew, counted down by each event's steps otherwise.
  int64_t entry[STONE_COUNT];
  std::fill(entry, entry + STONE_COUNT, int64_t{STEPS_NEVER});
  for (std::size_t r = 0; r < rounds_m.size(); ++r) {
    const Round& round = rounds_m[r];
    for (int32_t p = 0; p < round.predictedCount; ++p) {
      const StoneLocus& stone = predicted_m[round.firstPredicted + p];
      entry[stone.stoneIndex] = hitSteps(stone, x, y);
    }
    for (int32_t slot = 0; slot < STONE_COUNT; ++slot) {
      // Strictly later than the earliest contact, or the added stone would be (or tie) it.
      if ((round.movingSlots >> slot & 1u) != 0 && !(entry[slot] > round.earliestSteps))
        return false;
    }
    if (!round.contact) break;
    // The first round's contact is not followed by a count-down; every later one is.
    if (r == 0) continue;
    for (int64_t& e : entry) {
      if (e != STEPS_NEVER) e = std::max<int64_t>(e - round.earliestSteps, 0);
    }
  }
  return true;
}

}  // namespace varrowmere
