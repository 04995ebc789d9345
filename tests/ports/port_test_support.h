// Small helpers for the port tests: scoped events and port threads running a
// callable.  Port headers and the standard library only, so that every
// backend's test program can use them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/sync.h"

namespace Orv::PortTest {

// An event name that no other test uses: Local\PREFIX-WHAT-THREAD-N.
inline std::wstring UniqueName(const wchar_t* prefix, const wchar_t* what) {
    static std::atomic<int> serial{0};
    return std::wstring(L"Local\\") + prefix + L"-" + what + L"-" +
           std::to_wstring(Platform::Sync().GetCurrentThreadId()) + L"-" +
           std::to_wstring(++serial);
}

// An unnamed event, closed at scope end.
class Event {
public:
    explicit Event(bool manualReset = false, bool initialState = false)
        : handle_(Platform::Sync().CreateEvent(manualReset, initialState)) {}
    ~Event() {
        if (handle_)
            Platform::Sync().CloseHandle(handle_);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    Platform::Handle get() const { return handle_; }
    bool Set() const { return Platform::Sync().SetEvent(handle_); }
    uint32_t Wait(uint32_t timeoutMs = Platform::kInfinite) const {
        return Platform::Sync().WaitForSingleObject(handle_, timeoutMs);
    }

private:
    Platform::Handle handle_;
};

// A thread of the sync port running body; its result is the exit code.  At
// scope end it is waited for (5 s), terminated if still running, closed.
class PortThread {
public:
    explicit PortThread(std::function<uint32_t()> body) : body_(std::move(body)) {
        handle_ = Platform::Sync().CreateThread(&Run, this, &id_);
    }
    ~PortThread() {
        if (!handle_)
            return;
        if (Join(5000) != Platform::kWaitObject0)
            Platform::Sync().TerminateThread(handle_, 1);
        Platform::Sync().CloseHandle(handle_);
    }
    PortThread(const PortThread&) = delete;
    PortThread& operator=(const PortThread&) = delete;

    Platform::Handle handle() const { return handle_; }
    uint32_t id() const { return id_; }
    uint32_t Join(uint32_t timeoutMs = Platform::kInfinite) const {
        return Platform::Sync().WaitForSingleObject(handle_, timeoutMs);
    }
    uint32_t ExitCode() const {
        uint32_t code = 0;
        if (!Platform::Sync().GetExitCodeThread(handle_, &code))
            return 0xDEADu;
        return code;
    }

private:
    static uint32_t Run(void* self) { return static_cast<PortThread*>(self)->body_(); }

    std::function<uint32_t()> body_;
    Platform::Handle handle_ = nullptr;
    uint32_t id_ = 0;
};

}  // namespace Orv::PortTest
