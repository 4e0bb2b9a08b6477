#pragma once
// What the soak checks: the form of each answer to GO and the player's resident memory.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "physics/sheet.h"

namespace varrowmere::soak {

// The bytes between a GO and the READYOK that follows it must be exactly one
// "BESTSHOT %f %f %d": two finite numbers with six decimals and a spin of 0 or 1, separated by
// single spaces, and nothing else. Fills shot when they are.
bool parseBestShot(const std::string& text, ShotVector& shot);

// Resident memory (kB) from the text of /proc/PID/status (its VmRSS line); -1 without one.
int64_t residentKb(const std::string& statusText);
// The same for a running process; -1 when it cannot be read.
int64_t residentKbOf(pid_t pid);

// Resident memory after the first game (the baseline) against every later sample.
struct MemoryVerdict {
  int64_t baseline = -1;
  int64_t highest = -1;
  int64_t lowest = -1;
  // No sample lies more than the tolerance (a fraction of the baseline) above the baseline.
  bool within = false;
};
MemoryVerdict judgeMemory(const std::vector<int64_t>& samples, double tolerance);

}  // namespace varrowmere::soak
