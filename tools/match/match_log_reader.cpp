#include "match_log_reader.h"

#include <cfloat>
#include <cmath>

#include "json_value.h"
#include "match_options.h"
#include "physics/reference_sim.h"
#include "physics/sim_world.h"

namespace varrowmere::match {

namespace {

using Kind = JsonValue::Kind;

// The fields of one row; each getter returns false and names the field when it is missing
// or out of range.
class RowReader {
 public:
  explicit RowReader(const JsonValue& row) : row_m(row) {}
  const std::string& problem() const { return problem_m; }

  bool integer(const char* key, long long low, long long high, int& out) {
    const JsonValue* v = row_m.find(key);
    if (!v || v->kind != Kind::NUMBER || !(v->number >= double(low) && v->number <= double(high)) ||
        v->number != std::floor(v->number))
      return bad(key, "a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    out = int(v->number);
    return true;
  }

  bool number(const char* key, double& out) {
    const JsonValue* v = row_m.find(key);
    if (!v || v->kind != Kind::NUMBER || !std::isfinite(v->number)) return bad(key, "a number");
    out = v->number;
    return true;
  }

  // "red", "yellow", or null where allowed (as -1).
  bool player(const char* key, bool nullAllowed, int& out) {
    const JsonValue* v = row_m.find(key);
    out = -1;
    if (v && v->kind == Kind::STRING)
      for (int p = 0; p < PLAYER_COUNT; ++p)
        if (v->text == PLAYER_COLOURS[p]) out = p;
    if (out >= 0 || (nullAllowed && v && v->kind == Kind::NUL)) return true;
    return bad(key, nullAllowed ? "\"red\", \"yellow\" or null" : "\"red\" or \"yellow\"");
  }

  bool text(const char* key, bool nullAllowed, std::string& out) {
    const JsonValue* v = row_m.find(key);
    if (v && v->kind == Kind::STRING) out = v->text;
    if ((v && v->kind == Kind::STRING) || (nullAllowed && v && v->kind == Kind::NUL)) return true;
    return bad(key, "a string");
  }

  bool flag(const char* key, bool& out) {
    const JsonValue* v = row_m.find(key);
    if (!v || v->kind != Kind::BOOLEAN) return bad(key, "true or false");
    out = v->boolean;
    return true;
  }

  bool perPlayer(const char* key, int out[PLAYER_COUNT]) {
    const JsonValue* v = row_m.find(key);
    if (v && v->kind == Kind::OBJECT) {
      RowReader inner(*v);
      if (inner.integer("red", 0, 1 << 20, out[0]) && inner.integer("yellow", 0, 1 << 20, out[1]))
        return true;
    }
    return bad(key, "{\"red\": points, \"yellow\": points}");
  }

  bool seconds(const char* key, double out[PLAYER_COUNT]) {
    const JsonValue* v = row_m.find(key);
    if (v && v->kind == Kind::OBJECT) {
      RowReader inner(*v);
      if (inner.number("red", out[0]) && inner.number("yellow", out[1])) return true;
    }
    return bad(key, "{\"red\": seconds, \"yellow\": seconds}");
  }

  bool shotVector(const char* key, ShotVector& out) {
    const JsonValue* v = row_m.find(key);
    if (v && v->kind == Kind::ARRAY && v->items.size() == 3 && isFloat(v->items[0]) &&
        isFloat(v->items[1]) && v->items[2].kind == Kind::NUMBER &&
        (v->items[2].number == 0.0 || v->items[2].number == 1.0)) {
      out = ShotVector{float(v->items[0].number), float(v->items[1].number),
                       v->items[2].number == 1.0};
      return true;
    }
    return bad(key, "[vx, vy, spin 0 or 1]");
  }

  bool stones(const char* key, GameState& out) {
    const JsonValue* v = row_m.find(key);
    bool good = v && v->kind == Kind::ARRAY && v->items.size() == STONE_COUNT;
    for (int i = 0; good && i < STONE_COUNT; ++i) {
      const JsonValue& pair = v->items[std::size_t(i)];
      good = pair.kind == Kind::ARRAY && pair.items.size() == 2 && isCoordinate(pair.items[0]) &&
             isCoordinate(pair.items[1]);
      if (!good) break;
      out.stonePos[i][0] = float(pair.items[0].number);
      out.stonePos[i][1] = float(pair.items[1].number);
    }
    return good || bad(key, "16 stones [x, y] on the sheet");
  }

  // Missing paths (an older log) read as none: the stones then move without motion.
  bool paths(const char* key, ShotPaths& out) {
    const JsonValue* v = row_m.find(key);
    if (!v) return true;
    bool good = v->kind == Kind::ARRAY && v->items.size() <= STONE_COUNT;
    for (std::size_t p = 0; good && p < v->items.size(); ++p) {
      RowReader path(v->items[p]);
      StonePath stone;
      const JsonValue* points = v->items[p].find("points");
      good = path.integer("stone", 0, STONE_COUNT - 1, stone.stone) && points &&
             points->kind == Kind::ARRAY && !points->items.empty() &&
             points->items.size() <= MAX_PATH_POINTS;
      for (std::size_t i = 0; good && i < points->items.size(); ++i) {
        const JsonValue& point = points->items[i];
        good = point.kind == Kind::ARRAY && point.items.size() == 3 &&
               point.items[0].kind == Kind::NUMBER && point.items[0].number >= 0.0 &&
               point.items[0].number <= MAX_REFERENCE_STEPS &&
               point.items[0].number == std::floor(point.items[0].number) &&
               isCoordinate(point.items[1]) && isCoordinate(point.items[2]);
        if (!good) break;
        const PathPoint sample{int32_t(point.items[0].number), float(point.items[1].number),
                               float(point.items[2].number)};
        good = stone.points.empty() || sample.step >= stone.points.back().step;
        stone.points.push_back(sample);
      }
      out.push_back(std::move(stone));
    }
    return good || bad(key,
                       "a list of {\"stone\": 0..15, \"points\": [[step, x, y], ...]}, "
                       "steps in order");
  }

 private:
  static bool isFloat(const JsonValue& v) {
    return v.kind == Kind::NUMBER && std::fabs(v.number) <= double(FLT_MAX);
  }
  static bool isCoordinate(const JsonValue& v) {
    return v.kind == Kind::NUMBER && std::fabs(v.number) <= BODY_COORDINATE_LIMIT;
  }
  bool bad(const char* key, const std::string& expected) {
    problem_m = std::string("\"") + key + "\" should be " + expected;
    return false;
  }

  const JsonValue& row_m;
  std::string problem_m;
};

bool readStart(RowReader& r, LoggedGame& g) {
  GameSettings& s = g.settings;
  std::string seed;
  if (!r.integer("ends", 1, MAX_ENDS, s.ends) || !r.number("time_s", s.thinkingTime) ||
      !r.player("hammer", false, s.firstHammer) || !r.text("red", false, s.names[0]) ||
      !r.text("yellow", false, s.names[1]) || !r.text("seed", false, seed))
    return false;
  s.seed = std::strtoull(seed.c_str(), nullptr, 10);
  g.result.game = s.game;
  return true;
}

bool readShot(RowReader& r, LoggedGame& g, std::string& error) {
  ShotRecord s;
  s.game = g.settings.game;
  if (!r.integer("end", 0, MAX_ENDS - 1, s.end) || !r.integer("shot", 0, STONE_COUNT - 1, s.shot) ||
      !r.player("player", false, s.player) || !r.shotVector("asked", s.asked) ||
      !r.shotVector("delivered", s.delivered) || !r.number("think_s", s.seconds) ||
      !r.number("left_s", s.secondsLeft) || !r.flag("free_guard_violation", s.freeGuardViolation) ||
      !r.stones("stones", s.after) || !r.paths("paths", s.paths))
    return false;
  const int end = int(g.ends.size());
  const int shot = int(g.shots.size()) - end * STONE_COUNT;
  if (s.end != end || s.shot != shot || end >= g.settings.ends) {
    error = end >= g.settings.ends ? "a shot after the last end"
            : shot == STONE_COUNT
                ? "the end row of end " + std::to_string(end) + " expected"
                : "shot " + std::to_string(shot) + " of end " + std::to_string(end) + " expected";
    return false;
  }
  s.after.shotNum = s.shot + 1;
  s.after.curEnd = s.end;
  s.after.lastEnd = g.settings.ends;
  g.shots.push_back(std::move(s));
  return true;
}

bool readEnd(RowReader& r, LoggedGame& g, std::string& error) {
  EndRecord e;
  e.game = g.settings.game;
  if (!r.integer("end", 0, MAX_ENDS - 1, e.end) || !r.player("hammer", false, e.hammer) ||
      !r.perPlayer("points", e.points) || !r.perPlayer("total", e.total) ||
      !r.player("next_hammer", false, e.nextHammer) || !r.stones("stones", e.position))
    return false;
  if (e.end != int(g.ends.size()) || g.shots.size() != (g.ends.size() + 1) * STONE_COUNT) {
    error = "an end row before the end's sixteenth shot";
    return false;
  }
  g.ends.push_back(e);
  return true;
}

bool readResult(RowReader& r, LoggedGame& g) {
  GameResult& res = g.result;
  int ends = 0;
  if (!r.integer("ends", 0, MAX_ENDS, ends) || !r.perPlayer("total", res.total) ||
      !r.player("winner", true, res.winner) || !r.player("forfeit", true, res.forfeit) ||
      !r.text("reason", true, res.reason) || !r.seconds("think_s", res.seconds))
    return false;
  res.endsPlayed = ends;
  g.over = true;
  return true;
}

// One row in its place among the games read so far.
bool readRow(const JsonValue& row, std::vector<LoggedGame>& games, std::string& error) {
  RowReader r(row);
  std::string type;
  int game = 0;
  if (row.kind != Kind::OBJECT) {
    error = "not a JSON object";
    return false;
  }
  if (!r.text("type", false, type) || !r.integer("game", 0, MAX_GAMES - 1, game)) {
    error = r.problem();
    return false;
  }
  bool good = false;
  if (type == "start") {
    if (game != int(games.size()) || (!games.empty() && !games.back().over)) {
      error = "the start of game " + std::to_string(game) + " out of order";
      return false;
    }
    games.emplace_back();
    games.back().settings.game = game;
    good = readStart(r, games.back());
  } else if (games.empty() || game != int(games.size()) - 1 || games.back().over) {
    error = "a \"" + type + "\" row outside its game (no start row before it?)";
    return false;
  } else if (type == "shot") {
    good = readShot(r, games.back(), error);
  } else if (type == "end") {
    good = readEnd(r, games.back(), error);
  } else if (type == "game") {
    good = readResult(r, games.back());
  } else {
    error = "unknown row type \"" + type + "\"";
    return false;
  }
  if (!good && error.empty()) error = r.problem();
  return good;
}

}  // namespace

bool readMatchLog(std::istream& in, std::vector<LoggedGame>& games, std::string& error) {
  games.clear();
  long long bytes = 0;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    bytes += (long long)line.size() + 1;
    if (bytes > MAX_LOG_BYTES) {
      error = "longer than " + std::to_string(MAX_LOG_BYTES) + " bytes";
      return false;
    }
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    JsonValue row;
    std::string problem;
    if (!parseJson(line, row, problem) || !readRow(row, games, problem)) {
      error = "line " + std::to_string(number) + ": " + problem;
      return false;
    }
  }
  if (in.bad()) {
    error = "cannot be read";
    return false;
  }
  if (games.empty()) {
    error = "holds no game";
    return false;
  }
  return true;
}

void replayGames(const std::vector<LoggedGame>& games, GameObserver& observer) {
  for (const LoggedGame& g : games) {
    observer.onGameStart(g.settings);
    for (std::size_t i = 0; i < g.shots.size(); ++i) {
      observer.onShot(g.shots[i]);
      const std::size_t end = i / STONE_COUNT;
      if (i % STONE_COUNT == STONE_COUNT - 1 && end < g.ends.size()) observer.onEnd(g.ends[end]);
    }
    if (g.over) observer.onGameOver(g.result);
  }
}

}  // namespace varrowmere::match
