#include "player_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "reply_parser.h"

extern char** environ;

namespace varrowmere::soak {

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsLeft(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left) + 1;
}

Clock::time_point after(double seconds) {
  return Clock::now() +
         std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

int statusOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

PlayerProcess::~PlayerProcess() {
  std::string ignored;
  if (pid_m > 0) finish(0.0, ignored);
}

bool PlayerProcess::start(const std::string& path, std::string& failure) {
  int input[2], output[2];
  if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
    failure = std::string("cannot create a pipe: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // dup2 clears close-on-exec on the copies; every other pipe end closes at exec.
  posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  std::string program = path;
  char* argv[] = {program.data(), nullptr};
  const int error = posix_spawn(&pid_m, path.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(input[0]);
  ::close(output[1]);
  toChild_m = input[1];
  fromChild_m = output[0];
  if (error != 0) {
    failure = "cannot start " + path + ": " + std::strerror(error);
    pid_m = -1;
    return false;
  }
  return true;
}

bool PlayerProcess::send(const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(toChild_m, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

int PlayerProcess::readSome(int timeoutMs) {
  pollfd entry{fromChild_m, POLLIN, 0};
  const int ready = ::poll(&entry, 1, timeoutMs);
  if (ready < 0 && errno == EINTR) return 0;
  if (ready <= 0) return ready;
  char buffer[4096];
  const ssize_t n = ::read(fromChild_m, buffer, sizeof(buffer));
  if (n < 0 && errno == EINTR) return 0;
  if (n <= 0) return -1;
  pending_m.append(buffer, static_cast<std::size_t>(n));
  return static_cast<int>(n);
}

bool PlayerProcess::readUntilReady(double timeoutSeconds, std::string& before) {
  const std::string ready = match::READY_REPLY;
  const Clock::time_point deadline = after(timeoutSeconds);
  for (;;) {
    const std::size_t at = pending_m.find(ready);
    if (at != std::string::npos) {
      before = pending_m.substr(0, at);
      pending_m.erase(0, at + ready.size());
      return true;
    }
    if (Clock::now() >= deadline || readSome(millisecondsLeft(deadline)) < 0) {
      before = pending_m;
      pending_m.clear();
      return false;
    }
  }
}

int PlayerProcess::finish(double graceSeconds, std::string& trailing) {
  if (toChild_m >= 0) ::close(toChild_m);
  toChild_m = -1;
  // Read on while waiting, so that a player blocked on a full output pipe can leave; the pipe
  // reports its end once the player has gone.
  const Clock::time_point deadline = after(graceSeconds);
  int status = 0;
  int result = -1;
  while (fromChild_m >= 0 && Clock::now() < deadline) {
    if (readSome(millisecondsLeft(deadline)) < 0) {
      ::close(fromChild_m);
      fromChild_m = -1;
    }
  }
  for (;;) {
    if (::waitpid(pid_m, &status, WNOHANG) == pid_m) {
      result = statusOf(status);
      break;
    }
    if (Clock::now() >= deadline) {
      ::kill(pid_m, SIGKILL);
      ::waitpid(pid_m, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (fromChild_m >= 0) ::close(fromChild_m);
  fromChild_m = -1;
  trailing = pending_m;
  pending_m.clear();
  pid_m = -1;
  return result;
}

}  // namespace varrowmere::soak
