#pragma once
// Self-play of single ends for the free-guard score files: two copies of the engine play an
// end from an empty sheet in-process, every shot perturbed by the referee's delivery noise,
// played by the reference simulation and checked by the referee's free-guard-zone rule. The
// result of an end is its score from the view of side 1, which throws the last stone.

#include <cstdint>
#include <random>
#include <string>

#include "delivery_noise.h"
#include "driver/game_state.h"

namespace varrowmere::selfplay {

// How the two opening stones are chosen.
enum class Opening {
  CenterGuard,  // shot 0 is the centre guard, the rest is searched
  CornerGuard,  // shot 1 is a corner guard on a random side, the rest is searched
  Plain,        // every stone is searched
};

struct OpeningInfo {
  Opening opening;
  const char* name;      // as given on the command line
  const char* scoreFile; // the score file it feeds, relative to the data folder
};
extern const OpeningInfo OPENINGS[3];

// The opening called `name` (an OPENINGS name); false when there is none.
bool parseOpening(const std::string& name, Opening& out);
const OpeningInfo& openingInfo(Opening opening);

// The ends a game of the referee has; sent to the search as lastEnd (the search does not look
// at the end number, but the position should be one a real game could show).
inline constexpr int32_t SELFPLAY_LAST_END = 8;
// Added to the seed for the stream of the corner guard's side, so that it is independent of
// the delivery noise's stream (the golden-ratio constant).
inline constexpr uint64_t SIDE_STREAM_OFFSET = 0x9E3779B97F4A7C15ull;

struct SelfPlaySettings {
  Opening opening = Opening::Plain;
  int32_t depth = 1;        // plies of each search
  uint64_t seed = 1;        // delivery noise and the corner guard's side
  double noiseScale = 1.0;  // multiplies the referee's noise sigmas; 0 plays exact shots
};

// The end score of a finished position from the view of side 1 (odd stones): positive when
// side 1 scores, negative for a steal, 0 for a blank end.
int32_t scoreForLastSide(const GameState& position);

// Plays ends one after another. Needs the start-up tables (chord, trajectory, candidate) and
// one set of noise sigmas from deriveNoiseSigmas. The same settings give the same ends.
class SelfPlay {
 public:
  SelfPlay(const SelfPlaySettings& settings, const match::NoiseSigmas& sigmas);

  // Plays one end from an empty sheet; its score from the view of side 1.
  int32_t playEnd();
  // Searches run so far (shots taken from the empty-sheet cache or fixed are not counted).
  int64_t searches() const { return searches_m; }
  // The position after the last stone of the latest end.
  const GameState& lastPosition() const { return lastPosition_m; }

 private:
  // The shot side `gs.shotNum % 2` asks for at gs (before delivery noise).
  ShotVector chooseShot(const GameState& gs);
  ShotVector searched(const GameState& gs);

  SelfPlaySettings settings_m;
  match::DeliveryNoise noise_m;
  std::mt19937_64 sideRng_m;
  // The searched shot of an empty sheet at each shot number: the search is deterministic, so
  // it is run once per shot number and run.
  ShotVector emptySheetShot_m[STONE_COUNT] = {};
  bool emptySheetKnown_m[STONE_COUNT] = {};
  int64_t searches_m = 0;
  GameState lastPosition_m;
};

}  // namespace varrowmere::selfplay
