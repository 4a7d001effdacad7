// What ties an EFS reply to its request. Every reply must echo the request's subcommand. The read
// reply's byte 3 and the iteration reply's entry details are fields a handset need not fill, so
// they tie a reply to its request only after this handset has shown, since the link opened, that
// it echoes the sequence number there: two replies in a row of one subcommand echoing sequence
// numbers n and n + 1. Until then they stay unexamined.
#pragma once

#include <cstdint>
#include <span>

#include "link/reply_matcher.h"

class CEfsReplyTies : public CReplyMatcher {
public:
    bool Fits(std::span<const uint8_t> request, std::span<const uint8_t> packet) override;
    void Taken(std::span<const uint8_t> request, std::span<const uint8_t> packet) override;

    // Whether the handset has shown that it echoes the sequence in read and iteration replies.
    bool ReadEchoShown() const { return read.shown; }
    bool IterationEchoShown() const { return iteration.shown; }

private:
    // Consecutive replies that echoed their request's sequence number.
    struct EchoEvidence {
        bool shown = false;
        bool lastEchoed = false;
        uint8_t lastSubcommand = 0;
        uint32_t lastSequence = 0;
        void Note(uint8_t subcommand, bool echoed, uint32_t sequence);
    };
    EchoEvidence read;
    EchoEvidence iteration;
};
