#include "scratch_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tables/text_input.h"

namespace varrowmere::fuzz {

namespace {

// TMPDIR when set; else the memory file system when there is one, since every input is
// written and read back once, and a disk-backed /tmp makes that the slowest part of a run.
std::filesystem::path scratchFolder() {
  namespace fs = std::filesystem;
  std::error_code error;
  if (std::getenv("TMPDIR") == nullptr && fs::is_directory("/dev/shm", error) &&
      ::access("/dev/shm", W_OK) == 0)
    return "/dev/shm";
  return fs::temp_directory_path();
}

}  // namespace

ScratchFile::ScratchFile(const char* tag) {
  namespace fs = std::filesystem;
  const fs::path path =
      scratchFolder() / ("varrowmere-fuzz-" + std::to_string(::getpid()) + "-" + tag);
  path_m = path.string();
  // relative() resolves links on both sides, so the name leads to the file however the data
  // folder is reached.
  name_m = fs::relative(path, fs::path(dataDir)).string();
  if (name_m.empty()) {
    std::fprintf(stderr, "no relative path from %s to %s\n", dataDir.c_str(), path_m.c_str());
    std::abort();
  }
}

ScratchFile::~ScratchFile() { remove(); }

void ScratchFile::write(const uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path_m.c_str(), "wb");
  if (file == nullptr) {
    std::perror(path_m.c_str());
    std::abort();
  }
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
}

void ScratchFile::remove() { std::remove(path_m.c_str()); }

}  // namespace varrowmere::fuzz
