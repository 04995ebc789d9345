// Threads, events, waits, sleeps, re-entrant locks, thread-local values and
// the millisecond tick count.
//
// Every blocking operation of the core goes through this port, so that the
// simulation backend can run the plugin's threads in virtual time.
#pragma once

#include <cstdint>

#include "platform/types.h"
#include "platform/unique_handle.h"

namespace Orv::Platform {

// A re-entrant lock (the Windows critical section).  Created and destroyed
// by the port; the owner of a lock is a thread, which may enter it again.
struct LockObject;
using Lock = LockObject*;

class ISync {
public:
    using ThreadProc = uint32_t (*)(void* context);

    virtual ~ISync() = default;

    // Starts a thread running proc(context).  Returns its handle, which is
    // signalled when the thread ends, or null (GetLastError tells why).
    // threadId, when not null, receives the new thread's id.
    virtual Handle CreateThread(ThreadProc proc, void* context, uint32_t* threadId) = 0;
    // Ends a thread from outside.  A terminated thread runs no further code
    // of its own; its handle becomes signalled.
    virtual bool TerminateThread(Handle thread, uint32_t exitCode) = 0;
    // The exit code of an ended thread; 259 (STILL_ACTIVE) while it runs.
    virtual bool GetExitCodeThread(Handle thread, uint32_t* exitCode) = 0;
    virtual uint32_t GetCurrentThreadId() = 0;

    // Unnamed events.  manualReset false makes an auto-reset event: a wait
    // that it satisfies resets it.
    virtual Handle CreateEvent(bool manualReset, bool initialState) = 0;
    virtual bool SetEvent(Handle event) = 0;
    virtual bool ResetEvent(Handle event) = 0;
    // Closes any handle of this port or of the named-event port.
    virtual bool CloseHandle(Handle handle) = 0;

    // Waits for one handle: kWaitObject0, kWaitTimeout or kWaitFailed.
    virtual uint32_t WaitForSingleObject(Handle handle, uint32_t timeoutMs) = 0;
    // Waits for any (waitAll false: kWaitObject0 + index of the first
    // signalled handle) or for all of up to kMaximumWaitObjects handles.
    virtual uint32_t WaitForMultipleObjects(uint32_t count, const Handle* handles, bool waitAll,
                                            uint32_t timeoutMs) = 0;
    virtual void Sleep(uint32_t ms) = 0;
    // Milliseconds since some start, wrapping at 2^32.
    virtual uint32_t GetTickCount() = 0;

    // The calling thread's last error, set by failing operations of every port.
    virtual uint32_t GetLastError() = 0;
    virtual void SetLastError(uint32_t error) = 0;

    // Re-entrant locks.
    virtual Lock CreateLock() = 0;
    virtual void DeleteLock(Lock lock) = 0;
    virtual void EnterLock(Lock lock) = 0;
    virtual bool TryEnterLock(Lock lock) = 0;
    virtual void LeaveLock(Lock lock) = 0;

    // Thread-local values.  TlsAlloc returns kTlsOutOfIndexes on failure; a
    // slot a thread never set reads null.
    static constexpr uint32_t kTlsOutOfIndexes = 0xFFFFFFFFu;
    virtual uint32_t TlsAlloc() = 0;
    virtual bool TlsFree(uint32_t index) = 0;
    virtual void* TlsGetValue(uint32_t index) = 0;
    virtual bool TlsSetValue(uint32_t index, void* value) = 0;
};

ISync& Sync();

// A scoped hold of a port lock; nothing for a null lock (one not created
// yet).
class LockGuard {
public:
    explicit LockGuard(Lock lock) : lock_(lock) {
        if (lock_ != nullptr)
            Sync().EnterLock(lock_);
    }
    ~LockGuard() {
        if (lock_ != nullptr)
            Sync().LeaveLock(lock_);
    }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    Lock lock_;
};

// A held try of a port lock: owns() when TryEnterLock succeeded (never for
// a null lock); left when the guard goes.
class TryLockGuard {
public:
    explicit TryLockGuard(Lock lock)
        : sync_(Sync()), lock_(lock != nullptr && sync_.TryEnterLock(lock) ? lock : nullptr) {}
    ~TryLockGuard() {
        if (lock_ != nullptr)
            sync_.LeaveLock(lock_);
    }
    TryLockGuard(const TryLockGuard&) = delete;
    TryLockGuard& operator=(const TryLockGuard&) = delete;

    bool owns() const { return lock_ != nullptr; }
    explicit operator bool() const { return owns(); }

private:
    ISync& sync_;
    Lock lock_;
};

// A handle of this port (an event or a thread), closed through it.
struct SyncHandleTraits {
    using Value = Handle;
    static constexpr Value None() { return nullptr; }
    static void Release(Value handle) { Sync().CloseHandle(handle); }
};
using ScopedEvent = UniqueHandle<SyncHandleTraits>;
using ScopedThread = UniqueHandle<SyncHandleTraits>;

// A lock of this port, deleted through it.
struct LockTraits {
    using Value = Lock;
    static constexpr Value None() { return nullptr; }
    static void Release(Value lock) { Sync().DeleteLock(lock); }
};
using ScopedLock = UniqueHandle<LockTraits>;

}  // namespace Orv::Platform
