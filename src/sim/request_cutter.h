// Cuts the byte stream a handset receives into frames (through each closing 0x7E) or, for a
// data phone, into lines of modem text (through each "\r"). Bytes that never form either are
// discarded once too many have gathered, so a stream of junk cannot grow without bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

class CRequestCutter {
public:
    static constexpr size_t maxPending = 8192;

    void Append(const uint8_t* bytes, size_t count);

    // The next frame, from its first byte (which may be an opening flag) through its closing
    // flag; a 0x7E at the start of the pending bytes opens a frame and closes nothing.
    std::optional<std::vector<uint8_t>> NextFrame();

    // The next line of text without its "\r"; NUL and other control bytes are dropped.
    std::optional<std::string> NextLine();

    size_t Pending() const { return pending.size(); }

private:
    std::vector<uint8_t> pending;
};

}  // namespace sim
