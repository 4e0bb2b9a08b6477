#include "support/player_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace varrowmere::testing {

namespace {

using Clock = std::chrono::steady_clock;

void closeFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Digits, a point and exactly six decimals, optionally signed: one "%f" of a finite number.
std::optional<std::size_t> matchFixed(const std::string& text, std::size_t pos) {
  if (pos < text.size() && text[pos] == '-') ++pos;
  const std::size_t digitsStart = pos;
  while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos;
  if (pos == digitsStart || pos >= text.size() || text[pos] != '.') return std::nullopt;
  ++pos;
  for (int i = 0; i < 6; ++i, ++pos) {
    if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos])))
      return std::nullopt;
  }
  return pos;
}

}  // namespace

PlayerProcess::PlayerProcess(bool nonBlocking) {
  // A player that died must fail the test, not kill it on our next write.
  ::signal(SIGPIPE, SIG_IGN);
  int toPlayer[2];
  int fromPlayer[2];
  if (::pipe2(toPlayer, O_CLOEXEC) != 0) return;
  if (::pipe2(fromPlayer, O_CLOEXEC) != 0) {
    ::close(toPlayer[0]);
    ::close(toPlayer[1]);
    return;
  }
  if (nonBlocking) {
    // The flag belongs to the open pipe end, so the player's dup of it shares it.
    ::fcntl(toPlayer[0], F_SETFL, ::fcntl(toPlayer[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(fromPlayer[1], F_SETFL, ::fcntl(fromPlayer[1], F_GETFL) | O_NONBLOCK);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toPlayer[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fromPlayer[1], STDOUT_FILENO);
  char path[] = VARROWMERE_PLAYER_PATH;
  char* argv[] = {path, nullptr};
  pid_t pid = -1;
  const int error = ::posix_spawn(&pid, path, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(toPlayer[0]);
  ::close(fromPlayer[1]);
  input_m = toPlayer[1];
  outputFd_m = fromPlayer[0];
  if (error == 0) pid_m = pid;
}

PlayerProcess::~PlayerProcess() {
  closeFd(input_m);
  closeFd(outputFd_m);
  if (pid_m > 0) {
    ::kill(pid_m, SIGKILL);
    ::waitpid(pid_m, nullptr, 0);
  }
}

bool PlayerProcess::send(const std::string& bytes) {
  if (input_m < 0) return false;
  const ssize_t written = ::write(input_m, bytes.data(), bytes.size());
  return written == static_cast<ssize_t>(bytes.size());
}

void PlayerProcess::closeInput() { closeFd(input_m); }

bool PlayerProcess::readSome(Clock::time_point until) {
  if (outputEnded_m || outputFd_m < 0) return false;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
  if (left <= 0) return false;
  pollfd entry{outputFd_m, POLLIN, 0};
  const int ready = ::poll(&entry, 1, static_cast<int>(left));
  if (ready < 0) return errno == EINTR;
  if (ready == 0) return false;
  char buffer[4096];
  const ssize_t count = ::read(outputFd_m, buffer, sizeof(buffer));
  if (count < 0) return errno == EINTR || errno == EAGAIN;
  if (count == 0) {
    outputEnded_m = true;
    return false;
  }
  output_m.append(buffer, static_cast<std::size_t>(count));
  return true;
}

const std::string& PlayerProcess::readAtLeast(std::size_t count,
                                              std::chrono::milliseconds deadline) {
  const auto until = Clock::now() + deadline;
  while (output_m.size() < count && readSome(until)) {
  }
  return output_m;
}

bool PlayerProcess::readToEnd(std::chrono::milliseconds deadline) {
  const auto until = Clock::now() + deadline;
  while (readSome(until)) {
  }
  return outputEnded_m;
}

std::optional<int> PlayerProcess::waitExit(std::chrono::milliseconds deadline) {
  if (pid_m <= 0) return std::nullopt;
  const auto until = Clock::now() + deadline;
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid_m, &status, WNOHANG);
    if (done == pid_m) {
      pid_m = -1;
      if (WIFEXITED(status)) return WEXITSTATUS(status);
      return 128 + WTERMSIG(status);
    }
    if (Clock::now() >= until) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::optional<std::size_t> matchBestShot(const std::string& text, std::size_t pos) {
  static const std::string head = "BESTSHOT ";
  if (text.compare(pos, head.size(), head) != 0) return std::nullopt;
  auto next = matchFixed(text, pos + head.size());
  if (!next || *next >= text.size() || text[*next] != ' ') return std::nullopt;
  next = matchFixed(text, *next + 1);
  if (!next || *next >= text.size() || text[*next] != ' ') return std::nullopt;
  const std::size_t spin = *next + 1;
  if (spin >= text.size() || (text[spin] != '0' && text[spin] != '1')) return std::nullopt;
  // "%d" of 0 or 1 is one digit: a further digit would be a different number.
  if (spin + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[spin + 1])))
    return std::nullopt;
  return spin + 1;
}

}  // namespace varrowmere::testing
