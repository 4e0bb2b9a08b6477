#include "process_player.h"

#include <algorithm>
#include <cstdio>

namespace varrowmere::match {

using process::durationOf;

std::string positionCommand(const GameState& state) {
  std::string line = "POSITION";
  char number[32];
  for (int i = 0; i < STONE_COUNT; ++i) {
    for (int c = 0; c < 2; ++c) {
      // Nine significant digits give back the exact float.
      std::snprintf(number, sizeof(number), " %.9g", double(state.stonePos[i][c]));
      line += number;
    }
  }
  return line + "\n";
}

std::string setStateCommand(const GameState& state) {
  char line[96];
  std::snprintf(line, sizeof(line), "SETSTATE %d %d %d %d\n", state.shotNum, state.curEnd,
                state.lastEnd, state.whiteToMove ? 1 : 0);
  return line;
}

ProcessPlayer::ProcessPlayer(std::string command, double readyTimeout, std::string name)
    : command_m(std::move(command)),
      name_m(name.empty() ? command_m : std::move(name)),
      readyTimeout_m(readyTimeout) {}

ProcessPlayer::~ProcessPlayer() { stop(); }

// Closing its input asks a protocol player to leave; it gets a moment, then its group ends.
void ProcessPlayer::stop() { driver_m.finish(durationOf(EXIT_GRACE)); }

std::string ProcessPlayer::exitDescription() {
  if (!driver_m.running()) return "is not running";
  // The output closed; the process is usually gone by now or soon.
  if (!driver_m.waitExit(durationOf(EXIT_GRACE))) return "closed its output";
  return driver_m.exitDescription();
}

bool ProcessPlayer::send(const std::string& text, std::string& failure) {
  if (driver_m.send(text)) return true;
  failure = exitDescription() + " (its input is closed)";
  return false;
}

template <typename Parse>
ProcessPlayer::ReadResult ProcessPlayer::readReply(Parse parse, Clock::time_point deadline,
                                                   std::string& received,
                                                   Clock::time_point& lastByte) {
  ReplyState state = parse(received);
  for (;;) {
    if (state == ReplyState::Garbage) return ReadResult::Garbage;
    if (state == ReplyState::Complete) return ReadResult::Reply;
    Clock::time_point until = deadline;
    if (state == ReplyState::Tentative && lastByte + durationOf(REPLY_GRACE) < until)
      until = lastByte + durationOf(REPLY_GRACE);
    const process::ReadResult result = driver_m.readSome(until);
    if (result == process::ReadResult::Ended) return ReadResult::Closed;
    if (result == process::ReadResult::Timeout) {
      if (state == ReplyState::Tentative) return ReadResult::Reply;
      if (Clock::now() >= deadline) return ReadResult::Timeout;
      continue;
    }
    lastByte = driver_m.lastRead();
    received += driver_m.takeOutput();
    state = parse(received);
    // A player that never pauses is still held to its deadline.
    if (state != ReplyState::Complete && state != ReplyState::Garbage && lastByte >= deadline)
      return ReadResult::Timeout;
  }
}

bool ProcessPlayer::newGame(std::string& failure) {
  if (!driver_m.running() && !driver_m.startShell(command_m, failure)) return false;
  if (!send("NEWGAME\n", failure) || !send("ISREADY\n", failure)) return false;
  std::string received;
  Clock::time_point lastByte = Clock::now();
  const auto deadline = Clock::now() + durationOf(readyTimeout_m);
  switch (readReply(parseReadyReply, deadline, received, lastByte)) {
    case ReadResult::Reply:
      return true;
    case ReadResult::Garbage:
      failure = "answered ISREADY with \"" + printable(received) + "\"";
      return false;
    case ReadResult::Timeout:
      failure = "did not answer ISREADY within its start-up time";
      return false;
    case ReadResult::Closed:
      failure = exitDescription() + " before answering ISREADY";
      return false;
  }
  return false;
}

PlayerAnswer ProcessPlayer::play(const GameState& state, double secondsLeft) {
  PlayerAnswer answer;
  if (!driver_m.running()) {
    answer.failure = "is not running";
    return answer;
  }
  if (!send(positionCommand(state), answer.failure) ||
      !send(setStateCommand(state), answer.failure) || !send("GO\n", answer.failure))
    return answer;
  const auto start = Clock::now();
  const auto deadline = start + durationOf(std::max(0.0, secondsLeft));
  std::string received;
  Clock::time_point lastByte = start;
  ShotVector shot;
  const auto parse = [&shot](const std::string& text) { return parseShotReply(text, &shot); };
  const ReadResult result = readReply(parse, deadline, received, lastByte);
  answer.seconds =
      std::chrono::duration<double>((result == ReadResult::Reply ? lastByte : Clock::now()) - start)
          .count();
  char left[64];
  std::snprintf(left, sizeof(left), "%.2f s", secondsLeft);
  switch (result) {
    case ReadResult::Reply:
      answer.ok = true;
      answer.shot = shot;
      break;
    case ReadResult::Garbage:
      answer.failure = "answered GO with \"" + printable(received) + "\", not a BESTSHOT";
      break;
    case ReadResult::Timeout:
      answer.failure = std::string("ran out of thinking time (") + left + " left at GO)";
      if (!received.empty()) answer.failure += ", having sent \"" + printable(received) + "\"";
      break;
    case ReadResult::Closed:
      answer.failure = exitDescription() + " while thinking";
      break;
  }
  return answer;
}

}  // namespace varrowmere::match
