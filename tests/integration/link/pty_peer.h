// Test support: a pseudo-terminal pair, and a scripted peer that plays the handset on its
// master side. The peer cuts what the link writes into requests (frames, or raw "AT" text),
// notes the line rate each arrived at, and writes whatever its handler answers.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sync_event.h"

using Bytes = std::vector<uint8_t>;

// The frame of payload as the handset sends it (no opening flag).
Bytes Frame(const Bytes& payload, bool openingFlag = false);

class CPtyPair {
public:
    CPtyPair();
    ~CPtyPair();
    CPtyPair(const CPtyPair&) = delete;
    CPtyPair& operator=(const CPtyPair&) = delete;

    int MasterFd() const { return master; }
    const std::string& SlavePath() const { return slavePath; }
    // The line rate the link has set on the terminal, in baud (0 when unknown).
    uint32_t Baud() const;
    // Hangs up the handset's end; stop any peer on it first.
    void CloseMaster();

private:
    int master = -1;
    std::string slavePath;
};

struct PeerRequest {
    Bytes payload;             // unframed payload, or the raw text
    bool raw = false;          // raw modem text rather than a frame
    bool openingFlag = false;  // the frame began with 0x7E
    uint32_t baud = 0;         // line rate when it arrived
};

class CScriptedPeer {
public:
    // Returns the bytes to write back (already framed); empty for no answer.
    using Handler = std::function<Bytes(const PeerRequest& request)>;

    CScriptedPeer(CPtyPair& pty, Handler handler);
    ~CScriptedPeer();
    CScriptedPeer(const CScriptedPeer&) = delete;
    CScriptedPeer& operator=(const CScriptedPeer&) = delete;

    // Writes bytes to the link at once (unsolicited traffic, noise).
    void Send(const Bytes& bytes);
    std::vector<PeerRequest> Requests();
    size_t RequestCount();
    // Waits until at least count requests have arrived; false at the deadline.
    bool WaitForRequests(size_t count, std::chrono::milliseconds deadline);

private:
    void Run();
    void Parse();

    CPtyPair& pty;
    Handler handler;
    CSyncEvent stop{EventReset::manual};
    std::mutex lock;
    std::vector<PeerRequest> requests;
    Bytes pending;
    std::thread thread;
};

// Writes bytes to the master side, as the handset sending them.
void SendToLink(CPtyPair& pty, const Bytes& bytes);

// Waits until condition holds, checking every few milliseconds; false at the deadline.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline);
