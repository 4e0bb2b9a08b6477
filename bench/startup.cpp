// Start-up cost of the player.
//   bench_startup [runs]    spawns the player `runs` times (default 11), sends ISREADY at
//                           once and times process start to the first "READYOK"; reads the
//                           player's resident set and CPU time (user + system, all threads;
//                           the load of other processes barely changes it) at that moment;
//                           then times the start-up tables in fresh child processes. Prints
//                           medians.
//   bench_startup --phases  builds the tables once in this process and prints its timings.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "candidates/candidates.h"
#include "physics/motion.h"
#include "process_driver.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

double median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Resident set (kB) of a process, from /proc.
long residentKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// CPU time (s, user + system, all threads) a process has used, from /proc.
double cpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  std::getline(stat, text);
  // Fields after the command name (which ends at the last ')'): state is field 3, utime 14.
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return -1.0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  double ticks = 0.0;
  for (int number = 3; number <= 15 && fields >> field; ++number) {
    if (number >= 14) ticks += std::atof(field.c_str());
  }
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

using varrowmere::process::ProcessDriver;

// How long a child may take to answer before the run is given up.
constexpr double CHILD_DEADLINE_SECONDS = 120.0;

// Reads from the child until `word` has arrived; false when it never did.
bool readUntilWord(ProcessDriver& child, const char* word) {
  const auto arrived = [word](const std::string& output) {
    return output.find(word) != std::string::npos;
  };
  const auto deadline = Clock::now() + varrowmere::process::durationOf(CHILD_DEADLINE_SECONDS);
  return child.readUntil(arrived, deadline) == varrowmere::process::ReadResult::Arrived;
}

int phases() {
  const Clock::time_point start = Clock::now();
  varrowmere::buildChordTable();
  varrowmere::buildTrajectoryTables();
  const Clock::time_point tables = Clock::now();
  varrowmere::buildCandidateTables();
  const Clock::time_point done = Clock::now();
  std::printf("%.6f %.6f %ld\n", seconds(start, tables), seconds(tables, done),
              residentKb(getpid()));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--phases") == 0) return phases();
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
  const auto grace = varrowmere::process::durationOf(CHILD_DEADLINE_SECONDS);

  std::vector<double> ready, rss, cpu;
  for (int run = 0; run < runs; ++run) {
    ProcessDriver child;
    std::string failure;
    const Clock::time_point start = Clock::now();
    if (!child.startProgram(VARROWMERE_PLAYER_PATH, failure)) {
      std::fprintf(stderr, "cannot start %s: %s\n", VARROWMERE_PLAYER_PATH, failure.c_str());
      return 1;
    }
    if (!child.send("ISREADY\n") || !readUntilWord(child, "READYOK")) {
      std::fprintf(stderr, "no READYOK from the player\n");
      return 1;
    }
    const Clock::time_point answered = Clock::now();
    ready.push_back(seconds(start, answered));
    rss.push_back(static_cast<double>(residentKb(child.pid())));
    cpu.push_back(cpuSeconds(child.pid()));
    child.finish(grace);
  }

  // This program again, in a fresh process for each run: its own path, not the link's.
  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof(self) - 1) <= 0) return 1;
  std::vector<double> tables, candidates;
  for (int run = 0; run < runs; ++run) {
    ProcessDriver child;
    std::string failure;
    if (!child.startProgram(self, failure, false, {"--phases"}) || !readUntilWord(child, "\n"))
      return 1;
    const std::string line = child.output();
    child.finish(grace);
    double t = 0.0, c = 0.0;
    long kb = 0;
    if (std::sscanf(line.c_str(), "%lf %lf %ld", &t, &c, &kb) == 3) {
      tables.push_back(t);
      candidates.push_back(c);
    }
  }

  std::printf("runs                                %d\n", runs);
  std::printf("process start to READYOK, median    %.3f s (min %.3f, max %.3f)\n", median(ready),
              *std::min_element(ready.begin(), ready.end()),
              *std::max_element(ready.begin(), ready.end()));
  std::printf("CPU time to READYOK (all threads)    %.3f s\n", median(cpu));
  std::printf("resident set after start-up, median %.1f MB\n", median(rss) / 1024.0);
  std::printf("chord + trajectory tables, median   %.3f s\n", median(tables));
  std::printf("candidate tables, median            %.3f s\n", median(candidates));
  return 0;
}
