#pragma once
// The search's record of one candidate shot, and the template of such records built once
// per grid and spin: which cells are evaluated (sampled) and which sampled cell stands in for
// each of the others (its representative).

#include <cstdint>
#include <vector>

#include "candidates/grid.h"
#include "driver/game_state.h"
#include "physics/sheet.h"

namespace varrowmere {

// Looked-ahead stops beyond these y (m) change the sampling's row step: the float 6.71, front
// edge of the house, and the float 4.88, the tee line.
inline constexpr double SAMPLE_HOUSE_FRONT_Y = double{6.71f};
inline constexpr double SAMPLE_TEE_LINE_Y = double{4.88f};

// One candidate shot of one candidate set, as a search works on it. A search copies the
// template and fills simulated, after, value, expected, chosen and deep; index, sampled,
// representative and locus come from the template.
struct CandidateCell {
  int32_t index = 0;                 // row * countX + column in its grid
  bool simulated = false;            // after holds the simulated result
  GameState after;                   // position after the shot (meaningful once simulated)
  double value = VALUE_NONE;         // own value, for the player who plays the shot
  double expected = VALUE_NONE;      // value averaged over the neighbour list
  bool chosen = false;               // takes part in the choice of the best cell
  bool deep = false;                 // is to be searched
  bool sampled = false;              // evaluated itself; otherwise takes its representative's value
  int32_t representative = 0;        // nearest sampled cell (the cell itself when sampled)
  const GridLocus* locus = nullptr;  // the cell's delivered stone and neighbour list
};

// Builds the template of a table: every cell in its initial state, pointing at the table's
// locus (so the table must outlive the template and its copies), then the sampling and the
// representatives below.
void buildCellTemplate(const GridSpec& gridParams, const GridTable& table,
                       std::vector<CandidateCell>& cells);

// Marks the sampled cells: from row 0, every colStep-th column of a row; the next row is
// row + step, where the step (starting at rowStepStart) is chosen by looking at where the
// stone of that next row's first cell stops: beyond the house front rowStepFar, else beyond
// the tee line rowStepNear, else unchanged. Steps below 1 count as 1.
void markSampledRows(const GridSpec& gridParams, const GridTable& table,
                     std::vector<CandidateCell>& cells);

// Gives every cell that is not sampled the nearest sampled cell, by the grid distance
// sqrt((dRow * stepY)^2 + (dColumn * stepX)^2) narrowed to float; among equal distances the
// lower index wins. Sampled cells represent themselves.
void assignRepresentatives(const GridSpec& gridParams, int32_t countX, std::vector<CandidateCell>& cells);

}  // namespace varrowmere
