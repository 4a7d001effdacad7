// The test's end of the virtual handset's pty: opens the slave, sets its line rate, writes
// frames and reads replies with a deadline.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simtest {

class CPtyClient {
public:
    ~CPtyClient();

    bool Open(const std::string& path);
    void Close();
    // Raw 8N1 at baud (38400, 115200 or 19200).
    bool SetSpeed(uint32_t baud);

    bool WriteFrame(const std::vector<uint8_t>& payload, bool openingFlag = false);
    bool WriteRaw(const std::string& text);

    // The next payload that decodes, skipping junk and damaged frames; std::nullopt when none
    // arrives within timeout.
    std::optional<std::vector<uint8_t>> ReadFrame(std::chrono::milliseconds timeout);
    // Everything received until text has arrived or timeout passed.
    std::string ReadUntil(const std::string& text, std::chrono::milliseconds timeout);
    // Bytes waiting right now, without waiting.
    size_t Available();

    // When the most recent byte arrived.
    std::chrono::steady_clock::time_point LastByteTime() const { return lastByte; }

private:
    bool ReadSome(std::chrono::steady_clock::time_point deadline);

    int fd = -1;
    std::vector<uint8_t> pending;
    std::chrono::steady_clock::time_point lastByte{};
};

}  // namespace simtest
