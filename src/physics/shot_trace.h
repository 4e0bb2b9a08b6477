#pragma once
// What a simulated shot met, recorded so that the same shot on a position that differs only in
// stones it never met can take its result without being simulated again.
//
// A shot's result is a function of the stones its event chain involves: a stone at rest that
// is never part of an earliest contact (nor tied with one) changes nothing, and neither does
// its absence. A trace holds, for every event of the simulation, the moving stones whose
// contacts were predicted anew and the step count of the earliest contact, so that a stone
// added at rest can be checked against exactly the predictions the simulation would make.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "physics/contact.h"
#include "physics/motion.h"
#include "physics/path_bound.h"

namespace varrowmere {

class ShotTrace {
 public:
  // What prefetch asks for: the first three bounds, most traces' all.
  static constexpr std::size_t CACHE_LINE_BYTES = 64;
  static constexpr std::size_t PREFETCH_LINES = 6;

  // Starts an empty record for a shot on `restingCount` stones at rest.
  void begin(int32_t restingCount);
  // One prediction round: the moving stones (by slot) and those among them predicted anew;
  // then endRound with the earliest contact's step count (CONTACT_SEARCH_START for none).
  void beginRound(uint32_t movingSlots);
  void addPredicted(const StoneLocus& stone);
  void endRound(int32_t earliestSteps, bool contact);
  // The stones (by GameState index) that took part in a contact.
  void addInvolved(uint32_t stateIndexMask) { involved_m |= stateIndexMask; }
  // The delivered stone's predicted steps until it meets the stone at rest `stone` (GameState
  // index), as the first prediction found them.
  void addFirstContact(int32_t stone, int32_t steps);

  // True when the shot took the simulation's general course, the one a position with another
  // number of stones at rest (two or more) also takes; only such a trace can stand for others.
  bool general() const { return general_m; }
  // Asks the memory for the first bounds that unaffectedByStoneAt reads.
  void prefetch() const {
    const auto* first = reinterpret_cast<const char*>(clearances_m.data());
    const std::size_t bytes = clearances_m.size() * sizeof(Clearance);
    const std::size_t lines =
        std::min(PREFETCH_LINES, (bytes + CACHE_LINE_BYTES - 1) / CACHE_LINE_BYTES);
    for (std::size_t line = 0; line < lines; ++line)
      __builtin_prefetch(first + line * CACHE_LINE_BYTES);
  }
  // Bit i set: stone i of the GameState was part of a contact.
  uint32_t involved() const { return involved_m; }
  // True when a stone at rest at (x, y), added to the position, would never be the earliest
  // contact of any event, nor tie with it: the shot then runs as recorded. With firstSteps,
  // also gives the delivered stone's first prediction against that stone where it was made
  // exactly on the way (for a simulation to take), else -1.
  bool unaffectedByStoneAt(double x, double y, int32_t* firstSteps = nullptr) const;
  // The delivered stone's first prediction against stone `stone` at rest, or -1 when it made
  // none. The same shot meeting the same stone at the same place predicts the same.
  int32_t firstContact(int32_t stone) const {
    return stone >= 0 && stone < STONE_COUNT ? firstContact_m[stone] : -1;
  }

 private:
  struct Round {
    uint32_t movingSlots;
    int32_t firstPredicted;
    int32_t predictedCount;
    int32_t earliestSteps;
    bool contact;
  };
  bool general_m = false;
  uint32_t involved_m = 0;
  // Holds every bound below: a stone outside it meets nothing the shot's course depends on.
  double boxMinX_m = INFINITY, boxMinY_m = INFINITY, boxMaxX_m = -INFINITY, boxMaxY_m = -INFINITY;
  int32_t firstContact_m[STONE_COUNT];
  std::vector<Round> rounds_m;
  std::vector<StoneLocus> predicted_m;
  // One per predicted stone: the probe, and the bound outside which the stone meets nothing
  // before its round's earliest contact (the first round, whose entries are never read again)
  // or at all (later rounds). A target either clears is not met.
  struct Clearance {
    ContactProbe probe;
    PathBound bound;
    bool clears(double x, double y) const { return probe.misses(x, y) || bound.clear(x, y); }
  };
  std::vector<Clearance> clearances_m;
};

}  // namespace varrowmere
