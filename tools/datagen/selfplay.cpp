#include "selfplay.h"

#include "driver/decision.h"
#include "match_rules.h"
#include "physics/reference_sim.h"
#include "platform/shot_maker.h"
#include "search/search_node.h"
#include "tables/free_guard.h"

namespace varrowmere::selfplay {

const OpeningInfo OPENINGS[3] = {
    {Opening::CenterGuard, "CenterGuard", SCORE_FILE_CENTER_GUARD},
    {Opening::CornerGuard, "CornerGuard", SCORE_FILE_CORNER_GUARD},
    {Opening::Plain, "2ply-2ply", SCORE_FILE_PLAIN},
};

bool parseOpening(const std::string& name, Opening& out) {
  for (const OpeningInfo& info : OPENINGS) {
    if (name == info.name) {
      out = info.opening;
      return true;
    }
  }
  return false;
}

const OpeningInfo& openingInfo(Opening opening) {
  for (const OpeningInfo& info : OPENINGS) {
    if (info.opening == opening) return info;
  }
  return OPENINGS[2];
}

int32_t scoreForLastSide(const GameState& position) {
  const match::EndScore score = match::endScore(position);
  if (score.side < 0 || score.points == 0) return 0;
  return score.side == 1 ? score.points : -score.points;
}

SelfPlay::SelfPlay(const SelfPlaySettings& settings, const match::NoiseSigmas& sigmas)
    : settings_m(settings),
      noise_m(sigmas, settings.noiseScale, settings.seed),
      sideRng_m(settings.seed + SIDE_STREAM_OFFSET) {}

ShotVector SelfPlay::searched(const GameState& gs) {
  ShotVector shot;
  SearchNode node;
  node.search(gs, settings_m.depth, shot);
  ++searches_m;
  return shot;
}

ShotVector SelfPlay::chooseShot(const GameState& gs) {
  const int32_t s = gs.shotNum;
  ShotVector shot;
  // Forced openings, made by the shot maker as the player makes them.
  if (s == 0 && settings_m.opening == Opening::CenterGuard) {
    CreateShot(ShotTarget{CENTER_GUARD_X, GUARD_Y, false}, &shot);
    return shot;
  }
  if (s == 1 && settings_m.opening == Opening::CornerGuard) {
    const int r = static_cast<int>(sideRng_m() & 1u);
    const auto x = static_cast<float>(CORNER_GUARD_X + CORNER_GUARD_SPAN * r);
    CreateShot(ShotTarget{x, GUARD_Y, false}, &shot);
    return shot;
  }

  bool empty = true;
  for (int32_t i = 0; i < s; ++i) empty = empty && !stoneInPlay(gs, i);
  if (!empty) return searched(gs);
  // The player's fixed draw for the last stones of an empty sheet.
  if (s >= LAST_STONES_FROM) {
    CreateShot(ShotTarget{LAST_STONE_DRAW_X, LAST_STONE_DRAW_Y, false}, &shot);
    return shot;
  }
  if (!emptySheetKnown_m[s]) {
    emptySheetShot_m[s] = searched(gs);
    emptySheetKnown_m[s] = true;
  }
  return emptySheetShot_m[s];
}

int32_t SelfPlay::playEnd() {
  GameState position;
  position.lastEnd = SELFPLAY_LAST_END;
  for (int32_t shot = 0; shot < STONE_COUNT; ++shot) {
    position.shotNum = shot;
    position.whiteToMove = shot % 2 == 1;
    const ShotVector delivered = noise_m.perturb(chooseShot(position));
    GameState after;
    simulateReference(position, delivered, after);
    match::applyFreeGuardRule(position, after);
    position = after;
  }
  lastPosition_m = position;
  return scoreForLastSide(position);
}

}  // namespace varrowmere::selfplay
