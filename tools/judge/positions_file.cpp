#include "positions_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace varrowmere::judge {

namespace {

bool readInteger(const std::string& word, int64_t low, int64_t high, int64_t& value) {
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(word.c_str(), &end, 10);
  if (errno != 0 || end == word.c_str() || *end != '\0' || v < low || v > high) return false;
  value = v;
  return true;
}

bool readCoordinate(const std::string& word, float& value) {
  char* end = nullptr;
  const float v = std::strtof(word.c_str(), &end);
  if (end == word.c_str() || *end != '\0' || !std::isfinite(v)) return false;
  value = v;
  return true;
}

// What a log calls a player, cut to a short name: "varrowmere", "draw", or a command's
// program name.
std::string shortName(const std::string& name) {
  std::string word = name.substr(0, name.find(' '));
  word = word.substr(word.find_last_of('/') + 1);
  std::string out;
  for (char c : word)
    if (c != '\'' && c != '"') out += c;
  return out.empty() ? "player" : out;
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.9g", value);
  return text;
}

}  // namespace

bool readPositions(std::istream& in, std::vector<JudgePosition>& positions, std::string& error) {
  std::string line;
  for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty() || w[0][0] == '#') continue;
    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    if (w.size() != std::size_t(POSITION_HEAD_WORDS + 2 * STONE_COUNT)) {
      error = where + std::to_string(w.size()) + " words, not " +
              std::to_string(POSITION_HEAD_WORDS + 2 * STONE_COUNT) +
              " (id shot end lastEnd lead x0 y0 ... x15 y15)";
      return false;
    }
    JudgePosition p;
    p.id = w[0];
    int64_t shot = 0, end = 0, lastEnd = 0;
    if (!readInteger(w[1], JUDGED_SHOT, JUDGED_SHOT, shot)) {
      error = where + "shot \"" + w[1] + "\": only the last stone of an end (shot " +
              std::to_string(JUDGED_SHOT) + ") is judged";
      return false;
    }
    if (!readInteger(w[2], 0, INT32_MAX, end) || !readInteger(w[3], end + 1, INT32_MAX, lastEnd) ||
        !readInteger(w[4], -MAX_POSITION_LEAD, MAX_POSITION_LEAD, p.lead)) {
      error = where + "end, last end or lead is not a whole number in range (0 <= end < lastEnd)";
      return false;
    }
    p.state.shotNum = int32_t(shot);
    p.state.curEnd = int32_t(end);
    p.state.lastEnd = int32_t(lastEnd);
    p.state.whiteToMove = true;
    for (int i = 0; i < 2 * STONE_COUNT; ++i) {
      if (!readCoordinate(w[POSITION_HEAD_WORDS + i], p.state.stonePos[i / 2][i % 2])) {
        error = where + "stone coordinate \"" + w[POSITION_HEAD_WORDS + i] + "\" is not a number";
        return false;
      }
    }
    positions.push_back(p);
  }
  return true;
}

std::string positionLine(const JudgePosition& position) {
  const GameState& s = position.state;
  // Built by appending: GCC 12 warns falsely about "literal" + std::string chains.
  std::string line = position.id;
  for (int64_t value : {int64_t{s.shotNum}, int64_t{s.curEnd}, int64_t{s.lastEnd}, position.lead}) {
    line += " ";
    line += std::to_string(value);
  }
  for (int i = 0; i < STONE_COUNT; ++i)
    for (int c = 0; c < 2; ++c) {
      line += " ";
      line += number(s.stonePos[i][c]);
    }
  return line + "\n";
}

void positionsOfGames(const std::vector<match::LoggedGame>& games, const std::string& label,
                      std::vector<JudgePosition>& positions) {
  for (const match::LoggedGame& game : games) {
    for (const match::ShotRecord& shot : game.shots) {
      if (shot.shot != JUDGED_SHOT - 1) continue;
      // Shot 14 is thrown by the side without the hammer; the totals are those after the
      // previous end.
      const int hammer = 1 - shot.player;
      int64_t lead = 0;
      for (const match::EndRecord& end : game.ends)
        if (end.end == shot.end - 1) lead = end.total[hammer] - end.total[1 - hammer];
      JudgePosition p;
      p.id = label + ".g" + std::to_string(game.settings.game) + ".e" + std::to_string(shot.end) +
             "." + shortName(game.settings.names[hammer]);
      for (int i = 0; i < STONE_COUNT; ++i)
        for (int c = 0; c < 2; ++c) p.state.stonePos[i][c] = shot.after.stonePos[i][c];
      p.state.shotNum = JUDGED_SHOT;
      p.state.curEnd = shot.end;
      p.state.lastEnd = game.settings.ends;
      p.state.whiteToMove = true;
      p.lead = lead;
      positions.push_back(p);
    }
  }
}

}  // namespace varrowmere::judge
