#include "link/current_command.h"

#include <cstring>
#include <utility>

bool DiagReplyMatches(uint8_t requestCode, const uint8_t* packet, size_t length)
{
    if (packet == nullptr || length == 0)
        return false;
    if (packet[0] == requestCode)
        return true;
    return length >= 2 && packet[0] >= 0x13 && packet[0] <= 0x18 && packet[1] == requestCode;
}

void CCurrentCommand::StoreLocked(CDiagCommand& target, const uint8_t* bytes, size_t length)
{
    // A reply longer than the buffer is only measured: the sender reports it too long.
    CDiagCommand::ReplySink& sink = target.sink;
    sink.length = length;
    if (sink.buffer != nullptr && length <= sink.capacity)
        std::memcpy(sink.buffer, bytes, length);
}

void CCurrentCommand::Set(DiagCommandPtr newRecord)
{
    std::lock_guard guard(lock);
    record = std::move(newRecord);
    if (record)
        record->sink.length = 0;
}

DiagCommandPtr CCurrentCommand::Take()
{
    std::lock_guard guard(lock);
    return std::move(record);
}

bool CCurrentCommand::HasReply()
{
    std::lock_guard guard(lock);
    return record && record->sink.length != 0;
}

bool CCurrentCommand::AcceptDiag(const uint8_t* packet, size_t length)
{
    std::lock_guard guard(lock);
    if (!record || record->frame.empty() || !DiagReplyMatches(record->frame[0], packet, length))
        return false;
    StoreLocked(*record, packet, length);
    return true;
}

bool CCurrentCommand::AcceptAny(const uint8_t* packet, size_t length)
{
    std::lock_guard guard(lock);
    if (!record || packet == nullptr || length == 0)
        return false;
    StoreLocked(*record, packet, length);
    return true;
}

void CCurrentCommand::Store(CDiagCommand& target, const uint8_t* bytes, size_t length)
{
    std::lock_guard guard(lock);
    StoreLocked(target, bytes, length);
}

void CCurrentCommand::Detach(CDiagCommand& target)
{
    std::lock_guard guard(lock);
    target.sink.buffer = nullptr;
    target.sink.capacity = 0;
}
