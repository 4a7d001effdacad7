#include "link/current_command.h"

#include <mutex>
#include <utility>

bool DiagReplyMatches(uint8_t requestCode, const uint8_t* packet, size_t length)
{
    if (packet == nullptr || length == 0)
        return false;
    if (packet[0] == requestCode)
        return true;
    return length >= 2 && packet[0] >= 0x13 && packet[0] <= 0x18 && packet[1] == requestCode;
}

void CCurrentCommand::Set(DiagCommandPtr newRecord)
{
    std::lock_guard guard(lock);
    record = std::move(newRecord);
    if (record)
        record->reply.clear();
}

DiagCommandPtr CCurrentCommand::Take()
{
    std::lock_guard guard(lock);
    return std::move(record);
}

bool CCurrentCommand::HasReply()
{
    std::lock_guard guard(lock);
    return record && !record->reply.empty();
}

bool CCurrentCommand::Offer(const uint8_t* packet, size_t length, const ClaimTest& claims)
{
    std::lock_guard guard(lock);
    if (!claims(record.get()) || !record)
        return false;
    record->reply.assign(packet, packet + length);
    return true;
}

bool CCurrentCommand::AcceptDiag(const uint8_t* packet, size_t length)
{
    std::lock_guard guard(lock);
    if (!record || record->frame.empty() || !DiagReplyMatches(record->frame[0], packet, length))
        return false;
    record->reply.assign(packet, packet + length);
    return true;
}

bool CCurrentCommand::AcceptAny(const uint8_t* packet, size_t length)
{
    std::lock_guard guard(lock);
    if (!record || packet == nullptr || length == 0)
        return false;
    record->reply.assign(packet, packet + length);
    return true;
}
