#include "reply_parser.h"

#include <gtest/gtest.h>

#include <string>

using namespace varrowmere;
using namespace varrowmere::match;

TEST(ShotReply, WholeReplyWithoutTerminatorIsTentativeThenCompleteWithBlank) {
  ShotVector shot;
  EXPECT_EQ(parseShotReply("BESTSHOT 0.250000 -30.125000 1", &shot), ReplyState::Tentative);
  EXPECT_FLOAT_EQ(shot.vx, 0.25f);
  EXPECT_FLOAT_EQ(shot.vy, -30.125f);
  EXPECT_TRUE(shot.spin);
  EXPECT_EQ(parseShotReply("\n  BESTSHOT -1 2e1 0 ", &shot), ReplyState::Complete);
  EXPECT_FLOAT_EQ(shot.vx, -1.0f);
  EXPECT_FLOAT_EQ(shot.vy, 20.0f);
  EXPECT_FALSE(shot.spin);
}

TEST(ShotReply, EveryProperPrefixOfAReplyIsPartial) {
  const std::string reply = "BESTSHOT 0.123456 -29.876543 0";
  for (std::size_t n = 0; n < reply.size(); ++n) {
    const ReplyState state = parseShotReply(reply.substr(0, n), nullptr);
    EXPECT_EQ(state, ReplyState::Partial) << "prefix of " << n << " bytes";
  }
  ShotVector shot;
  EXPECT_EQ(parseShotReply(reply, &shot), ReplyState::Tentative);
  EXPECT_NEAR(shot.vy, -29.876543f, 1e-6);
}

TEST(ShotReply, GarbageIsRecognisedAsSoonAsItCannotBecomeAReply) {
  EXPECT_EQ(parseShotReply("HELLO", nullptr), ReplyState::Garbage);
  EXPECT_EQ(parseShotReply("BESTMOVE 1 2 0", nullptr), ReplyState::Garbage);
  EXPECT_EQ(parseShotReply("bestshot 1 2 0", nullptr), ReplyState::Garbage);
  EXPECT_EQ(parseShotReply("BESTSHOT nan 2 0", nullptr), ReplyState::Garbage);
  EXPECT_EQ(parseShotReply("BESTSHOT 1 inf 0", nullptr), ReplyState::Garbage);
  EXPECT_EQ(parseShotReply("BESTSHOT 1 1e300 0 ", nullptr), ReplyState::Garbage);
  EXPECT_EQ(parseShotReply("BESTSHOT 1 2 2 ", nullptr), ReplyState::Garbage);
  EXPECT_EQ(parseShotReply("BESTSHOT 1 2 0.5 ", nullptr), ReplyState::Garbage);
  EXPECT_EQ(parseShotReply("BESTSHOT 1 2 0 7", nullptr), ReplyState::Garbage);
  EXPECT_EQ(parseShotReply("BESTSHOT 1x 2 0", nullptr), ReplyState::Garbage);
  EXPECT_EQ(parseShotReply("READYOKBESTSHOT 1 2 0", nullptr), ReplyState::Garbage);
  EXPECT_EQ(parseShotReply(std::string(300, ' ') + "BESTSHOT 1 2 0", nullptr), ReplyState::Garbage);
  // A spin of "1" may still grow into "10", which is garbage only once it has.
  EXPECT_EQ(parseShotReply("BESTSHOT 1 2 1", nullptr), ReplyState::Tentative);
  EXPECT_EQ(parseShotReply("BESTSHOT 1 2 10", nullptr), ReplyState::Partial);
  EXPECT_EQ(parseShotReply("BESTSHOT 1 2 10 ", nullptr), ReplyState::Garbage);
}

TEST(ReadyReply, AcceptsOnlyReadyok) {
  EXPECT_EQ(parseReadyReply(""), ReplyState::Partial);
  EXPECT_EQ(parseReadyReply("REA"), ReplyState::Partial);
  EXPECT_EQ(parseReadyReply("READYOK"), ReplyState::Complete);
  EXPECT_EQ(parseReadyReply("\r\nREADYOK\n"), ReplyState::Complete);
  EXPECT_EQ(parseReadyReply("READ "), ReplyState::Garbage);
  EXPECT_EQ(parseReadyReply("READYNOT"), ReplyState::Garbage);
  EXPECT_EQ(parseReadyReply("READYOK BESTSHOT"), ReplyState::Garbage);
}

TEST(ReplyText, PrintableEscapesControlBytesAndCutsLongText) {
  EXPECT_EQ(printable("A\n\"b"), "A\\x0a\\x22b");
  const std::string shown = printable(std::string(500, 'x'));
  EXPECT_LT(shown.size(), 100u);
  EXPECT_EQ(shown.substr(shown.size() - 3), "...");
}
