#pragma once
// Messages meant for a person. On Linux no one sits at a child process's console, so a message
// is one line "caption: text" (UTF-8) on standard error, and the call returns at once; on
// Windows it is a message box, as the server's players have always shown (platform/os.h).

#include <string>

namespace varrowmere {

// "cannot be opened", written after the full path of a data file.
inline constexpr char MSG_CANNOT_OPEN[] = "を開けません";
// "the delivered stone cannot reach the play area at this speed".
inline constexpr char MSG_UNDELIVERABLE[] = "この初速度ではプレイエリアに届きません";
// The text of an internal error; its caption names the switch that failed.
inline constexpr char MSG_ERROR[] = "error";

inline constexpr char CAPTION_INPUT_FILE_LINES[] = "InputFile_Lines";
inline constexpr char CAPTION_DELIVER[] = "vec_to_locus_deliver";
inline constexpr char CAPTION_SET_E[] = "setE switch (pruningType_m)";
inline constexpr char CAPTION_SWITCH_EVALUATE[] = "switchEvaluate";

// Shows text under caption. Safe from any thread; each call writes its line in one piece.
void showMessage(const char* text, const char* caption);
void showMessage(const std::string& text, const char* caption);

}  // namespace varrowmere
