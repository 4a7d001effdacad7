#include "efs/efs_reply_ties.h"

#include <optional>

#include "efs/efs_packets.h"

namespace {

// A good reply's sequence field and the request's, for the subcommands that carry one there.
struct SequencePair {
    uint32_t asked;
    uint32_t echoed;
};

uint32_t Le32(const uint8_t* bytes)
{
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

// Bytes 0 to 2 of a reply: 0x59, the subcommand, the status.
std::optional<SequencePair> Sequences(std::span<const uint8_t> request, std::span<const uint8_t> packet)
{
    if (request.size() < 2 || packet.size() < 3 || packet[2] != 0)
        return std::nullopt;
    if (request[1] == efsReadFile && request.size() >= 3 && packet.size() >= 4)
        return SequencePair{request[2], packet[3]};
    if ((request[1] == efsIterateDirs || request[1] == efsIterateFiles) && request.size() >= 6 &&
        packet.size() >= 7)
        return SequencePair{Le32(request.data() + 2), Le32(packet.data() + 3)};
    return std::nullopt;
}

}  // namespace

void CEfsReplyTies::EchoEvidence::Note(uint8_t subcommand, bool echoed, uint32_t sequence)
{
    // A field that merely happens to hold the sequence (a kind flag, a size) shows no run of
    // consecutive numbers within one exchange.
    if (echoed && lastEchoed && subcommand == lastSubcommand && sequence == lastSequence + 1)
        shown = true;
    lastEchoed = echoed;
    lastSubcommand = subcommand;
    lastSequence = sequence;
}

bool CEfsReplyTies::Fits(std::span<const uint8_t> request, std::span<const uint8_t> packet)
{
    if (request.size() < 2 || packet.size() < 2 || packet[1] != request[1])
        return false;
    const auto sequences = Sequences(request, packet);
    if (!sequences)
        return true;
    const bool tied = request[1] == efsReadFile ? read.shown : iteration.shown;
    return !tied || sequences->echoed == sequences->asked;
}

void CEfsReplyTies::Taken(std::span<const uint8_t> request, std::span<const uint8_t> packet)
{
    const auto sequences = Sequences(request, packet);
    if (!sequences)
        return;
    EchoEvidence& evidence = request[1] == efsReadFile ? read : iteration;
    evidence.Note(request[1], sequences->echoed == sequences->asked, sequences->asked);
}
