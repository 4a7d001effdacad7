// The command whose reply the writer thread is waiting for. The writer fills and empties the
// slot; the receive thread stores a matching packet into the record while it is there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "link/diag_command.h"
#include "link/locks.h"

class CCurrentCommand {
public:
    // Stores record, clearing any reply it holds so a reply from an earlier attempt can never
    // answer this one.
    void Set(DiagCommandPtr record);
    DiagCommandPtr Take();
    // True when a record is in the slot and a reply has been stored into it.
    bool HasReply();

    // Stores packet as the reply of the record in the slot when claims says it answers the
    // record; claims is asked with null when the slot is empty.
    using ClaimTest = std::function<bool(const CDiagCommand* record)>;
    bool Offer(const uint8_t* packet, size_t length, const ClaimTest& claims);
    // Matching on the command code alone (DiagReplyMatches of the frame's first byte).
    bool AcceptDiag(const uint8_t* packet, size_t length);
    // Any packet belongs to the record in the slot.
    bool AcceptAny(const uint8_t* packet, size_t length);

private:
    CCritSecLock lock;
    DiagCommandPtr record;
};

// The matching rule of AcceptDiag on its own.
bool DiagReplyMatches(uint8_t requestCode, const uint8_t* packet, size_t length);
