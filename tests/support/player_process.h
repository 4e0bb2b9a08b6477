#pragma once
// Runs the built player as a child process on two pipes, the way a game server does, with a
// deadline on every wait so that a silent or stuck player fails a test instead of hanging it.

#include <chrono>
#include <optional>
#include <string>

#include "process_driver.h"

namespace varrowmere::testing {

// Generous: the player builds its start-up tables before it reads (longer under sanitizers).
inline constexpr std::chrono::seconds FIRST_REPLY_DEADLINE{60};
// How long the player may take to exit once its input has ended.
inline constexpr std::chrono::seconds EXIT_DEADLINE{1};

// The built player on the process driver: send, closeInput, waitExit and output() are the
// driver's; a player still running at the end is killed.
class PlayerProcess : public process::ProcessDriver {
 public:
  // Starts VARROWMERE_PLAYER_PATH. With nonBlocking, both pipe ends the player gets are in
  // non-blocking mode, as some servers leave them.
  explicit PlayerProcess(bool nonBlocking = false);

  bool started() const { return running(); }
  // Reads until the output holds at least count bytes in all, the output ends or the
  // deadline passes; returns everything read so far.
  const std::string& readAtLeast(std::size_t count, std::chrono::milliseconds deadline);
  // Reads until the player closes its output or the deadline passes; true if it closed.
  bool readToEnd(std::chrono::milliseconds deadline);
};

// "BESTSHOT %f %f %d" with finite numbers of six decimals and spin 0 or 1, starting at
// text[pos]; on success returns the position after it.
std::optional<std::size_t> matchBestShot(const std::string& text, std::size_t pos);

}  // namespace varrowmere::testing
