#include "link/reply_map.h"

#include <mutex>
#include <utility>

void CReplyMap::Insert(uint32_t tag, DiagCommandPtr record)
{
    std::lock_guard guard(lock);
    records[tag] = std::move(record);
}

DiagCommandPtr CReplyMap::Take(uint32_t tag)
{
    std::lock_guard guard(lock);
    auto it = records.find(tag);
    if (it == records.end())
        return nullptr;
    DiagCommandPtr record = std::move(it->second);
    records.erase(it);
    return record;
}

size_t CReplyMap::Count()
{
    std::lock_guard guard(lock);
    return records.size();
}
