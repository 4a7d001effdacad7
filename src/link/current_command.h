// The command whose reply the writer thread is waiting for. The writer fills and empties the
// slot; the receive thread stores a matching packet into the record's reply sink (the sender's
// own buffer) while it is there. The slot's lock guards every record's reply sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "link/diag_command.h"

class CCurrentCommand {
public:
    // Stores record, clearing any reply it holds so a reply from an earlier attempt can never
    // answer this one.
    void Set(DiagCommandPtr record);
    DiagCommandPtr Take();
    // True when a record is in the slot and a reply has been stored into it.
    bool HasReply();

    // What the receive thread makes of a packet for the record in the slot.
    enum class Verdict {
        refuse,  // not its reply
        keep,    // its reply for now; the writer decides when the reply is final
        answer,  // its reply for good: the record leaves the slot, answered
    };
    // Asks judge (with the record in the slot, or null when the slot is empty) and stores packet
    // as the record's reply unless refused. On `answer` the record is marked answered and moved
    // out of the slot into `answered`, for the caller to complete outside the lock.
    template <class Judge>
    Verdict Offer(const uint8_t* packet, size_t length, Judge&& judge, DiagCommandPtr& answered)
    {
        std::lock_guard guard(lock);
        const Verdict verdict = judge(static_cast<const CDiagCommand*>(record.get()));
        if (verdict == Verdict::refuse || !record)
            return Verdict::refuse;
        StoreLocked(*record, packet, length);
        if (verdict == Verdict::answer) {
            record->answered.store(true);
            answered = std::move(record);
        }
        return verdict;
    }
    // Matching on the command code alone (DiagReplyMatches of the frame's first byte).
    bool AcceptDiag(const uint8_t* packet, size_t length);
    // Any packet belongs to the record in the slot.
    bool AcceptAny(const uint8_t* packet, size_t length);

    // Gives record the reply its writer read itself (a raw exchange), in or out of the slot.
    void Store(CDiagCommand& record, const uint8_t* bytes, size_t length);
    // Takes the sender's buffer back from record: no reply is written into it from now on.
    void Detach(CDiagCommand& record);

private:
    static void StoreLocked(CDiagCommand& record, const uint8_t* bytes, size_t length);

    std::mutex lock;
    DiagCommandPtr record;
};

// The matching rule of AcceptDiag on its own.
bool DiagReplyMatches(uint8_t requestCode, const uint8_t* packet, size_t length);
