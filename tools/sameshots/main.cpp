// varrowmere-sameshots: asks two player processes, the reference (by default the Linux player
// of this build) and another build (the Windows program under wine), the same positions and
// compares their BESTSHOT texts byte for byte. Each difference is printed with its position;
// the exit status is 0 when every answer agrees, 1 when some differ, 2 when a player failed.
// Positions: the determinism signature's (two plies, as bench_go searches them), or a seeded
// stream spread evenly over an end's sixteen shots (the soak's positions, odd ones included).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "process_driver.h"
#include "search/signature.h"
#include "soak_positions.h"

using namespace varrowmere;

namespace {

// Time a player gets for its start-up tables and one answer (s): wine and two plies are slow.
constexpr double ANSWER_TIMEOUT = 300.0;
// Time a player gets to leave once its input is closed (s).
constexpr double EXIT_GRACE = 10.0;
// Default length of the seeded list: a multiple of the sixteen shots of an end.
constexpr int32_t DEFAULT_SEEDED_COUNT = 112;

struct Position {
  std::string name;
  std::string commands;  // the lines that set it up and ask for the shot
};

std::string positionCommands(const GameState& gs) {
  std::string text = "POSITION";
  char number[32];
  for (int32_t i = 0; i < STONE_COUNT; ++i) {
    for (int axis = 0; axis < 2; ++axis) {
      std::snprintf(number, sizeof(number), " %.9g", static_cast<double>(gs.stonePos[i][axis]));
      text += number;
    }
  }
  return text + "\nSETSTATE " + std::to_string(gs.shotNum) + " " + std::to_string(gs.curEnd) + " " +
         std::to_string(gs.lastEnd) + " " + (gs.whiteToMove ? "1" : "0") + "\nGO\n";
}

// The first stone of a game restarts the player's thinking time, which a fresh process has not
// got yet; every list starts with it, so that the later positions are searched as deep as the
// player is told.
Position firstStone() {
  GameState gs;
  gs.lastEnd = 8;
  return {"first stone of a game", "NEWGAME\n" + positionCommands(gs)};
}

std::vector<Position> signatureList() {
  std::vector<Position> list{firstStone()};
  for (const SignaturePosition& p : signaturePositions())
    list.push_back({"signature position '" + p.name + "'", positionCommands(p.state)});
  return list;
}

std::vector<Position> seededList(int32_t count, uint64_t seed) {
  std::vector<Position> list{firstStone()};
  std::mt19937_64 rng(seed);
  for (int32_t k = 0; k < count; ++k) {
    GameState gs = soak::soakPosition(rng);
    while (gs.shotNum != k % STONE_COUNT) gs = soak::soakPosition(rng);
    list.push_back({"seeded position " + std::to_string(k), positionCommands(gs)});
  }
  return list;
}

struct Player {
  const char* role;
  process::ProcessDriver driver;
};

// Sends one position; an ISREADY follows the GO, so that the answer is what comes before
// READYOK (a BESTSHOT carries no terminator).
bool ask(Player& player, const Position& position) {
  return player.driver.send(position.commands + "ISREADY\n");
}

bool answer(Player& player, std::string& text) {
  const auto ready = [](const std::string& out) {
    return out.find("READYOK") != std::string::npos;
  };
  const auto deadline = process::Clock::now() + process::durationOf(ANSWER_TIMEOUT);
  if (player.driver.readUntil(ready, deadline) != process::ReadResult::Arrived) {
    std::fprintf(stderr, "sameshots: the %s gave no answer (it %s)\n", player.role,
                 player.driver.exitDescription().c_str());
    return false;
  }
  text = player.driver.takeOutput(player.driver.output().find("READYOK"));
  player.driver.takeOutput(std::strlen("READYOK"));
  return true;
}

int usage() {
  std::fputs(
      "usage: varrowmere-sameshots --player CMD [--reference CMD] [--seeded N] [--seed S]\n"
      "  --player CMD     the player to check, a shell command (e.g. a Windows build under wine)\n"
      "  --reference CMD  the player it must agree with (default: this build's player)\n"
      "  --seeded N       N seeded positions over an end's shots (default: the signature's)\n"
      "  --seed S         the seed of that stream (default 1)\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string reference = VARROWMERE_PLAYER_PATH, checked;
  int32_t seeded = 0;
  uint64_t seed = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return usage();
    const char* value = argv[++i];
    if (option == "--player") {
      checked = value;
    } else if (option == "--reference") {
      reference = value;
    } else if (option == "--seeded") {
      seeded = std::atoi(value);
      if (seeded <= 0) seeded = DEFAULT_SEEDED_COUNT;
    } else if (option == "--seed") {
      seed = std::strtoull(value, nullptr, 10);
    } else {
      return usage();
    }
  }
  if (checked.empty()) return usage();
  process::installSignalHandlers();

  const std::vector<Position> list = seeded > 0 ? seededList(seeded, seed) : signatureList();
  Player players[2] = {{"reference", {}}, {"player", {}}};
  for (Player& p : players) {
    std::string failure;
    if (!p.driver.startShell(p.role[0] == 'r' ? reference : checked, failure)) {
      std::fprintf(stderr, "sameshots: the %s cannot start: %s\n", p.role, failure.c_str());
      return 2;
    }
  }
  int32_t differences = 0;
  for (std::size_t k = 0; k < list.size(); ++k) {
    std::string texts[2];
    for (Player& p : players) {
      if (!ask(p, list[k])) return 2;
    }
    for (int r = 0; r < 2; ++r) {
      if (!answer(players[r], texts[r])) return 2;
    }
    if (texts[0] == texts[1]) continue;
    ++differences;
    std::printf("DIFFERENT at %s:\n  reference: %s\n  player:    %s\n  asked:\n%s",
                list[k].name.c_str(), texts[0].c_str(), texts[1].c_str(), list[k].commands.c_str());
  }
  for (Player& p : players) {
    if (p.driver.finish(process::durationOf(EXIT_GRACE)) != 0) {
      std::fprintf(stderr, "sameshots: the %s did not leave with status 0\n", p.role);
      return 2;
    }
  }
  std::printf("sameshots: %zu positions, %d with a different BESTSHOT\n", list.size(), differences);
  return differences == 0 ? 0 : 1;
}
