#include "link/locks.h"

bool CCritSecLock::Lock(uint32_t)
{
    mutex.lock();
    return true;
}

bool CCritSecLock::Unlock()
{
    mutex.unlock();
    return true;
}

bool CRWSpinLock::TryLockOnce()
{
    std::lock_guard guard(section);
    const auto self = std::this_thread::get_id();
    if (owner == self || (owner == std::thread::id() && readers == 0)) {
        owner = self;
        ++recursion;
        return true;
    }
    return false;
}

bool CRWSpinLock::TryLockSharedOnce()
{
    std::lock_guard guard(section);
    if (owner == std::thread::id() || owner == std::this_thread::get_id()) {
        ++readers;
        return true;
    }
    return false;
}

void CRWSpinLock::Lock()
{
    while (!TryLockOnce())
        std::this_thread::yield();
}

bool CRWSpinLock::TryLock()
{
    return TryLockOnce();
}

void CRWSpinLock::Unlock()
{
    std::lock_guard guard(section);
    if (recursion > 0 && --recursion == 0)
        owner = std::thread::id();
}

void CRWSpinLock::LockShared()
{
    while (!TryLockSharedOnce())
        std::this_thread::yield();
}

void CRWSpinLock::UnlockShared()
{
    std::lock_guard guard(section);
    if (readers > 0)
        --readers;
}
