#pragma once
// The event-driven shot simulation: from the delivered stone's locus and the stones at rest it
// predicts every contact, jumps all moving stones to the earliest one, resolves it in Box2D,
// re-predicts for the stones whose motion changed, and repeats until no contact remains; then
// it writes the position after the shot with the rules of play (stones out of play removed,
// free-guard-zone rule on the first four shots of an end).
//
// simulateShot runs concurrently on the search threads, each with its own SimWorld; the stones
// at rest, the input state and the motion tables are only read. It allocates nothing.

#include <cstdint>

#include "driver/game_state.h"
#include "physics/contact.h"
#include "physics/motion.h"
#include "physics/shot_trace.h"
#include "physics/sim_world.h"

namespace varrowmere {

// Event flags, indexed by StoneLocus::stoneIndex: the stones of the earliest contact(s).
using EventFlags = uint8_t[STONE_COUNT];

// What earliestContact found.
inline constexpr int CONTACT_NONE = 0;
inline constexpr int CONTACT_ONE = 1;
inline constexpr int CONTACT_SEVERAL = 2;
// Start of the search for the earliest contact: one below STEPS_NEVER, so "never" never counts.
inline constexpr int32_t CONTACT_SEARCH_START = STEPS_NEVER - 1;
// Contacts one shot may resolve. A real shot needs a handful; a pathological position that
// keeps stones bouncing is cut off here and its stones slide to their stopping points.
inline constexpr int MAX_SHOT_EVENTS = 512;
// The free-guard-zone rule protects the opponent's guards while fewer stones than this have
// been delivered in the end.
inline constexpr int32_t FREE_GUARD_SHOTS = 4;

// Builds one locus at rest per stone in play among the stones already delivered (indices
// 0..shotNum-1 of gs.stonePos), in that order; count = the number built.
void loadStones(const GameState& gs, StoneLocus (&stones)[STONE_COUNT], int32_t& count);

// Plays the delivered stone `shot` (stone number in.shotNum) on the stones at rest
// (stones[0..count-1], as loadStones built them, not changed). Writes into out only shotNum
// (in.shotNum + 1), whiteToMove (flipped) and stonePos. With a trace, also records what the
// shot met (see ShotTrace).
void simulateShot(SimWorld& world, const StoneLocus& shot, const StoneLocus* stones, int32_t count,
                  const GameState& in, GameState& out, ShotTrace* trace = nullptr);
// The same, taking the delivered stone's first prediction against stone i of the GameState
// from knownFirst[i] where that is not negative: one the same shot made against a stone lying
// exactly where stone i lies here.
void simulateShot(SimWorld& world, const StoneLocus& shot, const StoneLocus* stones, int32_t count,
                  const GameState& in, GameState& out, const int32_t (&knownFirst)[STONE_COUNT]);

// Runs the events of the stones in loci[0..n-1] until no contact remains.
void runEvents(SimWorld& world, StoneLocus* loci, int n, ContactMatrix matrix,
               ShotTrace* trace = nullptr);

// The earliest contact among the moving stones and all n stones: returns CONTACT_NONE,
// CONTACT_ONE (stones i and j flagged) or CONTACT_SEVERAL (every stone of the tied contacts
// flagged, i = j = -1); steps = steps until then (STEPS_NEVER for none).
int earliestContact(StoneLocus* const* moving, int movingCount, const StoneLocus* loci, int n,
                    const ContactMatrix matrix, int32_t& steps, int& i, int& j, EventFlags flags);

// Every moving stone outside the moving area goes to (0, 0), stops, loses its flag, and its
// matrix row and column become STEPS_NEVER.
void removeOutOfPlay(StoneLocus* const* moving, int movingCount, EventFlags flags,
                     ContactMatrix matrix, int n);

// Every matrix entry among slots 0..n-1 that is not STEPS_NEVER decreases by steps.
void subtractElapsed(ContactMatrix matrix, int n, int32_t steps);

// Writes the position after the shot (see simulateShot) from the loci's present positions,
// then applies the free-guard-zone rule and the final-play-area rule.
void buildResultState(const StoneLocus* loci, int n, const GameState& in, GameState& out);

// Free-guard-zone rule, only while in.shotNum < FREE_GUARD_SHOTS: every stone of the side not
// delivering now that in had in the free guard zone and out has not is put back.
void applyFreeGuardZone(const GameState& in, GameState& out);

}  // namespace varrowmere
