#pragma once
// The built player as a child process on two pipes, as a game server runs it, with a deadline on
// every wait: a silent or stuck player fails a test instead of hanging it.

#include <chrono>
#include <optional>
#include <string>

#include "process_driver.h"

namespace varrowmere::testing {

// Generous: the player builds its start-up tables before it reads (longer under sanitizers).
inline constexpr std::chrono::seconds FIRST_REPLY_DEADLINE{60};
// How long the player may take to exit once its input has ended.
inline constexpr std::chrono::seconds EXIT_DEADLINE{1};

// send, closeInput, waitExit and output() are the driver's; a player still running is killed.
class PlayerProcess : public process::ProcessDriver {
 public:
  // Starts the player (the shell command in the environment variable VARROWMERE_TEST_PLAYER
  // instead, when set); with nonBlocking its pipe ends are non-blocking, as some servers leave
  // them.
  explicit PlayerProcess(bool nonBlocking = false);

  bool started() const { return running(); }
  // Reads until count bytes have come in all, the output ends or the deadline passes.
  const std::string& readAtLeast(std::size_t count, std::chrono::milliseconds deadline);
  // Reads until the player closes its output or the deadline passes; true if it closed.
  bool readToEnd(std::chrono::milliseconds deadline);
};

// Runs `command` through /bin/sh -c with the process driver and returns its exit status (-1
// when it could not start or ran past `deadline`, then it is killed); its standard output is
// appended to `output` when given.
int runShell(const std::string& command, std::chrono::seconds deadline,
             std::string* output = nullptr);

// "BESTSHOT %f %f %d" with finite numbers of six decimals and spin 0 or 1, starting at
// text[pos]; on success returns the position after it.
std::optional<std::size_t> matchBestShot(const std::string& text, std::size_t pos);

}  // namespace varrowmere::testing
