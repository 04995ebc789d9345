// A thread of the sync port with its whole life: start it, wait for it to
// report ready within a time-out, end it (ask it, wait for it, and after
// the time-out terminate it or leave it running) and own its handle.
//
// Threading: the owner's thread calls every operation except ReportReady,
// which the started thread (or code running on it) calls once it is up.
// The object must outlive the thread's use of ReportReady.
//
// Lifetime: the handle is closed when the object goes, when a new thread
// is started in its place, or by Close.  Ending is the owner's decision:
// the destructor never waits for or terminates the thread, so a thread
// that may still run must be ended first.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/sync.h"

namespace Orv::Platform {

class PortThread {
public:
    // What End does with a thread that has not ended within the time-out.
    enum class Overdue { Terminate, Leave };

    PortThread() = default;
    PortThread(const PortThread&) = delete;
    PortThread& operator=(const PortThread&) = delete;

    // Makes a fresh auto-reset event for ReportReady, replacing the one
    // before.  False when it cannot be made (GetLastError tells why); the
    // event before is then kept.
    bool PrepareReady() {
        Handle event = Sync().CreateEvent(false, false);
        if (event == nullptr)
            return false;
        ready_.reset(event);
        return true;
    }
    // On the thread: it is up.
    void ReportReady() const { Sync().SetEvent(ready_.get()); }

    // Starts proc(context) on a new thread, which replaces (and closes the
    // handle of) the thread before.  False when the thread cannot be
    // started (GetLastError tells why); the thread before is then kept.
    bool Start(ISync::ThreadProc proc, void* context) {
        uint32_t id = 0;
        Handle thread = Sync().CreateThread(proc, context, &id);
        if (thread == nullptr)
            return false;
        thread_.reset(thread);
        id_ = id;
        running_ = true;
        return true;
    }
    // Waits at most timeoutMs for ReportReady: true when it came.
    bool WaitReady(uint32_t timeoutMs) {
        return Sync().WaitForSingleObject(ready_.get(), timeoutMs) == kWaitObject0;
    }

    // Ends the thread: ask() (post a quit message, set a stop event...),
    // then wait at most timeoutMs for its end.  When it has not ended,
    // overdue() is called (to say so), then the thread is terminated with
    // exitCode, or left running.  True when it ended in time; nothing, and
    // true, when no thread was started or it was ended before.
    template <typename Ask, typename OnOverdue>
    bool End(Ask&& ask, uint32_t timeoutMs, OnOverdue&& overdue, Overdue what,
             uint32_t exitCode = 0) {
        if (!running_)
            return true;
        running_ = false;
        std::forward<Ask>(ask)();
        if (Sync().WaitForSingleObject(thread_.get(), timeoutMs) == kWaitObject0)
            return true;
        std::forward<OnOverdue>(overdue)();
        if (what == Overdue::Terminate)
            Sync().TerminateThread(thread_.get(), exitCode);
        return false;
    }
    // Terminates the thread at once (one that never came up).
    void Terminate(uint32_t exitCode) {
        if (!running_)
            return;
        running_ = false;
        Sync().TerminateThread(thread_.get(), exitCode);
    }
    // Closes the thread's handle; a thread still running is left alone.
    void Close() {
        running_ = false;
        id_ = 0;
        thread_.reset();
    }

    // Whether a thread was started and not yet ended through this object.
    bool Running() const { return running_; }
    Handle handle() const { return thread_.get(); }
    uint32_t id() const { return id_; }

private:
    ScopedEvent ready_;
    ScopedThread thread_;  // closed before the ready event
    uint32_t id_ = 0;
    bool running_ = false;
};

}  // namespace Orv::Platform
