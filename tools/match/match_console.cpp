#include "match_console.h"

namespace varrowmere::match {

std::string playerLabel(int player, const std::string& name) {
  return std::string(PLAYER_COLOURS[player]) + " (" + name + ")";
}

ConsoleReport::ConsoleReport(std::FILE* out, const std::string names[PLAYER_COUNT], int ends,
                             bool quiet, int games)
    : out_m(out), ends_m(ends), quiet_m(quiet), games_m(games) {
  for (int p = 0; p < PLAYER_COUNT; ++p) names_m[p] = names[p];
}

void ConsoleReport::closeLine() {
  if (lineOpen_m) std::fputc('\n', out_m);
  lineOpen_m = false;
}

void ConsoleReport::onGameStart(const GameSettings& settings) {
  if (quiet_m) return;
  std::fprintf(out_m, "game %d/%d, %d ends: %s against %s; %s has the hammer\n", settings.game + 1,
               games_m, settings.ends, playerLabel(0, names_m[0]).c_str(),
               playerLabel(1, names_m[1]).c_str(), PLAYER_COLOURS[settings.firstHammer]);
  std::fflush(out_m);
}

void ConsoleReport::onThinking(int end, int shot, int player) {
  if (quiet_m) return;
  std::fprintf(out_m, "end %d shot %2d  %-6s ", end + 1, shot + 1, PLAYER_COLOURS[player]);
  std::fflush(out_m);
  lineOpen_m = true;
}

void ConsoleReport::onShot(const ShotRecord& r) {
  if (quiet_m) return;
  if (!lineOpen_m)
    std::fprintf(out_m, "end %d shot %2d  %-6s ", r.end + 1, r.shot + 1, PLAYER_COLOURS[r.player]);
  lineOpen_m = false;
  std::fprintf(out_m,
               " vx %9.5f vy %10.5f spin %d  played vx %9.5f vy %10.5f"
               "  think %7.3f s (left %.1f s)%s\n",
               double(r.asked.vx), double(r.asked.vy), r.asked.spin ? 1 : 0, double(r.delivered.vx),
               double(r.delivered.vy), r.seconds, r.secondsLeft,
               r.freeGuardViolation ? "  free-guard-zone violation: stone removed" : "");
  std::fflush(out_m);
}

void ConsoleReport::printScoreboard(const EndRecord& r) {
  std::fprintf(out_m, "\n  end     ");
  for (int e = 0; e < ends_m; ++e) std::fprintf(out_m, "%3d", e + 1);
  std::fprintf(out_m, "  total\n");
  for (int p = 0; p < PLAYER_COUNT; ++p) {
    // The hammer mark shows who throws last in the next end.
    std::fprintf(out_m, "  %-6s%s ", PLAYER_COLOURS[p], r.nextHammer == p ? "*" : " ");
    for (int e = 0; e < ends_m; ++e) {
      if (e < int(points_m[p].size()))
        std::fprintf(out_m, "%3d", points_m[p][std::size_t(e)]);
      else
        std::fprintf(out_m, "  .");
    }
    std::fprintf(out_m, "  %5d   %s\n", r.total[p], names_m[p].c_str());
  }
  std::fprintf(out_m, "  (* has the hammer next)\n\n");
}

void ConsoleReport::onEnd(const EndRecord& r) {
  for (int p = 0; p < PLAYER_COUNT; ++p) points_m[p].push_back(r.points[p]);
  if (quiet_m) return;
  const int scorer = r.points[0] > 0 ? 0 : (r.points[1] > 0 ? 1 : -1);
  if (scorer < 0)
    std::fprintf(out_m, "end %d: blank end\n", r.end + 1);
  else
    std::fprintf(out_m, "end %d: %s scores %d\n", r.end + 1, PLAYER_COLOURS[scorer],
                 r.points[scorer]);
  printScoreboard(r);
  std::fflush(out_m);
}

void ConsoleReport::onGameOver(const GameResult& g) {
  closeLine();
  std::fprintf(out_m, "game %d/%d: %s %d - %d %s", g.game + 1, games_m,
               playerLabel(0, names_m[0]).c_str(), g.total[0], g.total[1],
               playerLabel(1, names_m[1]).c_str());
  if (g.forfeit >= 0)
    std::fprintf(out_m, ": %s forfeits: %s", PLAYER_COLOURS[g.forfeit], g.reason.c_str());
  else if (g.winner >= 0)
    std::fprintf(out_m, ": %s wins", PLAYER_COLOURS[g.winner]);
  else
    std::fprintf(out_m, ": a draw");
  std::fprintf(out_m, "  (thinking %.1f s / %.1f s)\n", g.seconds[0], g.seconds[1]);
  std::fflush(out_m);
  points_m[0].clear();
  points_m[1].clear();
}

}  // namespace varrowmere::match
