#include "process_driver.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

extern char** environ;

namespace varrowmere::process {

namespace {

// Process groups of the running children, for the interrupt handler (0 = free slot).
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

// A write to a child that has gone must fail, not end this process.
void ignoreSigpipeUnlessHandled() {
  struct sigaction current = {};
  if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
    std::signal(SIGPIPE, SIG_IGN);
}

int millisecondsUntil(Clock::time_point when) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(when - Clock::now());
  // Round up so that a poll never returns just before the moment it waits for.
  return left.count() < 0 ? 0 : int(left.count()) + 1;
}

int exitCode(int waitStatus) {
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
  return -1;
}

void closeFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
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

ProcessDriver::~ProcessDriver() { finish(Clock::duration::zero()); }

bool ProcessDriver::startShell(const std::string& command, std::string& failure, bool nonBlocking) {
  std::string shell = "/bin/sh", dashC = "-c", line = command;
  char* const argv[] = {shell.data(), dashC.data(), line.data(), nullptr};
  return start("/bin/sh", argv, failure, nonBlocking);
}

bool ProcessDriver::startProgram(const std::string& path, std::string& failure, bool nonBlocking,
                                 const std::vector<std::string>& arguments) {
  std::vector<std::string> words = {path};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return start(path.c_str(), argv.data(), failure, nonBlocking);
}

bool ProcessDriver::start(const char* program, char* const argv[], std::string& failure,
                          bool nonBlocking) {
  finish(Clock::duration::zero());
  output_m.clear();
  outputEnded_m = false;
  waitStatus_m.reset();
  ignoreSigpipeUnlessHandled();
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
  if (nonBlocking) {
    // The flag belongs to the open pipe end, so the child's copy of it shares it.
    ::fcntl(input[0], F_SETFL, ::fcntl(input[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(output[1], F_SETFL, ::fcntl(output[1], F_GETFL) | O_NONBLOCK);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // dup2 clears close-on-exec on the copies; every other pipe end closes at exec.
  posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Own process group; default handling of the signals this process catches or ignores.
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  const int error = ::posix_spawn(&pid, program, &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(input[0]);
  ::close(output[1]);
  if (error != 0) {
    failure = std::string("cannot start ") + program + ": " + std::strerror(error);
    ::close(input[1]);
    ::close(output[0]);
    return false;
  }
  pid_m = pid;
  rememberGroup(pid);
  input_m = input[1];
  outputFd_m = output[0];
  lastRead_m = Clock::now();
  return true;
}

bool ProcessDriver::send(std::string_view text) {
  if (input_m < 0) return false;
  while (!text.empty()) {
    const ssize_t written = ::write(input_m, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text.remove_prefix(std::size_t(written));
  }
  return true;
}

void ProcessDriver::closeInput() { closeFd(input_m); }

ReadResult ProcessDriver::readSome(Clock::time_point deadline) {
  for (;;) {
    if (outputEnded_m || outputFd_m < 0) return ReadResult::Ended;
    pollfd entry = {outputFd_m, POLLIN, 0};
    const int ready = ::poll(&entry, 1, millisecondsUntil(deadline));
    if (ready < 0 && errno == EINTR) {
      if (Clock::now() >= deadline) return ReadResult::Timeout;
      continue;
    }
    if (ready == 0) return ReadResult::Timeout;
    char block[READ_BLOCK];
    const ssize_t count = ready < 0 ? -1 : ::read(outputFd_m, block, sizeof(block));
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (count <= 0) {
      outputEnded_m = true;
      return ReadResult::Ended;
    }
    output_m.append(block, std::size_t(count));
    lastRead_m = Clock::now();
    return ReadResult::Arrived;
  }
}

ReadResult ProcessDriver::readUntil(const std::function<bool(const std::string&)>& done,
                                    Clock::time_point deadline) {
  for (;;) {
    if (done(output_m)) return ReadResult::Arrived;
    const ReadResult result = readSome(deadline);
    if (result != ReadResult::Arrived) return result;
    if (!done(output_m) && Clock::now() >= deadline) return ReadResult::Timeout;
  }
}

std::string ProcessDriver::takeOutput(std::size_t count) {
  std::string taken = output_m.substr(0, count);
  output_m.erase(0, count);
  return taken;
}

bool ProcessDriver::reap(bool block) {
  if (pid_m <= 0) return true;
  int status = 0;
  pid_t done = -1;
  do {
    done = ::waitpid(pid_m, &status, block ? 0 : WNOHANG);
  } while (done < 0 && errno == EINTR);
  if (done == 0) return false;
  // An error instead of the child means it was reaped elsewhere: it has ended too.
  if (done == pid_m) waitStatus_m = status;
  ::kill(-pid_m, SIGKILL);
  forgetGroup(pid_m);
  pid_m = -1;
  return true;
}

std::optional<int> ProcessDriver::waitExit(Clock::duration timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!reap(false)) {
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(EXIT_POLL_MS));
  }
  if (!waitStatus_m) return std::nullopt;
  return exitCode(*waitStatus_m);
}

std::string ProcessDriver::exitDescription() const {
  if (!waitStatus_m) return running() ? "is running" : "ended";
  char text[64];
  if (WIFEXITED(*waitStatus_m)) {
    std::snprintf(text, sizeof(text), "exited with status %d", WEXITSTATUS(*waitStatus_m));
  } else if (WIFSIGNALED(*waitStatus_m)) {
    std::snprintf(text, sizeof(text), "was killed by signal %d", WTERMSIG(*waitStatus_m));
  } else {
    std::snprintf(text, sizeof(text), "ended");
  }
  return text;
}

std::optional<int> ProcessDriver::finish(Clock::duration grace) {
  closeInput();
  const auto deadline = Clock::now() + grace;
  while (!reap(false) && Clock::now() < deadline) {
    const auto step = std::min(deadline, Clock::now() + std::chrono::milliseconds(EXIT_POLL_MS));
    if (readSome(step) == ReadResult::Ended) std::this_thread::sleep_until(step);
  }
  const bool killed = running();
  if (killed) {
    ::kill(-pid_m, SIGKILL);
    reap(true);
  }
  closePipes();
  if (killed || !waitStatus_m) return std::nullopt;
  return exitCode(*waitStatus_m);
}

void ProcessDriver::closePipes() {
  closeFd(input_m);
  closeFd(outputFd_m);
}

}  // namespace varrowmere::process
