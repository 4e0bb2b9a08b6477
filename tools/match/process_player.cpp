#include "process_player.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

extern char** environ;

namespace varrowmere::match {

namespace {

// Process groups of the running players, for the interrupt handler (0 = free slot).
constexpr int MAX_LIVE_GROUPS = 8;
std::atomic<pid_t> liveGroups[MAX_LIVE_GROUPS];

void rememberGroup(pid_t group) {
  for (auto& slot : liveGroups) {
    pid_t expected = 0;
    if (slot.compare_exchange_strong(expected, group)) return;
  }
}

void forgetGroup(pid_t group) {
  for (auto& slot : liveGroups) {
    pid_t expected = group;
    if (slot.compare_exchange_strong(expected, 0)) return;
  }
}

extern "C" void onInterrupt(int signal) {
  for (auto& slot : liveGroups) {
    const pid_t group = slot.load();
    if (group > 0) ::kill(-group, SIGKILL);
  }
  ::_exit(128 + signal);
}

int millisecondsUntil(std::chrono::steady_clock::time_point when) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      when - std::chrono::steady_clock::now());
  // Round up so that a poll never returns just before the moment it waits for.
  return left.count() < 0 ? 0 : int(left.count()) + 1;
}

std::chrono::steady_clock::duration seconds(double s) {
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(s));
}

}  // namespace

void installSignalHandlers() {
  std::signal(SIGPIPE, SIG_IGN);
  struct sigaction action = {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

std::string positionCommand(const GameState& state) {
  std::string line = "POSITION";
  char number[32];
  for (int i = 0; i < STONE_COUNT; ++i) {
    for (int c = 0; c < 2; ++c) {
      // Nine significant digits give back the exact float.
      std::snprintf(number, sizeof(number), " %.9g", double(state.stonePos[i][c]));
      line += number;
    }
  }
  return line + "\n";
}

std::string setStateCommand(const GameState& state) {
  char line[96];
  std::snprintf(line, sizeof(line), "SETSTATE %d %d %d %d\n", state.shotNum, state.curEnd,
                state.lastEnd, state.whiteToMove ? 1 : 0);
  return line;
}

ProcessPlayer::ProcessPlayer(std::string command, double readyTimeout, std::string name)
    : command_m(std::move(command)),
      name_m(name.empty() ? command_m : std::move(name)),
      readyTimeout_m(readyTimeout) {}

ProcessPlayer::~ProcessPlayer() { stop(); }

bool ProcessPlayer::launch(std::string& failure) {
  int input[2], output[2];
  if (::pipe2(input, O_CLOEXEC) != 0) {
    failure = std::string("cannot create a pipe: ") + std::strerror(errno);
    return false;
  }
  if (::pipe2(output, O_CLOEXEC) != 0) {
    failure = std::string("cannot create a pipe: ") + std::strerror(errno);
    ::close(input[0]);
    ::close(input[1]);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // dup2 clears close-on-exec on the copies; every other pipe end closes at exec.
  posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Own process group; default handling of the signals the referee catches or ignores.
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

  std::string shell = "/bin/sh", dashC = "-c";
  char* argv[] = {shell.data(), dashC.data(), command_m.data(), nullptr};
  pid_t pid = -1;
  const int error = posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(input[0]);
  ::close(output[1]);
  if (error != 0) {
    failure = std::string("cannot start /bin/sh: ") + std::strerror(error);
    ::close(input[1]);
    ::close(output[0]);
    return false;
  }
  pid_m = pid;
  rememberGroup(pid);
  toChild_m = input[1];
  fromChild_m = output[0];
  return true;
}

void ProcessPlayer::stop() {
  if (pid_m <= 0) return;
  // Closing its input asks a protocol player to leave; give it a moment, then end the group.
  if (toChild_m >= 0) ::close(toChild_m);
  toChild_m = -1;
  const auto until = Clock::now() + seconds(EXIT_GRACE);
  bool reaped = false;
  while (!reaped && Clock::now() < until) {
    int status = 0;
    if (::waitpid(pid_m, &status, WNOHANG) == pid_m) {
      reaped = true;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  ::kill(-pid_m, SIGKILL);
  if (!reaped) {
    int status = 0;
    while (::waitpid(pid_m, &status, 0) < 0 && errno == EINTR) {
    }
  }
  forgetGroup(pid_m);
  pid_m = -1;
  if (fromChild_m >= 0) ::close(fromChild_m);
  fromChild_m = -1;
}

std::string ProcessPlayer::exitDescription() {
  if (pid_m <= 0) return "is not running";
  // The output closed; the process is usually gone by now or soon.
  const auto until = Clock::now() + seconds(EXIT_GRACE);
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid_m, &status, WNOHANG);
    if (done == pid_m) {
      ::kill(-pid_m, SIGKILL);
      forgetGroup(pid_m);
      pid_m = -1;
      char text[64];
      if (WIFEXITED(status)) {
        std::snprintf(text, sizeof(text), "exited with status %d", WEXITSTATUS(status));
      } else if (WIFSIGNALED(status)) {
        std::snprintf(text, sizeof(text), "was killed by signal %d", WTERMSIG(status));
      } else {
        std::snprintf(text, sizeof(text), "ended");
      }
      return text;
    }
    if (Clock::now() >= until) return "closed its output";
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool ProcessPlayer::send(const std::string& text, std::string& failure) {
  const char* data = text.data();
  std::size_t size = text.size();
  while (size > 0) {
    const ssize_t written = ::write(toChild_m, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      failure = exitDescription() + " (its input is closed)";
      return false;
    }
    data += written;
    size -= std::size_t(written);
  }
  return true;
}

template <typename Parse>
ProcessPlayer::ReadResult ProcessPlayer::readReply(Parse parse, Clock::time_point deadline,
                                                   std::string& received,
                                                   Clock::time_point& lastByte) {
  ReplyState state = parse(received);
  for (;;) {
    if (state == ReplyState::Garbage) return ReadResult::Garbage;
    if (state == ReplyState::Complete) return ReadResult::Reply;
    Clock::time_point until = deadline;
    if (state == ReplyState::Tentative && lastByte + seconds(REPLY_GRACE) < until)
      until = lastByte + seconds(REPLY_GRACE);
    pollfd fd = {fromChild_m, POLLIN, 0};
    const int ready = ::poll(&fd, 1, millisecondsUntil(until));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      if (state == ReplyState::Tentative) return ReadResult::Reply;
      if (Clock::now() >= deadline) return ReadResult::Timeout;
      continue;
    }
    char block[512];
    const ssize_t count = ::read(fromChild_m, block, sizeof(block));
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (count <= 0) return ReadResult::Closed;
    lastByte = Clock::now();
    received.append(block, std::size_t(count));
    state = parse(received);
  }
}

bool ProcessPlayer::newGame(std::string& failure) {
  if (pid_m <= 0 && !launch(failure)) return false;
  if (!send("NEWGAME\n", failure) || !send("ISREADY\n", failure)) return false;
  std::string received;
  Clock::time_point lastByte = Clock::now();
  const auto deadline = Clock::now() + seconds(readyTimeout_m);
  switch (readReply(parseReadyReply, deadline, received, lastByte)) {
    case ReadResult::Reply:
      return true;
    case ReadResult::Garbage:
      failure = "answered ISREADY with \"" + printable(received) + "\"";
      return false;
    case ReadResult::Timeout:
      failure = "did not answer ISREADY within its start-up time";
      return false;
    case ReadResult::Closed:
      failure = exitDescription() + " before answering ISREADY";
      return false;
  }
  return false;
}

PlayerAnswer ProcessPlayer::play(const GameState& state, double secondsLeft) {
  PlayerAnswer answer;
  if (pid_m <= 0 || toChild_m < 0) {
    answer.failure = "is not running";
    return answer;
  }
  if (!send(positionCommand(state), answer.failure) ||
      !send(setStateCommand(state), answer.failure) || !send("GO\n", answer.failure))
    return answer;
  const auto start = Clock::now();
  const auto deadline = start + seconds(std::max(0.0, secondsLeft));
  std::string received;
  Clock::time_point lastByte = start;
  ShotVector shot;
  const auto parse = [&shot](const std::string& text) { return parseShotReply(text, &shot); };
  const ReadResult result = readReply(parse, deadline, received, lastByte);
  answer.seconds =
      std::chrono::duration<double>((result == ReadResult::Reply ? lastByte : Clock::now()) - start)
          .count();
  char left[64];
  std::snprintf(left, sizeof(left), "%.2f s", secondsLeft);
  switch (result) {
    case ReadResult::Reply:
      answer.ok = true;
      answer.shot = shot;
      break;
    case ReadResult::Garbage:
      answer.failure = "answered GO with \"" + printable(received) + "\", not a BESTSHOT";
      break;
    case ReadResult::Timeout:
      answer.failure = std::string("ran out of thinking time (") + left + " left at GO)";
      if (!received.empty()) answer.failure += ", having sent \"" + printable(received) + "\"";
      break;
    case ReadResult::Closed:
      answer.failure = exitDescription() + " while thinking";
      break;
  }
  return answer;
}

}  // namespace varrowmere::match
