// A player process timed as a server sees it: start-up to the first READYOK, then the GO of
// each signature position at two plies (the positions bench_go searches in this process), and
// the process's peak resident memory (VmHWM).
//   bench_player_go [--runs N] [PROGRAM ARGUMENTS...]
// PROGRAM defaults to this build's player with --threads 2. For the Windows programs under
// wine, name wine-run, whose wine process is the program's (it runs the Windows program in
// its own process, so its VmHWM is the program's peak with wine's share):
//   bench_player_go scripts/wine-run $PWD/build-win32/wine-prefix build-win32/varrowmere.exe
//                   --threads 2
// Each GO is timed from its command to its BESTSHOT, N times (default 3); medians are printed.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "process_driver.h"
#include "search/signature.h"

using namespace varrowmere;

namespace {

// Time the player gets for start-up and one GO (s).
constexpr double ANSWER_TIMEOUT = 600.0;

// A status field of a process (kB), from /proc.
long statusKb(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
  }
  return -1;
}

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
         std::to_string(gs.lastEnd) + " " + (gs.whiteToMove ? "1" : "0") + "\n";
}

// Sends text and waits for the READYOK of the ISREADY sent after it; the seconds it took.
double timed(process::ProcessDriver& player, const std::string& text) {
  const auto start = process::Clock::now();
  const auto ready = [](const std::string& out) {
    return out.find("READYOK") != std::string::npos;
  };
  if (!player.send(text + "ISREADY\n") ||
      player.readUntil(ready, start + process::durationOf(ANSWER_TIMEOUT)) !=
          process::ReadResult::Arrived) {
    std::fprintf(stderr, "bench_player_go: no answer (the player %s)\n",
                 player.exitDescription().c_str());
    std::exit(1);
  }
  const double seconds = std::chrono::duration<double>(process::Clock::now() - start).count();
  player.takeOutput();
  return seconds;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3;
  int first = 1;
  if (argc > 2 && std::string(argv[1]) == "--runs") {
    runs = std::max(1, std::atoi(argv[2]));
    first = 3;
  }
  std::string program = VARROWMERE_PLAYER_PATH;
  std::vector<std::string> arguments{"--threads", "2"};
  if (first < argc) {
    program = argv[first];
    arguments.assign(argv + first + 1, argv + argc);
  }
  process::ProcessDriver player;
  std::string failure;
  if (!player.startProgram(program, failure, false, arguments)) {
    std::fprintf(stderr, "bench_player_go: cannot start %s: %s\n", program.c_str(),
                 failure.c_str());
    return 1;
  }
  const double startUp = timed(player, "");
  std::printf("player: %s", program.c_str());
  for (const std::string& a : arguments) std::printf(" %s", a.c_str());
  std::printf("\nstart-up to READYOK: %.2f s\n", startUp);
  // The first stone of a game starts the thinking time, so that the GOs search two plies.
  GameState start;
  start.lastEnd = 8;
  timed(player, "NEWGAME\n" + positionCommands(start) + "GO\n");
  for (const SignaturePosition& position : signaturePositions()) {
    std::vector<double> times;
    for (int r = 0; r < runs; ++r)
      times.push_back(timed(player, positionCommands(position.state) + "GO\n"));
    std::printf("GO %-24s %.3f s (median of %d)\n", position.name.c_str(), median(times), runs);
  }
  std::printf("peak resident memory (VmHWM): %.1f MB\n",
              static_cast<double>(statusKb(player.pid(), "VmHWM")) / 1024.0);
  return player.finish(process::durationOf(30.0)) == 0 ? 0 : 1;
}
