#pragma once
// The guard-table files: which cells a family has, where the second stone of a cell stands,
// and the text of the files. The cells are those of the lookup (tables/guard_table.h), laid
// around one representative target, the tee.

#include <cstdint>
#include <string>
#include <vector>

#include "guard_takeout.h"
#include "tables/guard_table.h"

namespace varrowmere::guardgen {

// The representative target (m): the tee.
inline constexpr double TARGET_X = TEE_X;
inline constexpr double TARGET_Y = static_cast<float>(TEE_Y);
// Free-text lines before the header.
inline constexpr int TEXT_LINES = 11;

struct GuardFamily {
  const char* name;  // "BackBlock" or "FrontGuard"
  GuardSide side;
  int32_t sideCount;
  int32_t distCount;
  const char* files[2];  // relative to a data folder: spin 0, spin 1
};

inline constexpr GuardFamily BACK_BLOCK_FAMILY{"BackBlock",
                                               GuardSide::Behind,
                                               BACK_BLOCK_SIDE_COUNT,
                                               BACK_BLOCK_DIST_COUNT,
                                               {BACK_BLOCK_FILE0, BACK_BLOCK_FILE1}};
inline constexpr GuardFamily FRONT_GUARD_FAMILY{"FrontGuard",
                                                GuardSide::InFront,
                                                FRONT_GUARD_SIDE_COUNT,
                                                FRONT_GUARD_DIST_COUNT,
                                                {FRONT_GUARD_FILE0, FRONT_GUARD_FILE1}};

// The OFFSET_ENTRIES takeouts at the target for one spin, entry j at index j.
std::vector<TakeoutPath> buildTakeouts(bool spin);

// Where the second stone of cell [k][i] stands: the middle of the cell as the lookup bounds it
// (the centre lateral cell spans one GRID_STEP either side of the line).
void cellCentre(const GuardFamily& family, int32_t k, int32_t i, double& x, double& y);

// Entry j of cell [k][i]: 1 when the second stone there spoils takeout j.
int cellEntry(const GuardFamily& family, const std::vector<TakeoutPath>& takeouts, int32_t k,
              int32_t i, int j);

// Data line of distance cell k: sideCount comma-terminated cells of OFFSET_ENTRIES words.
// `ones` is increased by the number of entries 1.
std::string dataLine(const GuardFamily& family, const std::vector<TakeoutPath>& takeouts, int32_t k,
                     int64_t& ones);

// The whole text of one file (spin 0: `_angle0`, spin 1: `_angle1`), from that spin's takeouts.
std::string fileText(const GuardFamily& family, bool spin,
                     const std::vector<TakeoutPath>& takeouts);

}  // namespace varrowmere::guardgen
