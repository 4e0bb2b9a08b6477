#pragma once
// The determinism signature: a fixed set of positions searched at a given depth, and a hash of
// the shots and values chosen. Any change of play changes the hash; a speed-up that keeps the
// hash keeps the behaviour.

#include <cstdint>
#include <string>
#include <vector>

#include "driver/game_state.h"
#include "physics/sheet.h"

namespace varrowmere {

struct SignaturePosition {
  std::string name;
  GameState state;
};

// Empty sheet at shot 2; 4, 8 and 12 stones mid-end; shot 15 with stones in the house.
std::vector<SignaturePosition> signaturePositions();

// FNV-1a over the bytes of a shot and its value, folded into hash.
uint64_t foldShot(uint64_t hash, const ShotVector& shot, double value);

// Searches every signature position at depth with the standard evaluation and returns the
// hash of the results. Needs the start-up tables.
uint64_t searchSignature(int32_t depth);

}  // namespace varrowmere
