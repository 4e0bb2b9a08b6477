#pragma once
// The determinism signature: a fixed set of positions searched at a given depth, and a hash of
// the shots and values chosen. Any change of play changes the hash; a speed-up that keeps the
// hash keeps the behaviour.

#include <cstdint>
#include <string>
#include <vector>

#include "driver/game_state.h"
#include "physics/sheet.h"
#include "search/search_node.h"

namespace varrowmere {

struct SignaturePosition {
  std::string name;
  GameState state;
};

// Empty sheet at shot 2; 4, 8 and 12 stones mid-end; shot 15 with stones in the house.
std::vector<SignaturePosition> signaturePositions();

// FNV-1a offset basis: the hash of nothing.
inline constexpr uint64_t SIGNATURE_START = 14695981039346656037ull;

// FNV-1a over the bytes of a shot and its value, folded into hash.
uint64_t foldShot(uint64_t hash, const ShotVector& shot, double value);
// FNV-1a over the value and expected value of every cell of a searched node's four candidate
// sets, in the order (draw, spin 0), (hit, spin 0), (draw, spin 1), (hit, spin 1), cells in
// index order: any change in the search shows, not only a change of the choice.
uint64_t foldCells(uint64_t hash, const SearchNode& node);

// The two hashes of searching a list of positions.
struct Signatures {
  uint64_t choice = SIGNATURE_START;  // chosen shot and value of each position
  uint64_t cells = SIGNATURE_START;   // every top-level cell of each position
};

// Searches the positions in order at depth with the standard evaluation. Needs the start-up
// tables.
Signatures searchSignatures(int32_t depth, const std::vector<SignaturePosition>& positions);
// The same over every signature position.
Signatures searchSignatures(int32_t depth);

}  // namespace varrowmere
