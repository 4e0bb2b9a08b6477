#include "physics/simulate.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace varrowmere {

namespace {

// Moving and resting stones of a locus array, in slot order.
struct Lists {
  StoneLocus* moving[STONE_COUNT];
  StoneLocus* resting[STONE_COUNT];
  int movingCount = 0;
  int restingCount = 0;

  Lists(StoneLocus* loci, int n) {
    for (int s = 0; s < n; ++s) {
      if (loci[s].cur.moving != 0)
        moving[movingCount++] = &loci[s];
      else
        resting[restingCount++] = &loci[s];
    }
  }
};

bool validSlot(int32_t slot) { return slot >= 0 && slot < STONE_COUNT; }

void clearFlags(EventFlags flags) { std::fill(flags, flags + STONE_COUNT, uint8_t{0}); }

// The stones of an event's contacts, by their GameState index.
uint32_t flaggedStones(const StoneLocus* loci, int n, const EventFlags flags) {
  uint32_t mask = 0;
  for (int s = 0; s < n; ++s) {
    if (flags[s] != 0 && validSlot(loci[s].stateIndex)) mask |= 1u << loci[s].stateIndex;
  }
  return mask;
}

// Records the moving stones of a prediction round and those predicted anew.
void traceRound(ShotTrace& trace, StoneLocus* const* moving, int movingCount) {
  uint32_t slots = 0;
  for (int m = 0; m < movingCount; ++m) {
    if (validSlot(moving[m]->stoneIndex)) slots |= 1u << moving[m]->stoneIndex;
  }
  trace.beginRound(slots);
  for (int m = 0; m < movingCount; ++m) {
    if (moving[m]->active == 1) trace.addPredicted(*moving[m]);
  }
}

// Records an event's result: the earliest contact's steps, and the stones it involves.
void traceEvent(ShotTrace& trace, int found, int32_t steps, const StoneLocus* loci, int n,
                const EventFlags flags) {
  trace.endRound(found == CONTACT_NONE ? CONTACT_SEARCH_START : steps, found != CONTACT_NONE);
  trace.addInvolved(flaggedStones(loci, n, flags));
}

// Reads the locus at (present row - steps) in 64 bits, so that no step count can overflow.
void readAhead(StoneLocus& locus, int64_t steps) {
  const int64_t row =
      std::clamp<int64_t>(int64_t{locus.cur.stepsLeft} - steps, 0, TRAJECTORY_ROW_CAPACITY);
  readLocus(locus, static_cast<int32_t>(row));
}

void removeIfOutside(StoneLocus& locus) {
  if (inMovingArea(locus.cur.x, locus.cur.y)) return;
  locus.cur.x = 0.0;
  locus.cur.y = 0.0;
}

// Every moving stone slides to its stopping point; those that end outside are removed.
void settle(StoneLocus* loci, int n, ContactMatrix matrix) {
  Lists lists(loci, n);
  EventFlags flags = {};
  advanceLoci(lists.moving, lists.movingCount, STEPS_NEVER);
  removeOutOfPlay(lists.moving, lists.movingCount, flags, matrix, n);
}

// Flagged stones, in slot order, into one Box2D step together. Each slot's active flag
// becomes its event flag (collideMany sets it again on the stones it re-anchors).
void collideFlagged(SimWorld& world, StoneLocus* loci, int n, const EventFlags flags) {
  StoneLocus* flagged[STONE_COUNT];
  int count = 0;
  for (int s = 0; s < n; ++s) {
    loci[s].active = flags[s];
    if (flags[s] != 0) flagged[count++] = &loci[s];
  }
  world.collideMany(flagged, count);
}

// A coordinate as the game state stores it; one that does not fit a float is 0 (not in play).
float storedCoordinate(double v) {
  if (!(std::fabs(v) <= std::numeric_limits<float>::max())) return 0.0f;
  return static_cast<float>(v);
}

// The rule itself, on the stones as they were before the shot (a copy, so that in and out
// may be the same record).
void restoreGuards(int32_t shotNum, const float (&before)[FREE_GUARD_SHOTS][2], GameState& out) {
  if (shotNum >= FREE_GUARD_SHOTS) return;
  for (int32_t i = (shotNum + 1) % 2; i < shotNum; i += 2) {
    if (inFreeGuardZone(before[i][0], before[i][1]) &&
        !inFreeGuardZone(out.stonePos[i][0], out.stonePos[i][1])) {
      out.stonePos[i][0] = before[i][0];
      out.stonePos[i][1] = before[i][1];
    }
  }
}

}  // namespace

void loadStones(const GameState& gs, StoneLocus (&stones)[STONE_COUNT], int32_t& count) {
  count = 0;
  const int32_t delivered = std::clamp(gs.shotNum, 0, STONE_COUNT);
  for (int32_t i = 0; i < delivered; ++i) {
    if (!stoneInPlay(gs, i)) continue;
    StoneLocus& stone = stones[count];
    stone.cur.x = gs.stonePos[i][0];
    stone.cur.y = gs.stonePos[i][1];
    stone.cur.vx = 0.0;
    stone.cur.vy = 0.0;
    stone.cur.speed = 0.0;
    stone.cur.dist = 0.0;
    stone.cur.invSpeed = INVERSE_OF_ZERO;
    stone.cur.invDist = INVERSE_OF_ZERO;
    stone.cur.stepsLeft = 0;
    stone.cur.moving = 0;
    stone.mirror = 0.0;
    stone.omega = 0.0;
    stone.active = 0;
    stone.stoneIndex = count;
    stone.stateIndex = i;
    ++count;
  }
}

namespace {

// simulateShot with an optional trace to fill and optional first predictions (by stone) to
// take.
void simulateWith(SimWorld& world, const StoneLocus& shot, const StoneLocus* stones,
                  int32_t count, const GameState& in, GameState& out, ShotTrace* trace,
                  const int32_t* knownFirst) {
  // The delivered stone needs a slot of its own.
  const int resting = std::clamp(count, 0, STONE_COUNT - 1);
  if (trace != nullptr) trace->begin(resting);
  StoneLocus loci[STONE_COUNT];
  for (int c = 0; c < resting; ++c) {
    loci[c] = stones[c];
    loci[c].stoneIndex = c;
  }
  StoneLocus& delivered = loci[resting];
  delivered = shot;
  delivered.stoneIndex = resting;
  delivered.stateIndex = in.shotNum;

  if (resting == 0) {
    readLocus(delivered, 0);
    buildResultState(loci, 1, in, out);
    return;
  }

  const int n = resting + 1;
  ContactMatrix matrix;
  for (int i = 0; i < n; ++i) std::fill(matrix[i], matrix[i] + n, STEPS_NEVER);
  StoneLocus* atRest[STONE_COUNT];
  for (int c = 0; c < resting; ++c) atRest[c] = &loci[c];
  int32_t known[STONE_COUNT];
  if (knownFirst != nullptr) {
    for (int c = 0; c < resting; ++c) {
      const int32_t stone = loci[c].stateIndex;
      known[c] = validSlot(stone) ? knownFirst[stone] : -1;
    }
  }
  predictShotContacts(delivered, atRest, resting, matrix, knownFirst != nullptr ? known : nullptr);
  if (trace != nullptr) {
    for (int c = 0; c < resting; ++c) trace->addFirstContact(loci[c].stateIndex, matrix[resting][c]);
  }

  StoneLocus* const moving[1] = {&delivered};
  if (trace != nullptr) {
    // The delivered stone is predicted against every stone at rest, whatever its flag.
    trace->beginRound(1u << resting);
    trace->addPredicted(delivered);
  }
  EventFlags flags;
  int32_t steps = 0;
  int i = -1, j = -1;
  const int found = earliestContact(moving, 1, loci, n, matrix, steps, i, j, flags);
  if (trace != nullptr) traceEvent(*trace, found, steps, loci, n, flags);
  if (found == CONTACT_NONE) {
    readLocus(delivered, 0);
    removeIfOutside(delivered);
    buildResultState(loci, n, in, out);
    return;
  }
  readAhead(delivered, steps);
  if (!inMovingArea(delivered.cur.x, delivered.cur.y)) {
    delivered.cur.x = 0.0;
    delivered.cur.y = 0.0;
    buildResultState(loci, n, in, out);
    return;
  }

  if (found == CONTACT_ONE) {
    const int other = i == resting ? j : i;
    if (other < 0 || other >= resting) {
      buildResultState(loci, n, in, out);
      return;
    }
    world.collideTwo(delivered, loci[other]);
    if (n == 2) {
      // A single stone at rest: both slide to their stops without further contact checks.
      readLocus(delivered, 0);
      readLocus(loci[other], 0);
      removeIfOutside(delivered);
      removeIfOutside(loci[other]);
      buildResultState(loci, n, in, out);
      return;
    }
    loci[other].active = 1;
  } else {
    collideFlagged(world, loci, n, flags);
  }
  runEvents(world, loci, n, matrix, trace);
  buildResultState(loci, n, in, out);
}

}  // namespace

void simulateShot(SimWorld& world, const StoneLocus& shot, const StoneLocus* stones, int32_t count,
                  const GameState& in, GameState& out, ShotTrace* trace) {
  simulateWith(world, shot, stones, count, in, out, trace, nullptr);
}

void simulateShot(SimWorld& world, const StoneLocus& shot, const StoneLocus* stones, int32_t count,
                  const GameState& in, GameState& out, const int32_t (&knownFirst)[STONE_COUNT]) {
  simulateWith(world, shot, stones, count, in, out, nullptr, knownFirst);
}

void runEvents(SimWorld& world, StoneLocus* loci, int n, ContactMatrix matrix, ShotTrace* trace) {
  n = std::clamp(n, 0, STONE_COUNT);
  EventFlags flags;
  for (int event = 0; event < MAX_SHOT_EVENTS; ++event) {
    Lists lists(loci, n);
    if (trace != nullptr) traceRound(*trace, lists.moving, lists.movingCount);
    predictMovingVsResting(lists.moving, lists.movingCount, lists.resting, lists.restingCount,
                           matrix);
    predictMovingPairs(lists.moving, lists.movingCount, matrix);

    int32_t steps = 0;
    int i = -1, j = -1;
    const int found =
        earliestContact(lists.moving, lists.movingCount, loci, n, matrix, steps, i, j, flags);
    if (trace != nullptr) traceEvent(*trace, found, steps, loci, n, flags);
    if (found == CONTACT_NONE) break;

    advanceLoci(lists.moving, lists.movingCount, steps);
    subtractElapsed(matrix, n, steps);
    removeOutOfPlay(lists.moving, lists.movingCount, flags, matrix, n);

    if (found == CONTACT_ONE) {
      // A contact with a stone that has just left play is no contact.
      const bool both = flags[i] != 0 && flags[j] != 0;
      if (both) world.collideTwo(loci[i], loci[j]);
      for (int m = 0; m < lists.movingCount; ++m) lists.moving[m]->active = 0;
      if (both) {
        loci[i].active = 1;
        loci[j].active = 1;
      }
    } else {
      collideFlagged(world, loci, n, flags);
    }
  }
  settle(loci, n, matrix);
}

int earliestContact(StoneLocus* const* moving, int movingCount, const StoneLocus* loci, int n,
                    const ContactMatrix matrix, int32_t& steps, int& i, int& j, EventFlags flags) {
  n = std::clamp(n, 0, STONE_COUNT);
  // Every flag set below belongs to this scan; none is left from an earlier event.
  clearFlags(flags);
  int32_t best = CONTACT_SEARCH_START;
  int result = CONTACT_NONE;
  int pairI = -1, pairJ = -1;
  for (int m = 0; m < movingCount; ++m) {
    const int a = moving[m]->stoneIndex;
    if (!validSlot(a)) continue;
    for (int b = 0; b < n; ++b) {
      // Each pair of moving stones once.
      if (loci[b].cur.moving != 0 && !(a < b)) continue;
      const int32_t t = matrix[a][b];
      if (t < best) {
        best = t;
        result = CONTACT_ONE;
        pairI = a;
        pairJ = b;
      } else if (t == best) {
        // A tie: every stone of the tied contacts is resolved together.
        if (result == CONTACT_ONE) {
          clearFlags(flags);
          flags[pairI] = 1;
          flags[pairJ] = 1;
        }
        flags[a] = 1;
        flags[b] = 1;
        result = CONTACT_SEVERAL;
        pairI = -1;
        pairJ = -1;
      }
    }
  }
  if (result == CONTACT_NONE) {
    clearFlags(flags);
    steps = STEPS_NEVER;
  } else {
    if (result == CONTACT_ONE) {
      clearFlags(flags);
      flags[pairI] = 1;
      flags[pairJ] = 1;
    }
    // Entries are never negative; a hand-made matrix must not move stones backwards either.
    steps = std::max(best, 0);
  }
  i = pairI;
  j = pairJ;
  return result;
}

void removeOutOfPlay(StoneLocus* const* moving, int movingCount, EventFlags flags,
                     ContactMatrix matrix, int n) {
  n = std::clamp(n, 0, STONE_COUNT);
  for (int m = 0; m < movingCount; ++m) {
    StoneLocus& stone = *moving[m];
    if (inMovingArea(stone.cur.x, stone.cur.y)) continue;
    stone.cur.x = 0.0;
    stone.cur.y = 0.0;
    stone.cur.moving = 0;
    const int32_t s = stone.stoneIndex;
    if (!validSlot(s)) continue;
    flags[s] = 0;
    for (int o = 0; o < n; ++o) {
      matrix[s][o] = STEPS_NEVER;
      matrix[o][s] = STEPS_NEVER;
    }
  }
}

void subtractElapsed(ContactMatrix matrix, int n, int32_t steps) {
  n = std::clamp(n, 0, STONE_COUNT);
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      if (matrix[a][b] == STEPS_NEVER) continue;
      // An entry of two stones that are both at rest is never read again before it is
      // rewritten; kept from going negative so that it cannot move stones backwards.
      matrix[a][b] = static_cast<int32_t>(std::max<int64_t>(int64_t{matrix[a][b]} - steps, 0));
    }
  }
}

void buildResultState(const StoneLocus* loci, int n, const GameState& in, GameState& out) {
  const int32_t shotNum = in.shotNum;
  const bool whiteToMove = in.whiteToMove;
  float before[FREE_GUARD_SHOTS][2];
  std::copy(&in.stonePos[0][0], &in.stonePos[0][0] + 2 * FREE_GUARD_SHOTS, &before[0][0]);

  // Wraps instead of overflowing on a shot number no game has.
  out.shotNum = static_cast<int32_t>(static_cast<uint32_t>(shotNum) + 1u);
  out.whiteToMove = !whiteToMove;
  const int32_t lastDelivered = std::clamp(shotNum, -1, STONE_COUNT - 1);
  for (int32_t i = 0; i <= lastDelivered; ++i) {
    out.stonePos[i][0] = 0.0f;
    out.stonePos[i][1] = 0.0f;
  }
  n = std::clamp(n, 0, STONE_COUNT);
  for (int c = 0; c < n; ++c) {
    const int32_t s = loci[c].stateIndex;
    if (!validSlot(s)) continue;
    out.stonePos[s][0] = storedCoordinate(loci[c].cur.x);
    out.stonePos[s][1] = storedCoordinate(loci[c].cur.y);
  }
  restoreGuards(shotNum, before, out);
  // From the shot number before it wrapped: a shot number at the int32 limit played them all.
  const auto inPlay =
      static_cast<int32_t>(std::clamp<int64_t>(int64_t{shotNum} + 1, 0, STONE_COUNT));
  for (int32_t i = 0; i < inPlay; ++i) {
    if (inFinalPlayArea(out.stonePos[i][0], out.stonePos[i][1])) continue;
    out.stonePos[i][0] = 0.0f;
    out.stonePos[i][1] = 0.0f;
  }
}

void applyFreeGuardZone(const GameState& in, GameState& out) {
  float before[FREE_GUARD_SHOTS][2];
  std::copy(&in.stonePos[0][0], &in.stonePos[0][0] + 2 * FREE_GUARD_SHOTS, &before[0][0]);
  restoreGuards(in.shotNum, before, out);
}

}  // namespace varrowmere
