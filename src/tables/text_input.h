#pragma once
// The data folder and the text readers every data file goes through.

#include <string>
#include <vector>

namespace varrowmere {

// Absolute path of the data folder with a trailing slash, fixed when the build is configured.
// A data file's full path is dataDir followed directly by its name ("BackBlock/...").
extern const std::string dataDir;

// Reads the file dataDir + name as lines (without their LF, and without a CR right before
// it). A last line without LF counts; a final LF adds no empty line. When the file cannot be
// opened: message "<path>を開けません" / "InputFile_Lines", lines empty, false.
bool InputFile_Lines(const char* name, std::vector<std::string>& lines);

// Reads the file as lines and splits each at delim; row n stands for line n + 1 (an empty
// line gives an empty row). On failure returns false and leaves table exactly as it was.
bool InputFile_Table(const char* name, char delim, std::vector<std::vector<std::string>>& table);

// Splits line at delim like reading delimited items from a stream: "a,,b" gives a, "", b;
// ",a" gives "", a; "a," gives only a; "" gives no field.
void splitLine(const std::string& line, char delim, std::vector<std::string>& fields);

}  // namespace varrowmere
