#include "tables/guard_table.h"

#include <cmath>
#include <string>

#include "tables/message.h"
#include "tables/text_input.h"

namespace varrowmere {

constinit GuardTable backBlock(GuardSide::Behind, BACK_BLOCK_SIDE_COUNT, BACK_BLOCK_DIST_COUNT,
                               GUARD_VALUES_PER_CELL, BACK_BLOCK_FILE0, BACK_BLOCK_FILE1);
constinit GuardTable frontGuard(GuardSide::InFront, FRONT_GUARD_SIDE_COUNT, FRONT_GUARD_DIST_COUNT,
                                GUARD_VALUES_PER_CELL, FRONT_GUARD_FILE0, FRONT_GUARD_FILE1);

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Quotients at or beyond this (in cells) cannot name a cell and are not converted to int,
// which also keeps a position that is not a number away from the conversion.
constexpr float CELL_QUOTIENT_LIMIT = 16777216.0f;
// Header numbers are read up to this size; anything larger is out of bounds anyway.
constexpr int64_t HEADER_NUMBER_CAP = int64_t{1} << 40;

bool isAtoiSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// atoi's reading of a word (leading white space, optional sign, decimal digits up to the first
// other character; no digits give 0), in unsigned arithmetic that wraps instead of overflowing,
// so the low bits are those of the written number however long it is.
uint32_t wrappedAtoi(const std::string& word, bool& negative, int64_t* capped) {
  std::size_t pos = 0;
  while (pos < word.size() && isAtoiSpace(word[pos])) ++pos;
  negative = false;
  if (pos < word.size() && (word[pos] == '+' || word[pos] == '-')) {
    negative = word[pos] == '-';
    ++pos;
  }
  uint32_t value = 0;
  int64_t saturated = 0;
  for (; pos < word.size() && word[pos] >= '0' && word[pos] <= '9'; ++pos) {
    const uint32_t digit = static_cast<uint32_t>(word[pos] - '0');
    value = value * 10u + digit;
    if (saturated < HEADER_NUMBER_CAP) saturated = saturated * 10 + digit;
  }
  if (capped != nullptr) *capped = negative ? -saturated : saturated;
  return negative ? 0u - value : value;
}

// The stored value of a word: the low 8 bits of its number, as a signed byte (200 gives -56).
int8_t wordToByte(const std::string& word) {
  bool negative = false;
  const uint32_t value = wrappedAtoi(word, negative, nullptr);
  return static_cast<int8_t>(static_cast<uint8_t>(value & 0xFFu));
}

// Word 1 of cell 0 of a header row; a missing row, cell or word reads as 0.
int64_t headerNumber(const Rows& rows, std::size_t row, std::vector<std::string>& words) {
  if (row >= rows.size() || rows[row].empty()) return 0;
  splitLine(rows[row][0], GUARD_WORD_DELIM, words);
  if (words.size() < 2) return 0;
  bool negative = false;
  int64_t number = 0;
  wrappedAtoi(words[1], negative, &number);
  return number;
}

// Fills cells[f] from the data rows; what the rows lack stays 0.
void fillCells(GuardTable& table, int f, const Rows& rows) {
  std::vector<std::string> words;
  int8_t* cells = table.cells[f].data();
  for (int32_t k = 0; k < table.distCount; ++k) {
    const std::size_t row = GUARD_FIRST_DATA_ROW + std::size_t(k);
    if (row >= rows.size()) return;
    const std::vector<std::string>& line = rows[row];
    for (int32_t i = 0; i < table.sideCount && std::size_t(i) < line.size(); ++i) {
      splitLine(line[i], GUARD_WORD_DELIM, words);
      int8_t* out = cells + (std::size_t(k) * table.sideCount + i) * table.valuesPerCell;
      for (int32_t j = 0; j < table.valuesPerCell && std::size_t(j) < words.size(); ++j) {
        out[j] = wordToByte(words[j]);
      }
    }
  }
}

void zeroResult(const GuardTable& table, std::vector<double>& out0, std::vector<double>& out1) {
  out0.assign(std::size_t(table.valuesPerCell), 0.0);
  out1.assign(std::size_t(table.valuesPerCell), 0.0);
}

}  // namespace

void loadGuardTable(GuardTable& table, const char* file0, const char* file1) {
  ++table.loadCount;
  table.sideCount = table.startSideCount;
  table.distCount = table.startDistCount;

  Rows rows;
  std::vector<std::string> words;
  bool headerSound = false;
  if (InputFile_Table(file0, GUARD_CELL_DELIM, rows)) {
    const int64_t side = headerNumber(rows, GUARD_SIDE_COUNT_ROW, words);
    const int64_t dist = headerNumber(rows, GUARD_DIST_COUNT_ROW, words);
    const int64_t values = headerNumber(rows, GUARD_VALUES_ROW, words);
    headerSound = side >= 1 && side <= GUARD_MAX_COUNT && dist >= 1 && dist <= GUARD_MAX_COUNT &&
                  values == table.valuesPerCell;
    if (headerSound) {
      table.sideCount = static_cast<int32_t>(side);
      table.distCount = static_cast<int32_t>(dist);
    } else {
      showMessage(dataDir + file0 + ": header sideCount " + std::to_string(side) + " distCount " +
                      std::to_string(dist) + " valuesPerCell " + std::to_string(values) +
                      " outside 1.." + std::to_string(GUARD_MAX_COUNT) + ", 1.." +
                      std::to_string(GUARD_MAX_COUNT) + ", " + std::to_string(table.valuesPerCell) +
                      "; the table reads as zeros",
                  CAPTION_LOAD_GUARD_TABLE);
    }
  }

  const std::size_t size = std::size_t(table.distCount) * std::size_t(table.sideCount) *
                           std::size_t(table.valuesPerCell);
  table.cells[0].assign(size, 0);
  table.cells[1].assign(size, 0);
  if (!headerSound) return;

  fillCells(table, 0, rows);
  // The second file's header is not read: it shares the first file's dimensions.
  rows.clear();
  if (InputFile_Table(file1, GUARD_CELL_DELIM, rows)) fillCells(table, 1, rows);
}

void lookupGuardTable(GuardTable& table, std::vector<double>& out0, std::vector<double>& out1,
                      float x0, float y0, float x1, float y1) {
  std::call_once(table.loadOnce, [&table] {
    loadGuardTable(table, table.file0, table.file1);
    table.pending = false;
  });

  // Side test; a y that is not a number passes it (and fails the cell range below).
  const bool wrongSide = table.side == GuardSide::Behind ? y1 > y0 : y0 > y1;
  if (wrongSide) return zeroResult(table, out0, out1);

  // Single precision throughout, as the tables were laid out; only the root is taken in double.
  const float dx = x0 - GUARD_ORIGIN_X;
  const float dy = y0 - GUARD_ORIGIN_Y;
  const float len = static_cast<float>(std::sqrt(static_cast<double>(dy * dy + dx * dx)));
  const float ux = dx / len;
  const float uy = dy / len;
  const float along = uy * (y1 - y0) + ux * (x1 - x0);
  const float perp = uy * (x1 - x0) + (y1 - y0) * (-ux);

  const float lateral = std::fabs(perp) / GRID_STEP;
  const float distance = table.side == GuardSide::Behind
                             ? (BACK_REACH - std::fabs(along)) / GRID_STEP
                             : std::fabs(along) / GRID_STEP;
  if (!(lateral < CELL_QUOTIENT_LIMIT && std::fabs(distance) < CELL_QUOTIENT_LIMIT)) {
    return zeroResult(table, out0, out1);
  }
  const auto m = static_cast<int32_t>(lateral);
  // Conversions truncate toward zero: a BackBlock stone just beyond BACK_REACH is in cell 0.
  const auto k = static_cast<int32_t>(distance);

  // Which side of the line from the delivery point through the target; on the line counts +1.
  const float cross =
      (y1 - GUARD_ORIGIN_Y) * dx - (x1 - GUARD_ORIGIN_X) * dy;
  const float sign = cross < 0.0f ? -1.0f : 1.0f;
  const int32_t centre = (table.sideCount - 1) / 2;
  const auto i = static_cast<int32_t>(static_cast<float>(m) * sign + static_cast<float>(centre));

  if (k < 0 || k >= table.distCount || i < 0 || i >= table.sideCount) {
    return zeroResult(table, out0, out1);
  }
  const std::size_t n = std::size_t(table.valuesPerCell);
  const int8_t* c0 = table.cell(0, k, i);
  const int8_t* c1 = table.cell(1, k, i);
  out0.resize(n);
  out1.resize(n);
  for (std::size_t j = 0; j < n; ++j) {
    out0[j] = c0[j];
    out1[j] = c1[j];
  }
}

void lookupBackBlock(std::vector<double>& out0, std::vector<double>& out1, float x0, float y0,
                     float x1, float y1) {
  lookupGuardTable(backBlock, out0, out1, x0, y0, x1, y1);
}

void lookupFrontGuard(std::vector<double>& out0, std::vector<double>& out1, float x0, float y0,
                      float x1, float y1) {
  lookupGuardTable(frontGuard, out0, out1, x0, y0, x1, y1);
}

}  // namespace varrowmere
