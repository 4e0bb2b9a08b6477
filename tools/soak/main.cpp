// varrowmere-soak: one player process plays a whole game through the referee (two plies while
// its thinking time lasts, one after) and then answers a long seeded stream of positions, game
// by game (one ply: its thinking time stays spent, see soak_positions.h). Every GO must get
// exactly one well-formed BESTSHOT, the player must leave with status 0 when its input ends,
// and its resident memory after the first game must not grow by more than the tolerance for
// the rest of the session. The two-ply game goes first because two-ply searches need more
// memory than one-ply ones: measured after it, any later growth is growth, not a new need.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "builtin_player.h"
#include "delivery_noise.h"
#include "game.h"
#include "match_console.h"
#include "physics/motion.h"
#include "physics/reference_sim.h"
#include "process_driver.h"
#include "soak_checks.h"
#include "soak_player.h"
#include "soak_positions.h"

using namespace varrowmere;
using namespace varrowmere::soak;

namespace {

// Time the player gets for its start-up tables and for one answer (s).
constexpr double READY_TIMEOUT = 300.0;
constexpr double DEFAULT_GO_TIMEOUT = 600.0;
// Time the player gets to leave once its input is closed (s).
constexpr double EXIT_GRACE = 30.0;
// The referee's clock: the soak checks answers, not thinking time, so nobody forfeits on time.
constexpr double REFEREE_THINKING_TIME = 1e6;
constexpr double KB_PER_MB = 1024.0;

struct Options {
  std::string player;
  uint64_t seed = 1;
  int games = 10;
  int gosPerGame = 32;
  bool refereeGame = true;
  int ends = match::DEFAULT_ENDS;
  std::string opponent = "takeout";
  double tolerance = 0.05;
  double goTimeout = DEFAULT_GO_TIMEOUT;
  bool depthTwoGo = false;
};

const char USAGE[] =
    "usage: varrowmere-soak [options]\n"
    "  --player PATH      the player program (default: the built varrowmere)\n"
    "  --seed N           seed of the positions and the delivery noise (default 1)\n"
    "  --games N          games of the one-ply stream (default 10)\n"
    "  --gos N            GOs per game of the stream (default 32)\n"
    "  --no-game          no game through the referee before the stream\n"
    "  --ends N           ends of the referee game (default 8)\n"
    "  --opponent NAME    built-in opponent of the referee game: draw or takeout (default)\n"
    "  --tolerance F      allowed growth of resident memory after the first game (0.05)\n"
    "  --go-timeout S     longest wait for one answer (default 600)\n"
    "  --depth2-go        only this: the first stone of a game, then one two-ply GO at shot 14\n"
    "                     with one stone in play (for ThreadSanitizer builds of the player)\n";

std::string defaultPlayer() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    const auto beside = self.parent_path() / "varrowmere";
    if (::access(beside.c_str(), X_OK) == 0) return beside.string();
  }
  return VARROWMERE_PLAYER_PATH;
}

bool parseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    if (a == "--player" && hasValue) {
      o.player = argv[++i];
    } else if (a == "--seed" && hasValue) {
      o.seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (a == "--games" && hasValue) {
      o.games = std::atoi(argv[++i]);
    } else if (a == "--gos" && hasValue) {
      o.gosPerGame = std::atoi(argv[++i]);
    } else if (a == "--no-game") {
      o.refereeGame = false;
    } else if (a == "--ends" && hasValue) {
      o.ends = std::atoi(argv[++i]);
    } else if (a == "--opponent" && hasValue) {
      o.opponent = argv[++i];
    } else if (a == "--tolerance" && hasValue) {
      o.tolerance = std::atof(argv[++i]);
    } else if (a == "--go-timeout" && hasValue) {
      o.goTimeout = std::atof(argv[++i]);
    } else if (a == "--depth2-go") {
      o.depthTwoGo = true;
    } else {
      return false;
    }
  }
  if (o.player.empty()) o.player = defaultPlayer();
  return o.games >= 1 && o.gosPerGame >= 1 && o.ends >= 1 && o.tolerance >= 0.0;
}

double mb(int64_t kb) { return static_cast<double>(kb) / KB_PER_MB; }

double percentOver(int64_t kb, int64_t baseline) {
  return 100.0 * (static_cast<double>(kb) - static_cast<double>(baseline)) /
         static_cast<double>(baseline);
}

int fail(const std::string& why) {
  std::printf("FAILED: %s\n", why.c_str());
  return 1;
}

// Ends the session: the player must leave with status 0 and nothing more on its output.
bool finishPlayer(ProcessDriver& process) {
  const int status = process.finish(process::durationOf(EXIT_GRACE)).value_or(-1);
  const bool trailing = !process.output().empty();
  std::printf("player left with status %d%s\n", status, trailing ? " and more output" : "");
  return status == 0 && !trailing;
}

// The ThreadSanitizer check: one opening guard restarts the thinking time, then a GO at shot 14
// with one stone in play searches two plies (the second ply ends the end, so it stays cheap).
int depthTwoGo(ProcessDriver& process, const Options& o) {
  std::string failure;
  if (!startNewGame(process, READY_TIMEOUT, failure)) return fail(failure);
  GameState state;
  state.lastEnd = SOAK_LAST_END;
  GoAnswer first = askShot(process, state, o.goTimeout);
  if (!first.ok) return fail("first stone: " + first.failure);
  state.shotNum = 14;
  state.stonePos[0][0] = 2.3f;
  state.stonePos[0][1] = 5.2f;
  GoAnswer deep = askShot(process, state, o.goTimeout);
  if (!deep.ok) return fail("two-ply GO: " + deep.failure);
  std::printf("two-ply GO at shot 14 answered in %.1f s: BESTSHOT %f %f %d\n", deep.seconds,
              deep.shot.vx, deep.shot.vy, deep.shot.spin ? 1 : 0);
  return finishPlayer(process) ? 0 : fail("the player did not leave cleanly");
}

}  // namespace

int main(int argc, char** argv) {
  process::installSignalHandlers();
  Options o;
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(USAGE, stdout);
    return 0;
  }
  if (!parseOptions(argc, argv, o)) {
    std::fputs(USAGE, stderr);
    return 2;
  }
  ProcessDriver process;
  std::string failure;
  if (!process.startProgram(o.player, failure)) return fail(failure);
  std::printf("soak: %s (pid %d), seed %llu\n", o.player.c_str(), static_cast<int>(process.pid()),
              static_cast<unsigned long long>(o.seed));
  std::fflush(stdout);
  if (o.depthTwoGo) return depthTwoGo(process, o);

  std::string reply;
  if (!process.send("ISREADY\n") || !readUntilReady(process, READY_TIMEOUT, reply) ||
      !reply.empty())
    return fail("no clean READYOK after start-up");
  std::printf("after start-up: VmRSS %.1f MB\n", mb(residentKbOf(process.pid())));

  std::vector<int64_t> samples;
  int64_t gos = 0;
  const auto memoryLine = [&samples](int64_t rss) {
    std::printf("; VmRSS %.1f MB", mb(rss));
    if (samples.size() > 1)
      std::printf(" (%+.1f%% of the first game)", percentOver(rss, samples.front()));
    std::printf("\n");
    std::fflush(stdout);
  };

  if (o.refereeGame) {
    buildChordTable();
    buildTrajectoryTables();
    std::unique_ptr<match::Player> opponent = match::makeBuiltinPlayer(o.opponent);
    if (!opponent) return fail("no built-in opponent " + o.opponent);
    SoakPlayer player(process, o.goTimeout);
    match::Player* const players[match::PLAYER_COUNT] = {&player, opponent.get()};
    const std::string names[match::PLAYER_COUNT] = {player.name(), opponent->name()};
    match::DeliveryNoise noise(match::deriveNoiseSigmas(), 1.0, o.seed);
    match::ConsoleReport console(stdout, names, o.ends, false, 1);
    match::GameSettings settings;
    settings.ends = o.ends;
    settings.thinkingTime = REFEREE_THINKING_TIME;
    std::printf("referee game: %d ends against %s\n", o.ends, o.opponent.c_str());
    std::fflush(stdout);
    const match::GameResult result =
        match::playGame(players, settings, noise, console, simulateReference);
    if (result.forfeit >= 0) return fail("forfeit: " + result.reason);
    gos += player.answered();
    samples.push_back(residentKbOf(process.pid()));
    std::printf("referee game: %lld GOs, thinking %.1f s, slowest %.1f s, score %d-%d",
                static_cast<long long>(player.answered()), result.seconds[0], player.slowest(),
                result.total[0], result.total[1]);
    memoryLine(samples.back());
  }

  // The stream, game by game; memory after each.
  std::mt19937_64 rng(o.seed);
  for (int g = 0; g < o.games; ++g) {
    if (!startNewGame(process, o.goTimeout, failure)) return fail(failure);
    double total = 0.0, slowest = 0.0;
    for (int k = 0; k < o.gosPerGame; ++k) {
      const GameState state = soakPosition(rng);
      const GoAnswer answer = askShot(process, state, o.goTimeout);
      if (!answer.ok) {
        return fail("stream game " + std::to_string(g + 1) + ", GO " + std::to_string(k + 1) +
                    " (shot " + std::to_string(state.shotNum) + ", end " +
                    std::to_string(state.curEnd) + "): " + answer.failure);
      }
      ++gos;
      total += answer.seconds;
      slowest = std::max(slowest, answer.seconds);
    }
    samples.push_back(residentKbOf(process.pid()));
    std::printf("stream game %d: %d GOs, mean %.2f s, slowest %.2f s", g + 1, o.gosPerGame,
                total / o.gosPerGame, slowest);
    memoryLine(samples.back());
  }

  if (!finishPlayer(process)) return fail("the player did not leave cleanly");
  const MemoryVerdict verdict = judgeMemory(samples, o.tolerance);
  std::printf(
      "soak: %lld GOs, each answered by exactly one well-formed BESTSHOT\n"
      "VmRSS after the first game %.1f MB; later highest %.1f MB (%+.1f%%), lowest %.1f MB "
      "(%+.1f%%); limit %+.0f%%\n",
      static_cast<long long>(gos), mb(verdict.baseline), mb(verdict.highest),
      percentOver(verdict.highest, verdict.baseline), mb(verdict.lowest),
      percentOver(verdict.lowest, verdict.baseline), 100.0 * o.tolerance);
  if (!verdict.within) return fail("resident memory grew beyond the limit");
  std::printf("soak passed\n");
  return 0;
}
