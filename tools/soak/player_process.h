#pragma once
// The player as a child process on two pipes, started without a shell so that its process id
// is the player's own (the soak reads that process's memory). Standard error is left to the
// terminal.

#include <sys/types.h>

#include <string>

namespace varrowmere::soak {

class PlayerProcess {
 public:
  PlayerProcess() = default;
  ~PlayerProcess();
  PlayerProcess(const PlayerProcess&) = delete;
  PlayerProcess& operator=(const PlayerProcess&) = delete;

  // Starts the program at path. Returns false with the reason when it cannot.
  bool start(const std::string& path, std::string& failure);
  // Writes all of text to the player's input; false when the player is gone.
  bool send(const std::string& text);
  // Reads until the player has written READYOK; `before` gets what it wrote since the last
  // READYOK. Bytes after it are kept for the next call. False when the timeout (s) passes or
  // the player closes its output first; `before` then holds what did come.
  bool readUntilReady(double timeoutSeconds, std::string& before);
  // Closes the player's input and waits up to grace (s) for it to leave, then kills it.
  // Returns its exit status (128 + signal when a signal ended it, -1 when it had to be
  // killed); `trailing` gets whatever it wrote after the last READYOK.
  int finish(double graceSeconds, std::string& trailing);

  pid_t pid() const { return pid_m; }

 private:
  // Reads what comes within the timeout (ms) into pending_m: the bytes read, 0 for none,
  // -1 at the end of the player's output.
  int readSome(int timeoutMs);

  pid_t pid_m = -1;
  int toChild_m = -1;
  int fromChild_m = -1;
  std::string pending_m;
};

}  // namespace varrowmere::soak
