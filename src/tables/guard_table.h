#pragma once
// Guard tables: for a target stone and a second stone near it, two vectors of small integers
// chosen by where the second stone lies, seen along the line from the delivery point through
// the target. BackBlock answers for a second stone behind the target, FrontGuard for one in
// front of it. Each family is a pair of files: `_angle0` (cells[0]) and `_angle1` (cells[1]).
//
// What an entry means (our files, made by tools/datagen, see data/README.md): entry j stands
// for a takeout thrown at the target with spin 0 (cells[0]) or 1 (cells[1]), whose path
// passes the target's centre at a lateral offset of (j - 11) * 0.29 / 11 m (j = 11: full hit,
// j = 0 and 22: grazing). The value is 1 where a second stone in that cell spoils the takeout,
// else 0. FrontGuard: the thrown stone's path meets the second stone before it reaches the
// target. BackBlock: the target, driven along the line of centres, meets the second stone
// within 1.22 m. So the sum over all stones of an entry counts what stands in that takeout's way.
//
// Each family is loaded once, at its first lookup (safe when several threads arrive together),
// and is only read afterwards; lookups need no lock then.

#include <cstdint>
#include <mutex>
#include <vector>

namespace varrowmere {

// Origin of the line of delivery (m), as floats: the sheet's delivery point. The tables sit
// below the physics, so they keep the point in the precision they compute in.
inline constexpr float GUARD_ORIGIN_X = 2.375f;
inline constexpr float GUARD_ORIGIN_Y = 41.28f;
// Size of one distance cell and one lateral cell (m): the float nearest 0.29 / 12.
inline constexpr float GRID_STEP = 0.024166666f;
// Along-line distance (m) that falls into BackBlock distance cell 0.
inline constexpr float BACK_REACH = 1.22f;

// Values per cell: one per takeout offset. The evaluators size their sums with it before the
// first load, so every file must declare exactly this count.
inline constexpr int32_t GUARD_VALUES_PER_CELL = 23;
// Start dimensions of the two families (lateral cells, distance cells).
inline constexpr int32_t BACK_BLOCK_SIDE_COUNT = 51;
inline constexpr int32_t BACK_BLOCK_DIST_COUNT = 51;
inline constexpr int32_t FRONT_GUARD_SIDE_COUNT = 60;
inline constexpr int32_t FRONT_GUARD_DIST_COUNT = 329;
// Header dimensions accepted from a file; anything else leaves the family all zeros.
inline constexpr int32_t GUARD_MAX_COUNT = 1000;

// File layout: rows (lines - 1) of the three header numbers, and the first data row.
inline constexpr int GUARD_SIDE_COUNT_ROW = 11;
inline constexpr int GUARD_DIST_COUNT_ROW = 12;
inline constexpr int GUARD_VALUES_ROW = 13;
inline constexpr int GUARD_FIRST_DATA_ROW = 14;
inline constexpr char GUARD_CELL_DELIM = ',';
inline constexpr char GUARD_WORD_DELIM = ' ';

// File names, relative to dataDir.
inline constexpr char BACK_BLOCK_FILE0[] = "BackBlock/BackBlock_angle0.txt";
inline constexpr char BACK_BLOCK_FILE1[] = "BackBlock/BackBlock_angle1.txt";
inline constexpr char FRONT_GUARD_FILE0[] = "FrontGuard/FrontGuard_angle0.txt";
inline constexpr char FRONT_GUARD_FILE1[] = "FrontGuard/FrontGuard_angle1.txt";

inline constexpr char CAPTION_LOAD_GUARD_TABLE[] = "loadGuardTable";

// Which side of the target a family answers for; it decides the side test and the distance
// cell of a lookup.
enum class GuardSide { Behind, InFront };

// One family. Dimensions start at the family's start values; sideCount and distCount take the
// file's header at loading, valuesPerCell never changes (any thread may read it at any time).
// cells[f] holds element [k][i][j] at (k * sideCount + i) * valuesPerCell + j.
struct GuardTable {
  // Counts below 0 are taken as 0. Constant-initialised for the two process-wide families.
  constexpr GuardTable(GuardSide side, int32_t sideCount, int32_t distCount, int32_t valuesPerCell,
                       const char* file0, const char* file1)
      : side(side),
        startSideCount(sideCount > 0 ? sideCount : 0),
        startDistCount(distCount > 0 ? distCount : 0),
        file0(file0),
        file1(file1),
        sideCount(startSideCount),
        distCount(startDistCount),
        valuesPerCell(valuesPerCell > 0 ? valuesPerCell : 0) {}
  GuardTable(const GuardTable&) = delete;
  GuardTable& operator=(const GuardTable&) = delete;

  // The int8 values of cell [k][i] of file f; valuesPerCell of them.
  const int8_t* cell(int f, int32_t k, int32_t i) const {
    return cells[f].data() +
           (std::size_t(k) * std::size_t(sideCount) + std::size_t(i)) * std::size_t(valuesPerCell);
  }

  const GuardSide side;
  const int32_t startSideCount;
  const int32_t startDistCount;
  const char* const file0;
  const char* const file1;
  int32_t sideCount;
  int32_t distCount;
  const int32_t valuesPerCell;
  std::vector<int8_t> cells[2];
  // True until the family has been loaded; written once, inside the load.
  bool pending = true;
  // How many times loadGuardTable ran on this family (0 or 1 through the lookups).
  int32_t loadCount = 0;
  std::once_flag loadOnce;
};

// The two process-wide families.
extern constinit GuardTable backBlock;
extern constinit GuardTable frontGuard;

// Loads a family from file0 (header and cells[0]) and file1 (cells[1]), names relative to
// dataDir. Missing lines, cells and words read as 0; a file that cannot be opened is reported
// by the reader (file0 missing: the whole family is zeros). A header outside 1..GUARD_MAX_COUNT
// lateral and distance cells, or with another valuesPerCell, is reported and the family is all
// zeros with its start dimensions. Called once per family by the lookups.
void loadGuardTable(GuardTable& table, const char* file0, const char* file1);

// Looks up the cell of the second stone (x1, y1) relative to the target (x0, y0), loading the
// family first if needed. out0 gets cells[0]'s values and out1 cells[1]'s, exactly
// valuesPerCell each, or zeros when the second stone is on the wrong side or outside the
// table. Allocates nothing once the vectors have that capacity. Any thread.
void lookupGuardTable(GuardTable& table, std::vector<double>& out0, std::vector<double>& out1,
                      float x0, float y0, float x1, float y1);

void lookupBackBlock(std::vector<double>& out0, std::vector<double>& out1, float x0, float y0,
                     float x1, float y1);
void lookupFrontGuard(std::vector<double>& out0, std::vector<double>& out1, float x0, float y0,
                      float x1, float y1);

}  // namespace varrowmere
