#include "search/signature.h"

#include <cstring>

#include "search/search_node.h"

namespace varrowmere {

namespace {

constexpr uint64_t FNV_PRIME = 1099511628211ull;

uint64_t foldBytes(uint64_t hash, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * FNV_PRIME;
  return hash;
}

GameState positionOf(int32_t shotNum, std::initializer_list<std::pair<float, float>> stones) {
  GameState gs;
  gs.shotNum = shotNum;
  gs.curEnd = 3;
  gs.lastEnd = 8;
  int i = 0;
  for (const auto& [x, y] : stones) {
    gs.stonePos[i][0] = x;
    gs.stonePos[i][1] = y;
    ++i;
  }
  return gs;
}

}  // namespace

std::vector<SignaturePosition> signaturePositions() {
  return {
      {"empty sheet, shot 2", positionOf(2, {})},
      {"4 stones", positionOf(4, {{2.30f, 8.60f}, {2.45f, 5.10f}, {1.95f, 4.60f}, {2.60f, 9.20f}})},
      {"8 stones", positionOf(8, {{2.30f, 5.20f}, {2.60f, 4.40f}, {2.00f, 8.50f}, {2.90f, 8.00f},
                                  {1.90f, 4.90f}, {2.40f, 3.60f}, {2.80f, 6.00f}, {2.20f, 7.30f}})},
      {"12 stones",
       positionOf(12, {{2.30f, 5.20f}, {2.60f, 4.40f}, {2.00f, 8.50f}, {2.90f, 8.00f},
                       {1.90f, 4.90f}, {2.40f, 3.60f}, {2.80f, 6.00f}, {2.20f, 7.30f},
                       {3.10f, 5.50f}, {1.50f, 6.40f}, {2.50f, 9.60f}, {0.00f, 0.00f}})},
      {"shot 15, house",
       positionOf(15, {{2.38f, 4.95f}, {2.10f, 5.30f}, {2.70f, 4.60f}, {0.00f, 0.00f},
                       {2.20f, 8.70f}, {2.55f, 5.60f}, {0.00f, 0.00f}, {1.80f, 4.20f},
                       {2.90f, 7.90f}, {0.00f, 0.00f}, {2.30f, 3.90f}, {0.00f, 0.00f},
                       {0.00f, 0.00f}, {2.05f, 6.20f}, {0.00f, 0.00f}})},
  };
}

uint64_t foldShot(uint64_t hash, const ShotVector& shot, double value) {
  const uint8_t spin = shot.spin ? 1 : 0;
  hash = foldBytes(hash, &shot.vx, sizeof(shot.vx));
  hash = foldBytes(hash, &shot.vy, sizeof(shot.vy));
  hash = foldBytes(hash, &spin, sizeof(spin));
  return foldBytes(hash, &value, sizeof(value));
}

uint64_t foldCells(uint64_t hash, const SearchNode& node) {
  for (int32_t set = 0; set < SEARCHERS_PER_NODE; ++set) {
    for (const CandidateCell& cell : node.cells(set)) {
      hash = foldBytes(hash, &cell.value, sizeof(cell.value));
      hash = foldBytes(hash, &cell.expected, sizeof(cell.expected));
    }
  }
  return hash;
}

Signatures searchSignatures(int32_t depth, const std::vector<SignaturePosition>& positions) {
  const bool savedTimeShort = timeShort;
  timeShort = false;
  Signatures hashes;
  for (const SignaturePosition& position : positions) {
    SearchNode node;
    ShotVector shot;
    const double value = node.search(position.state, depth, shot);
    hashes.choice = foldShot(hashes.choice, shot, value);
    hashes.cells = foldCells(hashes.cells, node);
  }
  timeShort = savedTimeShort;
  return hashes;
}

Signatures searchSignatures(int32_t depth) { return searchSignatures(depth, signaturePositions()); }

}  // namespace varrowmere
