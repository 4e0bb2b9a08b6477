#pragma once
// The command protocol: one command line in, at most one reply out.
// Runs on the reader thread only.

#include <cstddef>

namespace varrowmere {

// Capacity of a word buffer and of the reply buffer, terminator included.
inline constexpr std::size_t WORD_CAPACITY = 1024;
inline constexpr std::size_t REPLY_CAPACITY = 1024;

// The bytes to write back for one command; empty when the command has no reply.
// Replies carry no line terminator.
struct CommandReply {
  char text[REPLY_CAPACITY] = {};
  std::size_t length = 0;
};

// Copies word n (0 = first) of line into out. Words are separated by spaces only; a tab is an
// ordinary character. Returns 1 when the word exists, 0 when the text ends before it.
// A line ending in a space after word n-1 gives an empty word n.
int getWord(char* out, const char* line, int n);

// Handles one command line (cut at its first CR or LF): NEWGAME, ISREADY, POSITION,
// SETSTATE or GO, in any letter case. Returns 0 when an argument was missing, else 1;
// unknown words are ignored silently.
int dispatchCommand(char* line, CommandReply& reply);

}  // namespace varrowmere
