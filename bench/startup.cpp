// Start-up cost of the player.
//   bench_startup [runs]    spawns the player `runs` times (default 11), sends ISREADY at
//                           once and times process start to the first "READYOK"; reads the
//                           player's resident set and CPU time (user + system, all threads;
//                           the load of other processes barely changes it) at that moment;
//                           then times the start-up tables in fresh child processes. Prints
//                           medians.
//   bench_startup --phases  builds the tables once in this process and prints its timings.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
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

extern char** environ;

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

struct Child {
  pid_t pid = -1;
  int input = -1;   // the child's standard input (we write)
  int output = -1;  // the child's standard output (we read)
};

bool spawnChild(const char* path, const char* argument, Child& child) {
  int toChild[2], fromChild[2];
  if (pipe(toChild) != 0 || pipe(fromChild) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, toChild[1]);
  posix_spawn_file_actions_addclose(&actions, fromChild[0]);
  std::string name = path;
  std::string extra = argument != nullptr ? argument : "";
  char* argv[] = {name.data(), argument != nullptr ? extra.data() : nullptr, nullptr};
  const int failed = posix_spawn(&child.pid, path, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(toChild[0]);
  close(fromChild[1]);
  child.input = toChild[1];
  child.output = fromChild[0];
  return failed == 0;
}

// Reads from fd until `word` has arrived; returns everything read.
std::string readUntil(int fd, const char* word) {
  std::string text;
  char block[4096];
  while (text.find(word) == std::string::npos) {
    const ssize_t count = read(fd, block, sizeof(block));
    if (count <= 0) break;
    text.append(block, static_cast<std::size_t>(count));
  }
  return text;
}

void finish(Child& child) {
  close(child.input);
  close(child.output);
  int status = 0;
  waitpid(child.pid, &status, 0);
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
  signal(SIGPIPE, SIG_IGN);

  std::vector<double> ready, rss, cpu;
  for (int run = 0; run < runs; ++run) {
    Child child;
    const Clock::time_point start = Clock::now();
    if (!spawnChild(VARROWMERE_PLAYER_PATH, nullptr, child)) {
      std::fprintf(stderr, "cannot start %s\n", VARROWMERE_PLAYER_PATH);
      return 1;
    }
    const char command[] = "ISREADY\n";
    if (write(child.input, command, sizeof(command) - 1) < 0) return 1;
    const std::string reply = readUntil(child.output, "READYOK");
    const Clock::time_point answered = Clock::now();
    if (reply.find("READYOK") == std::string::npos) {
      std::fprintf(stderr, "no READYOK from the player\n");
      return 1;
    }
    ready.push_back(seconds(start, answered));
    rss.push_back(static_cast<double>(residentKb(child.pid)));
    cpu.push_back(cpuSeconds(child.pid));
    finish(child);
  }

  std::vector<double> tables, candidates;
  for (int run = 0; run < runs; ++run) {
    Child child;
    if (!spawnChild("/proc/self/exe", "--phases", child)) return 1;
    const std::string line = readUntil(child.output, "\n");
    finish(child);
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
