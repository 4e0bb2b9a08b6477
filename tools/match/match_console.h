#pragma once
// What a person watching the match reads on standard output: a line per shot (its start is
// written as soon as the player is asked, so a long think shows whose turn it is), a
// scoreboard after each end and a line per game. Ends and shots are counted from 1 here (the
// protocol and the log count from 0).

#include <cstdio>
#include <string>
#include <vector>

#include "game.h"

namespace varrowmere::match {

class ConsoleReport : public GameObserver {
 public:
  // names: how each player is shown; quiet: only the line per game.
  ConsoleReport(std::FILE* out, const std::string names[PLAYER_COUNT], int ends, bool quiet,
                int games);

  void onGameStart(const GameSettings& settings) override;
  void onThinking(int end, int shot, int player) override;
  void onShot(const ShotRecord& record) override;
  void onEnd(const EndRecord& record) override;
  void onGameOver(const GameResult& result) override;

 private:
  void printScoreboard(const EndRecord& record);
  // Ends a shot line left open while its player thinks.
  void closeLine();

  std::FILE* out_m;
  std::string names_m[PLAYER_COUNT];
  int ends_m;
  bool quiet_m;
  int games_m;
  bool lineOpen_m = false;
  // Points per end of the game in progress, per player.
  std::vector<int> points_m[PLAYER_COUNT];
};

// "red (draw)": the colour and, when it differs, what plays it.
std::string playerLabel(int player, const std::string& name);

}  // namespace varrowmere::match
