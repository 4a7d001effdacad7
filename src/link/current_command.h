// The command whose reply the writer thread is waiting for. The writer fills and empties the
// slot; the receive thread stores a matching packet into the record while it is there.
#pragma once

#include <cstddef>
#include <cstdint>

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

    // Diagnostic matching: the packet's first byte equals the first byte of the record's frame,
    // or it is an error reply 0x13..0x18 whose second byte is that code.
    bool AcceptDiag(const uint8_t* packet, size_t length);
    // Any packet belongs to the record in the slot.
    bool AcceptAny(const uint8_t* packet, size_t length);

private:
    CCritSecLock lock;
    DiagCommandPtr record;
};

// The matching rule of AcceptDiag on its own.
bool DiagReplyMatches(uint8_t requestCode, const uint8_t* packet, size_t length);
