#pragma once
// A player as the referee sees it: something that is told the position and answers a shot
// within its remaining thinking time. Child processes speak the protocol; the built-in
// opponents answer in-process.

#include <string>

#include "driver/game_state.h"

namespace varrowmere::match {

// The answer to one request for a shot.
struct PlayerAnswer {
  bool ok = false;
  ShotVector shot;
  double seconds = 0.0;  // thinking time used by this answer (wall clock)
  std::string failure;   // why the player forfeits, when !ok
};

class Player {
 public:
  virtual ~Player() = default;
  // A short name for output ("draw", "takeout" or the command line).
  virtual const std::string& name() const = 0;
  // Starts a new game: NEWGAME, then waits for the player to be ready (not counted on the
  // clock). Returns false with the reason in `failure` when it is not.
  virtual bool newGame(std::string& failure) = 0;
  // Asks for the shot numbered state.shotNum on the position `state`, with secondsLeft of
  // thinking time left in the game. The answer is not ok when the player failed to answer
  // a valid shot in time; the player is unusable for the rest of the game then.
  virtual PlayerAnswer play(const GameState& state, double secondsLeft) = 0;
  // Ends the player (a child process is asked to leave and then killed). Idempotent.
  virtual void stop() = 0;
};

}  // namespace varrowmere::match
