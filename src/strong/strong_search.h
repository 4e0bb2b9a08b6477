#pragma once
// The strong mode's search (--strong). It runs the designed search first, every cell of the
// root valued itself rather than only the sampled ones, and then holds a race between the
// shots that search rated best (on the last stone, with hits of several strengths added):
// each candidate is played under the same list of delivery errors (the referee's error
// model) and valued after every one of them as the designed search values a cell, and the
// one of greatest mean value is played, if its lead over the designed choice is clear. The race
// goes in rounds: every candidate still in it meets the next errors of the list, and after each
// round the worse half leaves it, all but the search's own choice, which stays to the end. So the
// race never plays a shot that did worse than the grid's best on the errors both met. Rounds start
// only while the deadline allows them. Reader thread; the race's evaluations run on the search's
// threads.

#include <chrono>
#include <cstdint>
#include <vector>

#include "driver/game_state.h"
#include "physics/sheet.h"

namespace varrowmere {

// Candidates of the race, and errors each meets in its first round (each round doubles the
// errors met so far), up to the most any candidate meets; separate figures for the last stone of an
// end, whose values are end scores and cost one simulation each.
inline constexpr int32_t RACE_CANDIDATES = 32;
inline constexpr int32_t RACE_FIRST_SAMPLES = 8;
inline constexpr int32_t RACE_MAX_SAMPLES = 512;
inline constexpr int32_t LAST_STONE_RACE_CANDIDATES = 48;
inline constexpr int32_t LAST_STONE_RACE_FIRST_SAMPLES = 32;
inline constexpr int32_t LAST_STONE_RACE_MAX_SAMPLES = 1024;
// Two candidates of one candidate set closer than this many grid steps (in rows and columns)
// are the same idea; the race takes the better only.
inline constexpr int32_t RACE_CANDIDATE_SPACING = 2;
// A candidate replaces the designed choice only when its lead over it on the errors both met
// is clear: the mean of the paired differences above this many of their standard errors.
// The best of many candidates by a mean over few errors is mostly the luckiest, and the
// designed search's expected value, a weighted sum over neighbouring cells, is already an
// estimate over the errors.
inline constexpr double RACE_CLEAR_LEAD_Z = 2.0;

using StrongClock = std::chrono::steady_clock;

struct RaceCandidate {
  ShotVector shot;
  double gridExpected = 0.0;  // its expected value in the designed search
  double sum = 0.0;           // its values over the errors met so far, summed
  int32_t samples = 0;        // errors met so far
  bool alive = true;          // still in the race
  // Its values less the first candidate's on the same errors, summed, and their squares.
  double leadSum = 0.0, leadSquares = 0.0;
  double mean() const { return samples > 0 ? sum / samples : gridExpected; }
  // Whether its lead over the first candidate is clear (RACE_CLEAR_LEAD_Z).
  bool clearlyAhead() const;
};

struct StrongResult {
  ShotVector shot;                  // the shot to play
  ShotVector gridShot;              // the designed search's choice
  std::vector<RaceCandidate> race;  // the candidates, the designed choice first
  int32_t winner = 0;               // index in race
  int32_t rounds = 0;               // rounds run
};

// Decides the shot at gs: the designed search of `depth` plies over every root cell, then the
// race until `deadline` at most (the search itself always runs in full).
void strongSearch(const GameState& gs, int32_t depth, StrongClock::time_point deadline,
                  StrongResult& result);

// The race's rules. After a round, the worse half of the candidates still in the race leave
// it (by mean; of equal means the later); the first candidate never does.
void dropWorseHalf(std::vector<RaceCandidate>& race);
// The winner: of the candidates that met as many errors as the first and are clearly ahead of
// it, the first of greatest mean; the first when none is.
int32_t raceWinner(const std::vector<RaceCandidate>& race);

}  // namespace varrowmere
