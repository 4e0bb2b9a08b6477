#pragma once
// A player in a child process, on two pipes: its standard input and output. The driver starts
// it in its own process group, writes text to it, reads what it writes back (replies carry no
// terminator, so reading is by deadline, not by line) and ends it together with its group.
// Standard error is left to the terminal. One thread uses a driver at a time.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varrowmere::process {

using Clock = std::chrono::steady_clock;

// A span of `seconds` in the clock's units.
inline Clock::duration durationOf(double seconds) {
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// Pause between two looks at a child that may be leaving (ms).
inline constexpr int EXIT_POLL_MS = 5;
// Bytes taken from the child's output per read.
inline constexpr std::size_t READ_BLOCK = 4096;

// How a wait for output ended.
enum class ReadResult {
  Arrived,  // readSome: bytes came; readUntil: the output holds what was waited for
  Timeout,  // the deadline passed first
  Ended,    // the child closed its output (or it cannot be read)
};

class ProcessDriver {
 public:
  ProcessDriver() = default;
  // Ends a child still running at once (see finish).
  ~ProcessDriver();
  ProcessDriver(const ProcessDriver&) = delete;
  ProcessDriver& operator=(const ProcessDriver&) = delete;

  // Starts `command` through /bin/sh -c. With nonBlocking, the pipe ends the child gets are in
  // non-blocking mode, as some servers leave them. A child started before is ended first.
  // Returns false with the reason in `failure` when it cannot start.
  bool startShell(const std::string& command, std::string& failure, bool nonBlocking = false);
  // Starts the program at `path` with `arguments`, without a shell, so that pid() is the
  // program's own.
  bool startProgram(const std::string& path, std::string& failure, bool nonBlocking = false,
                    const std::vector<std::string>& arguments = {});

  // True from a start until the child has been seen to end.
  bool running() const { return pid_m > 0; }
  pid_t pid() const { return pid_m; }

  // Writes all of text to the child's input, however many writes it takes; false when the
  // child no longer reads it (never a SIGPIPE: starting a child ignores that signal in this
  // process unless someone else handles it).
  bool send(std::string_view text);
  // Closes the child's input: the end of its input.
  void closeInput();

  // Waits for output until the deadline and appends what comes to output(). A deadline that
  // has passed still takes what is already waiting.
  ReadResult readSome(Clock::time_point deadline);
  // Reads until done(output()) holds, the output ends or the deadline passes; a child that
  // writes without pause cannot hold it past the deadline.
  ReadResult readUntil(const std::function<bool(const std::string&)>& done,
                       Clock::time_point deadline);
  // Everything read from the child and not yet taken.
  const std::string& output() const { return output_m; }
  // Removes and returns the first `count` bytes of output() (all of it when count is larger).
  std::string takeOutput(std::size_t count = std::string::npos);
  // When the last bytes were read.
  Clock::time_point lastRead() const { return lastRead_m; }

  // Waits up to `timeout` for the child to end and then ends what is left of its group. The
  // exit status (128 + the signal when a signal ended it), or nothing while it still runs.
  std::optional<int> waitExit(Clock::duration timeout);
  // How the child ended, for a message: "exited with status 3", "was killed by signal 9";
  // "is running" before that.
  std::string exitDescription() const;
  // Closes the child's input and gives it `grace` to leave, reading its output on (so that a
  // child blocked on a full pipe can leave); then kills its process group and closes the
  // pipes. The exit status, or nothing when it had to be killed.
  std::optional<int> finish(Clock::duration grace);

 private:
  bool start(const char* program, char* const argv[], std::string& failure, bool nonBlocking);
  // Collects the child's status if it has ended (waiting for it with block) and then kills
  // what is left of its process group; true once it has ended.
  bool reap(bool block);
  void closePipes();

  pid_t pid_m = -1;     // also the child's process group
  int input_m = -1;     // our end of the child's standard input
  int outputFd_m = -1;  // our end of the child's standard output
  bool outputEnded_m = false;
  std::optional<int> waitStatus_m;  // as waitpid gave it, once the child has ended
  std::string output_m;
  Clock::time_point lastRead_m = Clock::now();
};

// Makes SIGINT and SIGTERM kill the process group of every running child before this process
// exits, and ignores SIGPIPE (a child that has gone shows as a failed write instead).
void installSignalHandlers();

}  // namespace varrowmere::process
