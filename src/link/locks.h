// The link's locks. CCritSecLock is a plain mutex; CRWSpinLock is a recursive reader/writer
// lock that yields instead of blocking, held only around a few field updates or a copy.
#pragma once

#include <cstdint>
#include <mutex>
#include <thread>

class CLockable {
public:
    virtual ~CLockable() = default;
    virtual bool Lock(uint32_t timeoutMs) = 0;  // 0xFFFFFFFF waits without limit
    virtual bool Unlock() = 0;
};

class CCritSecLock final : public CLockable {
public:
    // The time-out is ignored: entering always waits.
    bool Lock(uint32_t timeoutMs = 0xFFFFFFFFu) override;
    bool Unlock() override;

    // For std::lock_guard and std::unique_lock.
    void lock() { mutex.lock(); }
    void unlock() { mutex.unlock(); }

private:
    std::mutex mutex;
};

class CRWSpinLock {
public:
    // Exclusive: recursive for the owning thread; waits until no reader and no other owner.
    void Lock();
    bool TryLock();
    void Unlock();

    // Shared: allowed when there is no owner, or when the owner is the calling thread.
    void LockShared();
    void UnlockShared();

private:
    bool TryLockOnce();
    bool TryLockSharedOnce();

    std::mutex section;
    int readers = 0;
    int recursion = 0;
    std::thread::id owner;
};

// Scoped holders for CRWSpinLock.
class CExclusiveLock {
public:
    explicit CExclusiveLock(CRWSpinLock& l) : lock(l) { lock.Lock(); }
    ~CExclusiveLock() { lock.Unlock(); }
    CExclusiveLock(const CExclusiveLock&) = delete;
    CExclusiveLock& operator=(const CExclusiveLock&) = delete;

private:
    CRWSpinLock& lock;
};

class CSharedLock {
public:
    explicit CSharedLock(CRWSpinLock& l) : lock(l) { lock.LockShared(); }
    ~CSharedLock() { lock.UnlockShared(); }
    CSharedLock(const CSharedLock&) = delete;
    CSharedLock& operator=(const CSharedLock&) = delete;

private:
    CRWSpinLock& lock;
};
