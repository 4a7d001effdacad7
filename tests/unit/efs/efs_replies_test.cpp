// Reply readers: fields are read only when the reply holds them (the fields themselves are read
// against the handset in the EFS integration tests).
#include <gtest/gtest.h>

#include <string>

#include "efs/efs_replies.h"
#include "efs/efs_reply_ties.h"
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
}

// The names of a one-request listing: each up to its terminator, empty ones skipped; a walk ends
// before the block's last byte, so a stray byte there is no name and no fault.
TEST(EfsReplies, ListingBlockHoldsTheNamesBeforeItsLastByte)
{
    using Names = std::vector<std::string>;
    const std::pair<Bytes, Names> cases[] = {
        {{}, {}},
        {{'x'}, {}},
        {{'a', 0, 'b', 'c', 0}, {"a", "bc"}},
        {{'a', 0, 0, 'b', 0}, {"a", "b"}},
        {{'a', 0, 'x'}, {"a"}},
    };
    for (const auto& [block, names] : cases) {
        const auto listed = ReadEfsListingReply(ListingReply(2, block));
        ASSERT_TRUE(listed) << block.size() << " bytes";
        EXPECT_EQ(*listed, names) << block.size() << " bytes";
    }
}

// The tie of a read or iteration reply to its request's sequence number holds only once the
// handset has echoed n and n + 1 in a row in one subcommand; the subcommand always ties.
TEST(EfsReplyTies, SequencesTieOnlyAfterTheHandsetShowedItEchoesThem)
{
    const Bytes read1{0x59, 4, 1}, read2{0x59, 4, 2}, iterate1{0x59, 11, 1, 0, 0, 0, 1, 0};
    const auto readReply = [](uint8_t echo) { return Bytes{0x59, 4, 0, echo, 1, 2, 0, 'a', 'b'}; };
    const auto iterateReply = [](uint8_t echo) { return Bytes{0x59, 11, 0, echo, 0, 0, 0, 0, 0}; };
    const struct {
        const char* name;
        std::vector<std::pair<Bytes, Bytes>> taken;  // request and reply laid against it first
        Bytes request;
        Bytes reply;
        bool fits;
    } cases[] = {
        {"another subcommand never fits", {}, read1, {0x59, 5, 0}, false},
        {"a reply too short for a subcommand", {}, read1, {0x59}, false},
        {"byte 3 unexamined at first", {}, read2, readReply(0), true},
        {"a handset leaving byte 3 at 0", {{{0x59, 4, 0}, readReply(0)}, {read1, readReply(0)}}, read2, readReply(7), true},
        {"one echo shows nothing", {{read1, readReply(1)}}, read2, readReply(1), true},
        {"echoes of 0 then 1 tie", {{{0x59, 4, 0}, readReply(0)}, {read1, readReply(1)}}, read2, readReply(1), false},
        {"and then the echoed sequence fits", {{{0x59, 4, 0}, readReply(0)}, {read1, readReply(1)}}, read2, readReply(2), true},
        {"an error status is not tied", {{{0x59, 4, 0}, readReply(0)}, {read1, readReply(1)}}, read2, {0x59, 4, 9, 0}, true},
        {"read echoes do not tie iteration", {{{0x59, 4, 0}, readReply(0)}, {read1, readReply(1)}}, iterate1, iterateReply(0), true},
        {"a kind field matching by chance across subcommands",
         {{{0x59, 11, 0, 0, 0, 0, 1, 0}, iterateReply(0)}, {{0x59, 10, 1, 0, 0, 0, 1, 0}, {0x59, 10, 0, 1, 0, 0, 0}}},
         iterate1, iterateReply(0), true},
        {"iteration echoes tie iteration",
         {{{0x59, 11, 0, 0, 0, 0, 1, 0}, iterateReply(0)}, {iterate1, iterateReply(1)}}, iterate1, iterateReply(0), false},
    };
    for (const auto& c : cases) {
        CEfsReplyTies ties;
        for (const auto& [request, reply] : c.taken)
            ties.Taken(request, reply);
        EXPECT_EQ(ties.Fits(c.request, c.reply), c.fits) << c.name;
    }
}
