#pragma once
// One game between two players, as a server would play it: for every end and every shot the
// referee sends the position, takes the player's shot, perturbs it by delivery noise, plays it
// with the reference simulation and applies the rules. Players are numbered 0 (red) and
// 1 (yellow); in each end the player without the hammer throws the even stones.

#include <cstdint>
#include <string>
#include <vector>

#include "delivery_noise.h"
#include "driver/game_state.h"
#include "match_rules.h"
#include "physics/reference_sim.h"
#include "player.h"

namespace varrowmere::match {

// Ends of a game unless told otherwise.
inline constexpr int DEFAULT_ENDS = 8;
inline constexpr int PLAYER_COUNT = 2;
inline constexpr const char* PLAYER_COLOURS[PLAYER_COUNT] = {"red", "yellow"};

struct GameSettings {
  int game = 0;                                 // number of the game in a match, from 0
  int ends = DEFAULT_ENDS;                      // also sent as lastEnd
  double thinkingTime = INITIAL_THINKING_TIME;  // each player's budget for the game (s)
  int firstHammer = 1;                          // player with the hammer in the first end
  uint64_t seed = 0;                            // the match's seed, for the record
  std::string names[PLAYER_COUNT];              // what plays each colour, for the record
};

// Who throws stone `shot` of an end whose hammer `hammer` holds.
inline constexpr int throwerOf(int shot, int hammer) { return shot % 2 == 1 ? hammer : 1 - hammer; }

struct ShotRecord {
  int game = 0, end = 0, shot = 0;
  int player = 0;            // who threw it
  ShotVector asked;          // the player's answer
  ShotVector delivered;      // after delivery noise
  double seconds = 0.0;      // thinking time of the answer
  double secondsLeft = 0.0;  // the thrower's budget left after it
  bool freeGuardViolation = false;
  GameState after;  // the position once the stones came to rest
  ShotPaths paths;  // how the stones that moved got there (before the free-guard-zone rule)
};

struct EndRecord {
  int game = 0, end = 0;
  int hammer = 0;  // who threw last in this end
  int points[PLAYER_COUNT] = {};
  int total[PLAYER_COUNT] = {};
  int nextHammer = 0;
  GameState position;  // after the last stone
};

struct GameResult {
  int game = 0;
  int total[PLAYER_COUNT] = {};
  int endsPlayed = 0;
  int winner = -1;                    // -1: a draw
  int forfeit = -1;                   // the player who lost by forfeit, -1 if none
  std::string reason;                 // why, for a forfeit
  double seconds[PLAYER_COUNT] = {};  // thinking time used
};

// Receives the game as it is played (console, log file, pictures).
class GameObserver {
 public:
  virtual ~GameObserver() = default;
  // Before the players are asked to get ready.
  virtual void onGameStart(const GameSettings&) {}
  // Before `player` is asked for stone `shot` of end `end`.
  virtual void onThinking(int /*end*/, int /*shot*/, int /*player*/) {}
  virtual void onShot(const ShotRecord&) {}
  virtual void onEnd(const EndRecord&) {}
  virtual void onGameOver(const GameResult&) {}
};

// Hands every event to each observer in turn.
class ObserverList : public GameObserver {
 public:
  void add(GameObserver* observer) { list_m.push_back(observer); }
  void onGameStart(const GameSettings& s) override {
    for (GameObserver* o : list_m) o->onGameStart(s);
  }
  void onThinking(int end, int shot, int player) override {
    for (GameObserver* o : list_m) o->onThinking(end, shot, player);
  }
  void onShot(const ShotRecord& r) override {
    for (GameObserver* o : list_m) o->onShot(r);
  }
  void onEnd(const EndRecord& r) override {
    for (GameObserver* o : list_m) o->onEnd(r);
  }
  void onGameOver(const GameResult& r) override {
    for (GameObserver* o : list_m) o->onGameOver(r);
  }

 private:
  std::vector<GameObserver*> list_m;
};

// Plays one shot on a position and records the paths of the stones that moved: the reference
// simulation, or a stand-in in tests (which may leave the paths empty).
using ShotSimulator = void (*)(const GameState& in, const ShotVector& shot, GameState& out,
                               ShotPaths& paths);

// Plays one game. A player that fails to start, to answer in time or to answer a valid shot
// loses at once; the result says why.
GameResult playGame(Player* const players[PLAYER_COUNT], const GameSettings& settings,
                    DeliveryNoise& noise, GameObserver& observer, ShotSimulator simulate);

}  // namespace varrowmere::match
