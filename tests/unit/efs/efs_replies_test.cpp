// Reply readers: fields are read only when the reply holds them (the fields themselves are read
// against the handset in the EFS integration tests).
#include <gtest/gtest.h>

#include <string>

#include "efs/efs_replies.h"
#include "efs/efs_status.h"
#include "efs_test_replies.h"

using namespace efs_test;

namespace {

Bytes WithoutLast(Bytes bytes)
{
    bytes.pop_back();
    return bytes;
}

Bytes WithByte(Bytes bytes, size_t at, uint8_t value)
{
    bytes[at] = value;
    return bytes;
}

bool Space(const Bytes& r) { return ReadEfsSpaceReply(r).has_value(); }
bool Attributes(const Bytes& r) { return ReadEfsAttributesReply(r).has_value(); }
bool Listing(const Bytes& r) { return ReadEfsListingReply(r).has_value(); }
bool ReadFirst(const Bytes& r) { return ReadEfsReadFirstReply(r).has_value(); }
bool ReadNext(const Bytes& r) { return ReadEfsReadNextReply(r).has_value(); }
bool Iteration(const Bytes& r) { return ReadEfsIterationReply(r).kind == EfsIterationReply::kindEntry; }
bool Good(const Bytes& r) { return IsGoodEfsReply(r); }

}  // namespace

// A reply each reader must refuse: short, overstated, unterminated, foreign or an error status.
TEST(EfsReplies, EveryReaderRefusesRepliesThatDoNotHoldTheirFields)
{
    const std::tuple<const char*, bool (*)(const Bytes&), Bytes> cases[] = {
        {"short status", Good, Bytes{0x59, 0x02}},
        {"foreign status", Good, Bytes{0x13, 0x02, 0x00}},
        {"error status", Good, Bytes{0x59, 0x0C, 0x06}},
        {"short space", Space, Bytes{0x59, 12, 0, 1, 0, 0, 0, 2, 0, 0}},
        {"space status", Space, StatusReply(12, 22)},
        {"short attributes", Attributes, Bytes{0x59, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"attributes status", Attributes, StatusReply(7, 6)},
        {"overstated listing", Listing, WithByte(ListingReply(2, Bytes{'a', 0}), 5, 40)},
        {"name past the block", Listing, ListingReply(2, Bytes{'a', 0, 'b', 'c'})},
        {"listing without length", Listing, Bytes{0x59, 2, 0, 0, 0, 0}},
        {"listing status", Listing, StatusReply(2, 8)},
        {"first block over 256", ReadFirst, ReadReply(true, Bytes(257, 1), 1000)},
        {"overstated first block", ReadFirst, WithByte(ReadReply(false, Bytes(10, 1), 10), 9, 11)},
        {"next block over 260", ReadNext, ReadReply(false, Bytes(261, 2))},
        {"next block status", ReadNext, StatusReply(4, 19)},
        {"overstated next block", ReadNext, Bytes{0x59, 4, 0, 0, 1, 5}},
        {"iteration end", Iteration, StatusReply(11, 28)},
        {"iteration status 0 without entry", Iteration, StatusReply(11, 0)},
        {"unterminated name", Iteration, WithoutLast(IterationEntry(11, "abc"))},
        {"name over 254", Iteration, IterationEntry(11, std::string(255, 'n'))},
    };
    for (const auto& [what, accepts, reply] : cases)
        EXPECT_FALSE(accepts(reply)) << what;
    EXPECT_EQ(ReadEfsIterationReply(StatusReply(11, 28)).kind, EfsIterationReply::kindEnd);
    EXPECT_STREQ(EfsStatusText(29), "Maximum Number of Remote Links Reached");
    EXPECT_EQ(EfsStatusText(30), nullptr) << "a status past the table has no text";
}
