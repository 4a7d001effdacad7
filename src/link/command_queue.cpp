#include "link/command_queue.h"

#include <mutex>
#include <utility>

void CCommandQueue::PushBack(DiagCommandPtr record)
{
    {
        std::lock_guard guard(lock);
        records.push_back(std::move(record));
    }
    // Set once the lock is free, so the writer it wakes does not block on the queue at once.
    if (signal != nullptr)
        signal->Set();
}

void CCommandQueue::PushFront(DiagCommandPtr record)
{
    {
        std::lock_guard guard(lock);
        records.push_front(std::move(record));
    }
    // Set once the lock is free, so the writer it wakes does not block on the queue at once.
    if (signal != nullptr)
        signal->Set();
}

DiagCommandPtr CCommandQueue::PopFront()
{
    std::lock_guard guard(lock);
    if (records.empty())
        return nullptr;
    DiagCommandPtr record = std::move(records.front());
    records.pop_front();
    return record;
}

bool CCommandQueue::FrontIsProbe()
{
    std::lock_guard guard(lock);
    return !records.empty() && records.front()->type == cmdTypeProbe;
}

size_t CCommandQueue::Count()
{
    std::lock_guard guard(lock);
    return records.size();
}

void CCommandQueue::Clear()
{
    std::deque<DiagCommandPtr> dropped;
    {
        std::lock_guard guard(lock);
        dropped.swap(records);
    }
}
