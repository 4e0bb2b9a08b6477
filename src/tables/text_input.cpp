#include "tables/text_input.h"

#include <fstream>

#include "tables/message.h"

namespace varrowmere {

const std::string dataDir = VARROWMERE_DATA_DIR;

bool InputFile_Lines(const char* name, std::vector<std::string>& lines) {
  lines.clear();
  const std::string path = dataDir + name;
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) {
    showMessage(path + MSG_CANNOT_OPEN, CAPTION_INPUT_FILE_LINES);
    return false;
  }
  std::string line;
  while (std::getline(file, line)) {
    // A CR right before the LF belongs to the line end (files written with CRLF).
    if (!file.eof() && !line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return true;
}

bool InputFile_Table(const char* name, char delim, std::vector<std::vector<std::string>>& table) {
  std::vector<std::string> lines;
  if (!InputFile_Lines(name, lines)) return false;
  table.clear();
  table.reserve(lines.size());
  for (const std::string& line : lines) {
    table.emplace_back();
    splitLine(line, delim, table.back());
  }
  return true;
}

void splitLine(const std::string& line, char delim, std::vector<std::string>& fields) {
  fields.clear();
  std::size_t start = 0;
  while (start < line.size()) {
    const std::size_t end = line.find(delim, start);
    if (end == std::string::npos) {
      fields.push_back(line.substr(start));
      return;
    }
    fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
}

}  // namespace varrowmere
