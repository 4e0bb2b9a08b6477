#pragma once
// Builds the start-up tables (motion model, then candidates) once per test executable.

#include "candidates/candidates.h"
#include "physics/motion.h"

namespace varrowmere::testing_support {

inline void ensureMotionTables() {
  static const bool built = (buildChordTable(), buildTrajectoryTables(), true);
  (void)built;
}

inline void ensureStartUpTables() {
  ensureMotionTables();
  static const bool built = (buildCandidateTables(), true);
  (void)built;
}

}  // namespace varrowmere::testing_support
