#pragma once
// A file the fuzz targets write their input into, so that the data-file readers, which take
// a name relative to dataDir, read it as they would read a data file.

#include <cstddef>
#include <cstdint>
#include <string>

namespace varrowmere::fuzz {

class ScratchFile {
 public:
  // A file in the system's temporary folder, its name made unique by the process id and tag.
  explicit ScratchFile(const char* tag);
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Replaces the file's contents with the bytes given.
  void write(const uint8_t* data, std::size_t size);
  // Removes the file, so that a reader finds it missing.
  void remove();
  // The file's name relative to dataDir (a path of "../" up from the data folder).
  const char* name() const { return name_m.c_str(); }

 private:
  std::string path_m;
  std::string name_m;
};

}  // namespace varrowmere::fuzz
