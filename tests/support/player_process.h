#pragma once
// Runs the built player as a child process on two pipes, the way a game server does, with a
// deadline on every wait so that a silent or stuck player fails a test instead of hanging it.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>

namespace varrowmere::testing {

// Generous: the player builds its start-up tables before it reads (longer under sanitizers).
inline constexpr std::chrono::seconds FIRST_REPLY_DEADLINE{60};
// How long the player may take to exit once its input has ended.
inline constexpr std::chrono::seconds EXIT_DEADLINE{1};

class PlayerProcess {
 public:
  // Starts VARROWMERE_PLAYER_PATH. With nonBlocking, both pipe ends the player gets are in
  // non-blocking mode, as some servers leave them.
  explicit PlayerProcess(bool nonBlocking = false);
  ~PlayerProcess();
  PlayerProcess(const PlayerProcess&) = delete;
  PlayerProcess& operator=(const PlayerProcess&) = delete;

  bool started() const { return pid_m > 0; }

  // Writes bytes in one write() call (all of it, or false).
  bool send(const std::string& bytes);
  // Closes the player's standard input: the end of input.
  void closeInput();
  // Reads until the output holds at least count bytes in all, the output ends or the
  // deadline passes; returns everything read so far.
  const std::string& readAtLeast(std::size_t count, std::chrono::milliseconds deadline);
  // Reads until the player closes its output or the deadline passes; true if it closed.
  bool readToEnd(std::chrono::milliseconds deadline);
  // Waits for the exit; the exit status, or nothing if it did not exit in time (then the
  // player is killed).
  std::optional<int> waitExit(std::chrono::milliseconds deadline);

  const std::string& output() const { return output_m; }

 private:
  // One read with a deadline; false at the end of output or when the deadline passed.
  bool readSome(std::chrono::steady_clock::time_point until);

  pid_t pid_m = -1;
  int input_m = -1;     // our end of the player's standard input
  int outputFd_m = -1;  // our end of the player's standard output
  bool outputEnded_m = false;
  std::string output_m;
};

// "BESTSHOT %f %f %d" with finite numbers of six decimals and spin 0 or 1, starting at
// text[pos]; on success returns the position after it.
std::optional<std::size_t> matchBestShot(const std::string& text, std::size_t pos);

}  // namespace varrowmere::testing
