// The sync port on the Windows kernel: threads, events, waits, critical
// sections and thread-local storage.
#include "platform/sync.h"

#include <new>

#include "platform/win32/win32.h"

namespace Orv::Platform {

static_assert(sizeof(Handle) == sizeof(HANDLE));
static_assert(kInfinite == INFINITE);
static_assert(kWaitObject0 == WAIT_OBJECT_0 && kWaitAbandoned0 == WAIT_ABANDONED_0);
static_assert(kWaitTimeout == WAIT_TIMEOUT && kWaitFailed == WAIT_FAILED);
static_assert(kMaximumWaitObjects == MAXIMUM_WAIT_OBJECTS);
static_assert(ISync::kTlsOutOfIndexes == TLS_OUT_OF_INDEXES);

struct LockObject {
    CRITICAL_SECTION section;
};

namespace {

// The port's thread procedure has the C calling convention; a Windows thread
// starts in a WINAPI function (they differ on 32-bit x86), so every thread
// starts here.
struct ThreadStart {
    ISync::ThreadProc proc;
    void* context;
};

DWORD WINAPI ThreadMain(LPVOID parameter) {
    ThreadStart start = *static_cast<ThreadStart*>(parameter);
    delete static_cast<ThreadStart*>(parameter);
    return start.proc(start.context);
}

class Win32Sync final : public ISync {
public:
    Handle CreateThread(ThreadProc proc, void* context, uint32_t* threadId) override {
        if (proc == nullptr) {
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        auto* start = new (std::nothrow) ThreadStart{proc, context};
        if (start == nullptr) {
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        DWORD id = 0;
        HANDLE thread = ::CreateThread(nullptr, 0, ThreadMain, start, 0, &id);
        if (thread == nullptr) {
            DWORD error = ::GetLastError();
            delete start;
            ::SetLastError(error);
            return nullptr;
        }
        if (threadId != nullptr)
            *threadId = id;
        return thread;
    }

    bool TerminateThread(Handle thread, uint32_t exitCode) override {
        return ::TerminateThread(thread, exitCode) != FALSE;
    }

    bool GetExitCodeThread(Handle thread, uint32_t* exitCode) override {
        DWORD code = 0;
        if (!::GetExitCodeThread(thread, &code))
            return false;
        if (exitCode != nullptr)
            *exitCode = code;
        return true;
    }

    uint32_t GetCurrentThreadId() override { return ::GetCurrentThreadId(); }

    Handle CreateEvent(bool manualReset, bool initialState) override {
        return ::CreateEventW(nullptr, manualReset, initialState, nullptr);
    }
    bool SetEvent(Handle event) override { return ::SetEvent(event) != FALSE; }
    bool ResetEvent(Handle event) override { return ::ResetEvent(event) != FALSE; }
    bool CloseHandle(Handle handle) override { return ::CloseHandle(handle) != FALSE; }

    uint32_t WaitForSingleObject(Handle handle, uint32_t timeoutMs) override {
        return ::WaitForSingleObject(handle, timeoutMs);
    }

    uint32_t WaitForMultipleObjects(uint32_t count, const Handle* handles, bool waitAll,
                                    uint32_t timeoutMs) override {
        if (handles == nullptr && count != 0) {
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return WAIT_FAILED;
        }
        return ::WaitForMultipleObjects(count, handles, waitAll, timeoutMs);
    }

    void Sleep(uint32_t ms) override { ::Sleep(ms); }
    uint32_t GetTickCount() override { return ::GetTickCount(); }

    uint32_t GetLastError() override { return ::GetLastError(); }
    void SetLastError(uint32_t error) override { ::SetLastError(error); }

    Lock CreateLock() override {
        auto* lock = new (std::nothrow) LockObject;
        if (lock == nullptr) {
            ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        ::InitializeCriticalSection(&lock->section);
        return lock;
    }
    void DeleteLock(Lock lock) override {
        if (lock == nullptr)
            return;
        ::DeleteCriticalSection(&lock->section);
        delete lock;
    }
    void EnterLock(Lock lock) override { ::EnterCriticalSection(&lock->section); }
    bool TryEnterLock(Lock lock) override { return ::TryEnterCriticalSection(&lock->section); }
    void LeaveLock(Lock lock) override { ::LeaveCriticalSection(&lock->section); }

    uint32_t TlsAlloc() override { return ::TlsAlloc(); }
    bool TlsFree(uint32_t index) override { return ::TlsFree(index) != FALSE; }
    void* TlsGetValue(uint32_t index) override { return ::TlsGetValue(index); }
    bool TlsSetValue(uint32_t index, void* value) override {
        return ::TlsSetValue(index, value) != FALSE;
    }
};

}  // namespace

ISync& Sync() {
    static Win32Sync instance;
    return instance;
}

}  // namespace Orv::Platform
