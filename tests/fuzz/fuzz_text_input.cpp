// Fuzzes the text readers: splitLine on an arbitrary line and delimiter, and InputFile_Lines and
// InputFile_Table on a file of arbitrary bytes. Checked on every input: the fields put back
// together give the line again, and the lines are those of a direct reading of the bytes.
//
// Input: byte 0 is the delimiter; the rest is both the line given to splitLine and the
// contents of the file.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "scratch_file.h"
#include "tables/text_input.h"

using namespace varrowmere;

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz_text_input: %s\n", what);
  std::abort();
}

// splitLine drops one trailing delimiter and nothing else: joining the fields with the
// delimiter, plus that trailing delimiter, gives the line back.
void checkSplit(const std::string& line, char delim, const std::vector<std::string>& fields) {
  std::string joined;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) joined += delim;
    joined += fields[i];
    if (fields[i].find(delim) != std::string::npos) fail("field holds the delimiter");
  }
  if (!line.empty() && line.back() == delim) joined += delim;
  if (joined != line) fail("fields do not give the line back");
  if (line.empty() != fields.empty()) fail("empty line and field count disagree");
}

// The file's lines read directly: cut at LF; a CR before an LF belongs to the line end; a last
// piece without LF is a line; a final LF adds no empty line.
std::vector<std::string> modelLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

fuzz::ScratchFile& scratch() {
  static fuzz::ScratchFile file("text");
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char delim = static_cast<char>(data[0]);
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  std::vector<std::string> fields;
  splitLine(bytes, delim, fields);
  checkSplit(bytes, delim, fields);

  scratch().write(data + 1, size - 1);
  std::vector<std::string> lines;
  if (!InputFile_Lines(scratch().name(), lines)) fail("scratch file not read");
  if (lines != modelLines(bytes)) fail("lines differ from a direct reading");

  std::vector<std::vector<std::string>> table;
  if (!InputFile_Table(scratch().name(), delim, table)) fail("scratch file not read as table");
  if (table.size() != lines.size()) fail("one row per line");
  for (std::size_t r = 0; r < table.size(); ++r) checkSplit(lines[r], delim, table[r]);
  return 0;
}
