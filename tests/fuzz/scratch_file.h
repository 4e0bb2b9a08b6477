#pragma once
// A file the fuzz targets write their input into, for the data-file readers, which take a name
// relative to dataDir (relative() resolves links on both sides). Unique by process and tag; in
// the memory file system when there is one and TMPDIR is not set, as every input goes through it.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tables/text_input.h"

namespace varrowmere::fuzz {

class ScratchFile {
 public:
  explicit ScratchFile(const char* tag)
      : path_m((std::getenv("TMPDIR") == nullptr && ::access("/dev/shm", W_OK) == 0
                    ? std::filesystem::path("/dev/shm")
                    : std::filesystem::temp_directory_path()) /
               ("varrowmere-fuzz-" + std::to_string(::getpid()) + "-" + tag)),
        name_m(std::filesystem::relative(path_m, dataDir).string()) {}
  ~ScratchFile() { remove(); }

  // Replaces the contents; remove() makes the file missing.
  void write(const uint8_t* data, std::size_t size) const {
    std::FILE* file = std::fopen(path_m.c_str(), "wb");
    if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size)) std::abort();
    std::fclose(file);
  }
  void remove() const { std::remove(path_m.c_str()); }
  const char* name() const { return name_m.c_str(); }

 private:
  const std::filesystem::path path_m;
  const std::string name_m;
};

}  // namespace varrowmere::fuzz
