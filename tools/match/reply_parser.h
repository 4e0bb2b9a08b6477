#pragma once
// Reading the players' replies. Replies carry no line terminator, and a pipe may deliver one
// reply in several pieces, so the reader keeps what has arrived and asks after every piece
// whether it already forms a whole reply.

#include <string>

#include "physics/sheet.h"

namespace varrowmere::match {

// Words of the protocol's replies.
inline constexpr char READY_REPLY[] = "READYOK";
inline constexpr char SHOT_REPLY[] = "BESTSHOT";

// Where the bytes received so far stand.
enum class ReplyState {
  // Not a whole reply yet; it may become one.
  Partial,
  // A whole reply, but its last word is not followed by a blank: it is taken when no more
  // bytes come within the grace period (a number may still be growing).
  Tentative,
  // A whole reply followed by a blank; nothing more can change it.
  Complete,
  // Cannot become a reply any more.
  Garbage,
};

// The answer to GO: "BESTSHOT vx vy spin" with finite numbers and spin 0 or 1, separated by
// blanks (spaces, tabs, line ends), blanks allowed before and after. Nothing else may come.
ReplyState parseShotReply(const std::string& received, ShotVector* shot);

// The answer to ISREADY: "READYOK", blanks allowed before and after.
ReplyState parseReadyReply(const std::string& received);

// The received text made printable for a message (control bytes escaped, long text cut).
std::string printable(const std::string& received);

}  // namespace varrowmere::match
