// The receive side of the link: the only reader of the port for framed traffic. It cuts the byte
// stream into frames and routes each packet by the port setting in force.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/link_state.h"
#include "link/link_writer.h"

class CLinkReader {
public:
    CLinkReader(CLinkState& linkState, CLinkWriter& writer)
        : link(linkState), trace(linkState.trace), handOver(writer)
    {
    }
    CLinkReader(const CLinkReader&) = delete;
    CLinkReader& operator=(const CLinkReader&) = delete;

    // The thread body: runs while the link is open.
    void ReaderThread();

private:
    void RoutePacket(const uint8_t* packet, size_t length);
    void TracePacket(const uint8_t* packet, size_t length);

    CLinkState& link;
    CTraceBase& trace;
    // Completes a command whose reply is final straight from this thread.
    CLinkWriter& handOver;
};
