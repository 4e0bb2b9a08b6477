#pragma once
// The match log: one JSON object per line, in the order of play: the start of every game
// ("type":"start": ends, thinking time, first hammer, what plays each colour, the match's
// seed as a string), every shot ("type":"shot"), every end ("type":"end") and the result
// ("type":"game"). Ends and shots are the protocol's numbers (from 0); players are "red" and
// "yellow"; positions are the 16 stones [x, y] in the sheet frame, [0, 0] for a stone not in
// play; "think_s" and "left_s" are seconds of thinking time. A shot's "paths" hold, for every
// stone that moved, samples [step, x, y]: step in model steps of 1/600 s from the release,
// x and y in metres to the millimetre (see PathPoint).

#include <ostream>
#include <string>

#include "game.h"

namespace varrowmere::match {

class MatchLog : public GameObserver {
 public:
  explicit MatchLog(std::ostream& out) : out_m(out) {}

  void onGameStart(const GameSettings& settings) override;
  void onShot(const ShotRecord& record) override;
  void onEnd(const EndRecord& record) override;
  void onGameOver(const GameResult& result) override;

 private:
  std::ostream& out_m;
};

// The text as a JSON string literal, quotes included.
std::string jsonString(const std::string& text);

}  // namespace varrowmere::match
