#include "soak_player.h"

#include <algorithm>
#include <chrono>

#include "process_player.h"
#include "reply_parser.h"
#include "soak_checks.h"

namespace varrowmere::soak {

GoAnswer askShot(PlayerProcess& process, const GameState& state, double timeoutSeconds) {
  GoAnswer answer;
  const auto start = std::chrono::steady_clock::now();
  const std::string commands =
      match::positionCommand(state) + match::setStateCommand(state) + "GO\nISREADY\n";
  if (!process.send(commands)) {
    answer.failure = "the player no longer reads its input";
    return answer;
  }
  std::string reply;
  const bool ready = process.readUntilReady(timeoutSeconds, reply);
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

bool startNewGame(PlayerProcess& process, double timeoutSeconds, std::string& failure) {
  std::string reply;
  if (!process.send("NEWGAME\nISREADY\n") || !process.readUntilReady(timeoutSeconds, reply)) {
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
