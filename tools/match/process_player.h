#pragma once
// A player in a child process, driven through the protocol on its standard input and output.
// The command line runs through /bin/sh -c in its own process group, so that ending the
// player also ends whatever the shell started. Standard error is left to the terminal.

#include <string>

#include "player.h"
#include "process_driver.h"
#include "reply_parser.h"

namespace varrowmere::match {

// Time a player gets to answer ISREADY after NEWGAME (s); not counted on its clock, since the
// player builds its tables at start-up.
inline constexpr double DEFAULT_READY_TIMEOUT = 120.0;
// Quiet time after a whole but unterminated reply before it is taken (s): a number may still
// be growing in the next piece of the pipe. Not counted on the player's clock.
inline constexpr double REPLY_GRACE = 0.03;
// Time a player gets to leave by itself once its input is closed, before it is killed (s).
inline constexpr double EXIT_GRACE = 0.5;

// The protocol lines the referee writes (each ends with a line feed).
std::string positionCommand(const GameState& state);
std::string setStateCommand(const GameState& state);

class ProcessPlayer : public Player {
 public:
  // `name` is how output shows the player; empty: the command line.
  explicit ProcessPlayer(std::string command, double readyTimeout = DEFAULT_READY_TIMEOUT,
                         std::string name = "");
  ~ProcessPlayer() override;
  ProcessPlayer(const ProcessPlayer&) = delete;
  ProcessPlayer& operator=(const ProcessPlayer&) = delete;

  const std::string& name() const override { return name_m; }
  bool newGame(std::string& failure) override;
  PlayerAnswer play(const GameState& state, double secondsLeft) override;
  void stop() override;

 private:
  using Clock = process::Clock;
  enum class ReadResult { Reply, Garbage, Timeout, Closed };

  bool send(const std::string& text, std::string& failure);
  // Reads until `parse` accepts a reply (Complete, or Tentative followed by the quiet grace),
  // rejects it, the deadline passes or the player closes its output. `received` gets the
  // bytes, `lastByte` the arrival time of the last of them.
  template <typename Parse>
  ReadResult readReply(Parse parse, Clock::time_point deadline, std::string& received,
                       Clock::time_point& lastByte);
  std::string exitDescription();

  std::string command_m;
  std::string name_m;
  double readyTimeout_m;
  process::ProcessDriver driver_m;
};

}  // namespace varrowmere::match
