// Test support: a link opened on a pseudo-terminal with a scripted handset on the other end,
// a fast timing profile, and a recorder of the link's trace texts.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include "link/diag_port.h"
#include "pty_peer.h"
#include "test_handset.h"

// The product's timing scaled down so the suite stays quick; generous enough for sanitizers.
LinkTiming FastTiming();

class CTraceRecorder {
public:
    TraceListener Listener();
    std::string Text();
    size_t Count(const std::string& needle);
    bool WaitFor(const std::string& needle, std::chrono::milliseconds deadline);

private:
    std::mutex lock;
    std::string text;
};

struct LinkUnderTest {
    // The peer answers with handler, or as the test handset when handler is empty.
    explicit LinkUnderTest(const LinkTiming& timing = FastTiming(),
                           CScriptedPeer::Handler handler = nullptr);
    ~LinkUnderTest();

    LinkStatus Open();
    // Opens and waits until detection has found the handset Ready.
    bool OpenReady();

    // SendSync with a Bytes request; reply receives the reply when the call succeeds.
    LinkStatus Send(const Bytes& request, uint32_t timeoutMs, Bytes* reply = nullptr,
                    CommandType type = cmdTypeDiag, uint32_t detail = 0, int16_t capacity = 256);

    CPtyPair pty;
    CTraceRecorder traces;
    CTestHandset handset;
    std::unique_ptr<CScriptedPeer> peer;
    std::unique_ptr<CDiagPort> link;
};
