// Fuzzes the text readers: splitLine, InputFile_Lines and InputFile_Table on arbitrary bytes
// (byte 0 the delimiter, the rest both the line and the file's contents). Checked: the fields
// give the line back, and the lines are those of a direct reading of the bytes.

#include <cstdlib>
#include <vector>

#include "scratch_file.h"

using namespace varrowmere;

// splitLine drops one trailing delimiter and nothing else: no field holds the delimiter, and
// the fields, each followed by it, give the line back, less a delimiter it does not end with.
static void checkSplit(const std::string& line, char delim,
                       const std::vector<std::string>& fields) {
  std::string joined;
  for (const std::string& field : fields) {
    if (field.find(delim) != std::string::npos) std::abort();
    joined += field + delim;
  }
  if (!joined.empty() && (line.empty() || line.back() != delim)) joined.pop_back();
  if (joined != line || line.empty() != fields.empty()) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static const fuzz::ScratchFile file("text");
  if (size == 0) return 0;
  const char delim = static_cast<char>(data[0]);
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string> fields, lines, expected;
  splitLine(bytes, delim, fields);
  checkSplit(bytes, delim, fields);

  // Lines end at LF (a CR before it is part of the end); a last one needs none.
  for (std::size_t start = 0, end = 0; start < bytes.size(); start = end + 1) {
    end = std::min(bytes.find('\n', start), bytes.size());
    expected.push_back(bytes.substr(start, end - start));
    if (end < bytes.size() && !expected.back().empty() && expected.back().back() == '\r')
      expected.back().pop_back();
  }
  file.write(data + 1, size - 1);
  std::vector<std::vector<std::string>> table;
  if (!InputFile_Lines(file.name(), lines) || lines != expected) std::abort();
  if (!InputFile_Table(file.name(), delim, table) || table.size() != lines.size()) std::abort();
  for (std::size_t r = 0; r < table.size(); ++r) checkSplit(lines[r], delim, table[r]);
  return 0;
}
