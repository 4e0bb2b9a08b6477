#include "soak_player.h"

#include <algorithm>
#include <chrono>

#include "process_player.h"
#include "reply_parser.h"
#include "soak_checks.h"

namespace varrowmere::soak {

bool readUntilReady(ProcessDriver& process, double timeoutSeconds, std::string& before) {
  const std::string ready = match::READY_REPLY;
  const auto deadline = process::Clock::now() + process::durationOf(timeoutSeconds);
  const auto found = [&ready](const std::string& output) {
    return output.find(ready) != std::string::npos;
  };
  if (process.readUntil(found, deadline) != process::ReadResult::Arrived) {
    before = process.takeOutput();
    return false;
  }
  before = process.takeOutput(process.output().find(ready));
  process.takeOutput(ready.size());
  return true;
}

GoAnswer askShot(ProcessDriver& process, const GameState& state, double timeoutSeconds) {
  GoAnswer answer;
  const auto start = std::chrono::steady_clock::now();
  const std::string commands =
      match::positionCommand(state) + match::setStateCommand(state) + "GO\nISREADY\n";
  if (!process.send(commands)) {
    answer.failure = "the player no longer reads its input";
    return answer;
  }
  std::string reply;
  const bool ready = readUntilReady(process, timeoutSeconds, reply);
  answer.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!ready) {
    answer.failure = "no READYOK after the GO; it wrote \"" + match::printable(reply) + "\"";
    return answer;
  }
  if (!parseBestShot(reply, answer.shot)) {
    answer.failure = "not exactly one BESTSHOT: \"" + match::printable(reply) + "\"";
    return answer;
  }
  answer.ok = true;
  return answer;
}

bool startNewGame(ProcessDriver& process, double timeoutSeconds, std::string& failure) {
  std::string reply;
  if (!process.send("NEWGAME\nISREADY\n") || !readUntilReady(process, timeoutSeconds, reply)) {
    failure = "no READYOK after NEWGAME";
    return false;
  }
  if (!reply.empty()) {
    failure = "unasked output \"" + match::printable(reply) + "\"";
    return false;
  }
  return true;
}

bool SoakPlayer::newGame(std::string& failure) {
  return startNewGame(process_m, timeout_m, failure);
}

match::PlayerAnswer SoakPlayer::play(const GameState& state, double /*secondsLeft*/) {
  const GoAnswer go = askShot(process_m, state, timeout_m);
  match::PlayerAnswer answer;
  answer.ok = go.ok;
  answer.shot = go.shot;
  answer.seconds = go.seconds;
  answer.failure = go.failure;
  if (go.ok) {
    ++answered_m;
    slowest_m = std::max(slowest_m, go.seconds);
  }
  return answer;
}

}  // namespace varrowmere::soak
