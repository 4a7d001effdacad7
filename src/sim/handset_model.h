// The virtual handset: answers one decoded request at a time, given the line rate it arrived
// at and the current time. Plain code with no threads and no I/O, so tests drive it byte by byte.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/efs_responder.h"
#include "sim/sim_behaviour.h"
#include "sim/sim_file_system.h"

namespace sim {

using SimClock = std::chrono::steady_clock;

// One packet to send: a payload to frame (with an opening flag for the download protocols), or
// raw text for the modem command's answer.
struct SimPacket {
    std::vector<uint8_t> bytes;
    bool framed = true;
    bool openingFlag = false;
};

class CHandsetModel {
public:
    CHandsetModel(std::unique_ptr<CSimFileSystem> fileSystem, SimBehaviour behaviour = {});

    // Replies to one decoded frame received at baud; empty when the handset stays quiet.
    std::vector<SimPacket> HandleFrame(const std::vector<uint8_t>& payload, uint32_t baud, SimClock::time_point now);

    // True while the handset listens for modem text instead of frames (a data phone).
    bool ExpectsModemText() const { return behaviour.dataPhone; }
    // Replies to one line of modem text (without its "\r").
    std::vector<SimPacket> HandleModemLine(const std::string& line);

    // Whether a request at this rate would be understood now.
    bool Speaks(uint32_t baud) const;
    uint16_t ModeWord() const { return modeWord; }
    bool Absent(SimClock::time_point now);

    SimBehaviour& Behaviour() { return behaviour; }
    const SimBehaviour& Behaviour() const { return behaviour; }
    CSimFileSystem& FileSystem() { return *fileSystem; }

private:
    std::vector<SimPacket> Download(const std::vector<uint8_t>& payload, uint32_t baud) const;
    std::vector<uint8_t> Status() const;
    std::vector<uint8_t> RateSwitch(const std::vector<uint8_t>& request);
    std::vector<uint8_t> ModeChange(const std::vector<uint8_t>& request, SimClock::time_point now);

    std::unique_ptr<CSimFileSystem> fileSystem;
    SimBehaviour behaviour;
    CEfsResponder efs;
    uint16_t modeWord = modeWordOnline;
    bool switchedTo115200 = false;
    std::optional<SimClock::time_point> absentUntil;  // set by a reset
};


}  // namespace sim
