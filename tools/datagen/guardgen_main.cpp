// varrowmere-guardgen: writes the four guard-table files (BackBlock and FrontGuard, spin 0 and
// 1) from the stone motion model. Usage: varrowmere-guardgen [--out DIR]; DIR defaults to the
// configured data folder. Deterministic: the same model gives the same bytes.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "guard_cells.h"
#include "tables/text_input.h"

namespace {

using namespace varrowmere;
using namespace varrowmere::guardgen;

bool writeFile(const std::filesystem::path& path, const std::string& text) {
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  std::string outDir = dataDir;
  for (int a = 1; a < argc; ++a) {
    if (std::strcmp(argv[a], "--out") == 0 && a + 1 < argc) {
      outDir = argv[++a];
    } else {
      std::fprintf(stderr, "usage: %s [--out DIR]\n", argv[0]);
      return 2;
    }
  }

  const auto start = std::chrono::steady_clock::now();
  buildChordTable();
  buildTrajectoryTables();

  int status = 0;
  for (const bool spin : {false, true}) {
    const std::vector<TakeoutPath> takeouts = buildTakeouts(spin);
    double worstAim = 0.0;
    for (const TakeoutPath& path : takeouts) worstAim = std::max(worstAim, path.aimError);
    std::printf("spin %d: takeouts pass their aim points within %.3g m\n", spin ? 1 : 0, worstAim);
    if (!(worstAim <= AIM_TOLERANCE)) {
      std::fprintf(stderr, "no shot found through an aim point; nothing written\n");
      return 1;
    }
    for (const GuardFamily* family : {&BACK_BLOCK_FAMILY, &FRONT_GUARD_FAMILY}) {
      const std::filesystem::path path = std::filesystem::path(outDir) / family->files[spin];
      if (!writeFile(path, fileText(*family, spin, takeouts))) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        status = 1;
        continue;
      }
      std::printf("wrote %s\n", path.c_str());
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.2f s\n", seconds);
  return status;
}
