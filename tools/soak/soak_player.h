#pragma once
// Asking the player process for shots: one GO on a position, checked, and the player as the
// referee's Player so that it can play whole games through the referee.

#include <cstdint>
#include <string>

#include "driver/game_state.h"
#include "player.h"
#include "process_driver.h"

namespace varrowmere::soak {

using process::ProcessDriver;

// The answer to one GO.
struct GoAnswer {
  bool ok = false;
  ShotVector shot;
  double seconds = 0.0;  // from sending the position to the READYOK after the answer
  std::string failure;   // why it is not ok: what came back, or that nothing did
};

// Reads until the player has written READYOK; `before` gets what it wrote since the last
// READYOK. Bytes after it are kept for the next call. False when the timeout (s) passes or
// the player closes its output first; `before` then holds what did come.
bool readUntilReady(ProcessDriver& process, double timeoutSeconds, std::string& before);

// Sends POSITION, SETSTATE, GO and ISREADY in one write and reads up to the READYOK; what came
// before it must be exactly one well-formed BESTSHOT.
GoAnswer askShot(ProcessDriver& process, const GameState& state, double timeoutSeconds);

// Sends NEWGAME and ISREADY; nothing may come back before the READYOK.
bool startNewGame(ProcessDriver& process, double timeoutSeconds, std::string& failure);

// The player process as a referee's player. Every answer goes through askShot, and the GOs
// are counted; the process itself is the caller's (stop leaves it running).
class SoakPlayer : public match::Player {
 public:
  SoakPlayer(ProcessDriver& process, double goTimeout) : process_m(process), timeout_m(goTimeout) {}

  const std::string& name() const override { return name_m; }
  bool newGame(std::string& failure) override;
  match::PlayerAnswer play(const GameState& state, double secondsLeft) override;
  void stop() override {}

  int64_t answered() const { return answered_m; }
  // Longest time a single answer took (s).
  double slowest() const { return slowest_m; }

 private:
  ProcessDriver& process_m;
  double timeout_m;
  std::string name_m = "varrowmere";
  int64_t answered_m = 0;
  double slowest_m = 0.0;
};

}  // namespace varrowmere::soak
