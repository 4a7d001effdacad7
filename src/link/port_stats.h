// Traffic counters of one link and the codes of its first diagnostic commands, written to the
// debug sink when the link closes.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "link/diag_command.h"

constexpr int32_t firstCodesCapacity = 256;

struct CPortStats {
    std::atomic<int32_t> bytesReceived{0};
    std::atomic<int32_t> bytesSent{0};
    std::atomic<int32_t> diagPackets{0};
    std::atomic<int32_t> downloadPackets{0};
    std::atomic<int32_t> atCommands{0};
    std::atomic<int32_t> pollingPackets{0};
    // Replies stored as the answer of a command, and packets that answered none (late replies
    // owed to timed-out attempts, replies to nothing that was asked).
    std::atomic<int32_t> repliesTaken{0};
    std::atomic<int32_t> strayReplies{0};
    // Packets the handset sends unasked (event reports, debug messages), dropped on arrival.
    std::atomic<int32_t> unsolicitedPackets{0};
    // Written by the writer thread only; read once the threads have stopped.
    int32_t firstCount = 0;
    std::array<uint8_t, firstCodesCapacity> firstCodes{};

    // Counts one command as the writer takes it, and records its first byte if it is a
    // diagnostic-kind command and the process-wide limit has not been reached.
    void CountCommand(const CDiagCommand& record);
};

// The statistics dump, line by line as it goes to the debug sink.
std::string FormatStatsDump(const CPortStats& stats);
