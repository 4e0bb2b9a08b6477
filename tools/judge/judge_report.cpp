#include "judge_report.h"

#include <cmath>
#include <limits>

#include "match_stats.h"

namespace varrowmere::judge {

namespace {

std::string format(const char* pattern, double a, double b = 0.0, double c = 0.0) {
  char text[128];
  std::snprintf(text, sizeof(text), pattern, a, b, c);
  return text;
}

std::string interval(const PairedMean& m, const char* pattern) {
  std::string text = format(pattern, m.mean) + " (95% ";
  if (!std::isfinite(m.halfWidth)) return text + "unknown)";
  return text + format(pattern, m.mean - m.halfWidth) + " .. " +
         format(pattern, m.mean + m.halfWidth) + ")";
}

}  // namespace

PairedMean pairedMean(const std::vector<double>& differences) {
  PairedMean m;
  m.count = int(differences.size());
  m.halfWidth = std::numeric_limits<double>::infinity();
  if (m.count == 0) return m;
  for (double d : differences) m.mean += d;
  m.mean /= m.count;
  if (m.count < 2) return m;
  double squares = 0.0;
  for (double d : differences) squares += (d - m.mean) * (d - m.mean);
  m.halfWidth = match::studentT975(m.count - 1) * std::sqrt(squares / (m.count - 1) / m.count);
  return m;
}

std::string rowHeader(std::size_t players) {
  std::string text = "position                        lead  end    p1 pts  p1 win";
  for (std::size_t j = 1; j < players; ++j) {
    // Built by appending: GCC 12 warns falsely about "literal" + std::string chains.
    std::string p = "p";
    p += std::to_string(j + 1);
    text += "  |  ";
    for (const char* word : {" pts  ", "-p1  ", " win  ", "-p1"}) text += p + word;
  }
  return text + "\n";
}

std::string positionRow(const JudgePosition& position, const std::vector<PlayerResult>& results) {
  char head[96];
  std::snprintf(head, sizeof(head), "%-30s %+5lld  %d/%d", position.id.c_str(),
                static_cast<long long>(position.lead), position.state.curEnd + 1,
                position.state.lastEnd);
  std::string text = head;
  const ShotWorth& first = results[0].worth;
  text += format("  %+7.3f  %6.4f", first.score, first.win);
  for (std::size_t j = 1; j < results.size(); ++j) {
    const ShotWorth& w = results[j].worth;
    text += format("  |  %+7.3f  %+6.3f", w.score, w.score - first.score);
    text += format("  %6.4f  %+7.4f", w.win, w.win - first.win);
  }
  return text + "\n";
}

void printSummary(std::FILE* out, const std::vector<std::string>& players,
                  const std::vector<std::vector<PlayerResult>>& results, double wallSeconds) {
  const std::size_t n = results.size();
  if (n == 0) return;
  std::fprintf(out, "\n%zu positions, %.1f s in all (%.2f s per position)\n", n, wallSeconds,
               wallSeconds / double(n));
  std::fprintf(out,
               "player  expected end score  chance to win  game points  per position: think, "
               "process, deliveries\n");
  for (std::size_t j = 0; j < players.size(); ++j) {
    double score = 0.0, win = 0.0, game = 0.0, think = 0.0, process = 0.0, judged = 0.0;
    for (const auto& r : results) {
      score += r[j].worth.score;
      win += r[j].worth.win;
      game += r[j].worth.game;
      think += r[j].thinkSeconds;
      process += r[j].playerSeconds;
      judged += r[j].judgeSeconds;
    }
    std::fprintf(out, "p%-5zu  %+18.3f  %13.4f  %+11.3f  %6.2f s %6.2f s %6.2f s   %s\n", j + 1,
                 score / n, win / n, game / n, think / n, process / n, judged / n,
                 players[j].c_str());
  }
  std::fprintf(out, "against p1, paired over the positions (95%% interval, Student's t):\n");
  for (std::size_t j = 1; j < players.size(); ++j) {
    std::vector<double> points, wins, games;
    int same = 0;
    for (const auto& r : results) {
      points.push_back(r[j].worth.score - r[0].worth.score);
      wins.push_back(r[j].worth.win - r[0].worth.win);
      games.push_back(r[j].worth.game - r[0].worth.game);
      const ShotVector &a = r[j].shot, &b = r[0].shot;
      same += a.vx == b.vx && a.vy == b.vy && a.spin == b.spin;
    }
    std::fprintf(out,
                 "p%zu - p1  points per end %s  chance to win %s  game points %s  same shot on %d "
                 "of %zu\n",
                 j + 1, interval(pairedMean(points), "%+.4f").c_str(),
                 interval(pairedMean(wins), "%+.4f").c_str(),
                 interval(pairedMean(games), "%+.4f").c_str(), same, n);
  }
}

}  // namespace varrowmere::judge
