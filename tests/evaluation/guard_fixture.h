#pragma once
// Fixtures for evaluation tests: positions, and guard-table files written into a fresh
// temporary folder and named relative to dataDir, the way loadGuardTable takes its names.

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>

#include "driver/game_state.h"
#include "tables/text_input.h"

namespace varrowmere::testing {

class GuardFixtureDir {
 public:
  GuardFixtureDir() { std::filesystem::create_directories(path_m); }
  ~GuardFixtureDir() { std::filesystem::remove_all(path_m); }
  // Writes `text` as file `file` of the folder; returns its name relative to dataDir.
  std::string write(const std::string& file, const std::string& text) const {
    std::ofstream(path_m / file, std::ios::binary) << text;
    return name(file);
  }
  // The name relative to dataDir of file `file` of the folder (which need not exist).
  std::string name(const std::string& file) const {
    return std::filesystem::relative(path_m / file, dataDir).string();
  }

 private:
  inline static std::atomic<int> serial{0};
  const std::filesystem::path path_m =
      std::filesystem::temp_directory_path() /
      ("varrowmere-guard-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
};

// Eleven free-text lines and the three header lines.
inline std::string guardHeader(const std::string& side, const std::string& dist,
                               const std::string& values) {
  std::string text;
  for (int line = 1; line <= 11; ++line) text += "free text " + std::to_string(line) + " 7, 9\n";
  return text + "sideCount " + side + ",\ndistCount " + dist + ",\nvaluesPerCell " + values + ",\n";
}

// The header, then `dist` lines of `side` comma-terminated cells, word j of cell [k][i] being
// word(k, i, j).
inline std::string guardFileText(int side, int dist, int values,
                                 const std::function<std::string(int, int, int)>& word) {
  std::string text =
      guardHeader(std::to_string(side), std::to_string(dist), std::to_string(values));
  for (int k = 0; k < dist; ++k) {
    for (int i = 0; i < side; ++i) {
      for (int j = 0; j < values; ++j) text.append(j > 0 ? " " : "").append(word(k, i, j));
      text += ',';
    }
    text += '\n';
  }
  return text;
}

struct PlacedStone {
  int index;
  float x, y;
};

// A shot number and the stones placed; the others out of play.
inline GameState makePosition(int shotNum, std::initializer_list<PlacedStone> stones) {
  GameState position{.shotNum = shotNum};
  for (const auto& [i, x, y] : stones) position.stonePos[i][0] = x, position.stonePos[i][1] = y;
  return position;
}

}  // namespace varrowmere::testing
