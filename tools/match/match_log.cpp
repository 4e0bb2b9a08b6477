#include "match_log.h"

#include <cstdio>

namespace varrowmere::match {

namespace {

// Nine significant digits: a float read back from the log is the float that was played.
std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.9g", value);
  return text;
}

std::string seconds(double value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.4f", value);
  return text;
}

// Built by appending: GCC 12 warns falsely about "literal" + std::string chains.
std::string shotVector(const ShotVector& shot) {
  std::string text = "[";
  text += number(shot.vx);
  text += ",";
  text += number(shot.vy);
  text += shot.spin ? ",1]" : ",0]";
  return text;
}

std::string stones(const GameState& position) {
  std::string text = "[";
  for (int i = 0; i < STONE_COUNT; ++i) {
    if (i > 0) text += ",";
    text += "[";
    text += number(position.stonePos[i][0]);
    text += ",";
    text += number(position.stonePos[i][1]);
    text += "]";
  }
  return text + "]";
}

// Millimetres, without trailing zeros: paths are most of the log.
std::string millimetres(float value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.3f", double(value));
  std::string out = text;
  while (out.back() == '0') out.pop_back();
  if (out.back() == '.') out.pop_back();
  return out == "-0" ? "0" : out;
}

std::string pathList(const ShotPaths& paths) {
  std::string text = "[";
  for (const StonePath& path : paths) {
    if (text.size() > 1) text += ",";
    text += "{\"stone\":";
    text += std::to_string(path.stone);
    text += ",\"points\":[";
    for (std::size_t i = 0; i < path.points.size(); ++i) {
      const PathPoint& point = path.points[i];
      if (i > 0) text += ",";
      text += "[";
      text += std::to_string(point.step);
      text += ",";
      text += millimetres(point.x);
      text += ",";
      text += millimetres(point.y);
      text += "]";
    }
    text += "]}";
  }
  return text + "]";
}

std::string perPlayer(const int values[PLAYER_COUNT]) {
  std::string text = "{\"red\":";
  text += std::to_string(values[0]);
  text += ",\"yellow\":";
  text += std::to_string(values[1]);
  text += "}";
  return text;
}

std::string playerOrNull(int player) {
  return player < 0 ? "null" : jsonString(PLAYER_COLOURS[player]);
}

}  // namespace

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
      out += escaped;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

void MatchLog::onGameStart(const GameSettings& s) {
  out_m << "{\"type\":\"start\",\"game\":" << s.game << ",\"ends\":" << s.ends
        << ",\"time_s\":" << number(s.thinkingTime) << ",\"hammer\":" << playerOrNull(s.firstHammer)
        << ",\"red\":" << jsonString(s.names[0]) << ",\"yellow\":" << jsonString(s.names[1])
        << ",\"seed\":\"" << s.seed << "\"}\n";
  out_m.flush();
}

void MatchLog::onShot(const ShotRecord& r) {
  out_m << "{\"type\":\"shot\",\"game\":" << r.game << ",\"end\":" << r.end
        << ",\"shot\":" << r.shot << ",\"player\":" << playerOrNull(r.player)
        << ",\"asked\":" << shotVector(r.asked) << ",\"delivered\":" << shotVector(r.delivered)
        << ",\"think_s\":" << seconds(r.seconds) << ",\"left_s\":" << seconds(r.secondsLeft)
        << ",\"free_guard_violation\":" << (r.freeGuardViolation ? "true" : "false")
        << ",\"stones\":" << stones(r.after) << ",\"paths\":" << pathList(r.paths) << "}\n";
  out_m.flush();
}

void MatchLog::onEnd(const EndRecord& r) {
  out_m << "{\"type\":\"end\",\"game\":" << r.game << ",\"end\":" << r.end
        << ",\"hammer\":" << playerOrNull(r.hammer) << ",\"points\":" << perPlayer(r.points)
        << ",\"total\":" << perPlayer(r.total) << ",\"next_hammer\":" << playerOrNull(r.nextHammer)
        << ",\"stones\":" << stones(r.position) << "}\n";
  out_m.flush();
}

void MatchLog::onGameOver(const GameResult& g) {
  out_m << "{\"type\":\"game\",\"game\":" << g.game << ",\"ends\":" << g.endsPlayed
        << ",\"total\":" << perPlayer(g.total) << ",\"winner\":" << playerOrNull(g.winner)
        << ",\"forfeit\":" << playerOrNull(g.forfeit)
        << ",\"reason\":" << (g.forfeit >= 0 ? jsonString(g.reason) : "null")
        << ",\"think_s\":{\"red\":" << seconds(g.seconds[0])
        << ",\"yellow\":" << seconds(g.seconds[1]) << "}}\n";
  out_m.flush();
}

}  // namespace varrowmere::match
