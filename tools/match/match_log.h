#pragma once
// The match log: one JSON object per line, for every shot ("type":"shot"), every end
// ("type":"end") and every game ("type":"game"). Ends and shots are the protocol's numbers
// (from 0); players are "red" and "yellow"; positions are the 16 stones [x, y] in the sheet
// frame, [0, 0] for a stone not in play; "think_s" and "left_s" are seconds of thinking time.

#include <ostream>
#include <string>

#include "game.h"

namespace varrowmere::match {

class MatchLog : public GameObserver {
 public:
  explicit MatchLog(std::ostream& out) : out_m(out) {}

  void onShot(const ShotRecord& record) override;
  void onEnd(const EndRecord& record) override;
  void onGameOver(const GameResult& result) override;

 private:
  std::ostream& out_m;
};

// The text as a JSON string literal, quotes included.
std::string jsonString(const std::string& text);

}  // namespace varrowmere::match
