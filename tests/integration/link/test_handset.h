// Test support: a small handset model for the scripted peer. It answers the status request
// (48 bytes, mode word at offset 32), the rate switch, basic information, mode changes, the
// download probe, the stream-download hello and the modem switch, each only at the rates and
// in the modes a test configures.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "pty_peer.h"

class CTestHandset {
public:
    // Rates the handset answers diagnostic requests at.
    std::atomic<bool> speaks38400{true};
    std::atomic<bool> speaks115200{true};
    std::atomic<bool> silent{false};           // answers nothing at all
    std::atomic<uint16_t> modeWord{0};         // at offset 32 of the status reply
    std::atomic<size_t> statusLength{48};      // length of the status reply
    std::atomic<bool> downloadMode{false};     // answers only the download probe
    std::atomic<bool> streamMode{false};       // answers only the stream hello
    std::atomic<bool> dataPhone{false};        // silent until the modem switch
    std::atomic<int> resetSilentRequests{0};   // after a reset, ignore this many requests
    std::atomic<bool> ignoreModeChanges{false};  // acknowledge mode changes, change nothing
    std::atomic<bool> refuseModeChanges{false};  // mode changes get the bad-command reply

    CScriptedPeer::Handler Handler();
    Bytes Answer(const PeerRequest& request);

private:
    std::atomic<int> silentLeft{0};
};
