// Control surface of the simulation platform, for the host program and the
// tests (never for the core).
//
// The simulation platform is one shared library that the host, the tests and
// the plugin lin.xpl link, so they all see the same clock, threads, trace
// sessions, named events and input queue.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/keyboard.h"
#include "platform/types.h"

namespace Orv::Sim {

// ---- Time and threads -------------------------------------------------------
//
// Virtual time (the default): the tick count and every time-out run on
// virtual milliseconds, which move only when the host advances them.  One
// thread runs at a time: the host thread, or a thread the plugin started
// through the sync port, handed the run in a fixed order; so the same
// scenario gives the same interleaving and the same log on every run.
//
// Real time: threads run freely, the tick count is the machine's monotonic
// clock, waits time out in real milliseconds.

enum class TimeMode { Virtual, Real };

// Resets the platform for a new run: the clock to 0, the mode, no threads
// but the calling thread, which becomes the host thread.  Call before any
// plugin code runs; the host thread is the one that drives everything.
//
// Safe at the start of every test.  Threads of the run before never run
// again (they stay parked), every handle of it is gone (CloseHandle fails
// with 6), named events, the named-event and input observers, the recorded
// input and the public Documents folder are cleared.  Kept across a reset,
// as process-wide state of a loaded module: thread-local slots and values,
// trace registrations and sessions, the thread notify hook.
//
// A program that never calls Reset runs in virtual time with the first
// thread that uses the platform as its host.  A thread that is neither the
// host nor started by the sync port ("foreign") is not scheduled by the run
// token: it runs freely and its waits end when they are satisfied or when
// virtual time reaches their deadline; keep plugin work off such threads.
void Reset(TimeMode mode);
TimeMode Mode();

// Virtual milliseconds since Reset (real milliseconds in real time).
uint64_t Now();

// Host thread: lets every other thread run until each is blocked again in a
// platform wait (or has ended).  No time passes.  No-op in real time and on
// any other thread.
//
// Besides Advance, the clock moves on its own only while the host thread is
// blocked in a platform wait and no thread can run: it jumps to the earliest
// deadline.  With no deadline anywhere that is a deadlock: the platform
// prints "virtual time: deadlock" and the blocked threads to stderr and
// aborts.
void Settle();

// Host thread: advances the clock by ms.  Waiters whose deadlines fall due
// wake in deadline order, one deadline at a time, each followed by Settle.
// In real time it sleeps for ms; on another thread it is Sleep(ms).
void Advance(uint32_t ms);

// Number of threads started through the port that have not ended.
int LiveThreadCount();

// Called on a thread that the sync port started, first thing on the new
// thread (attached = true) and last thing before it ends (false).  The
// plugin module's thread attach and detach notifications come from here.
using ThreadNotify = void (*)(bool attached);
void SetThreadNotify(ThreadNotify notify);

// A small, stable number for the calling thread: 1 for the host thread, then
// 2, 3, ... in the order the sync port started threads since Reset.
uint32_t ThreadOrdinal();

// ---- Trace sessions ----------------------------------------------------------

struct TraceRecord {
    uint8_t level;
    uint64_t keyword;
    uint32_t thread;  // ThreadOrdinal of the writer
    std::wstring text;
};

// An in-process trace session: while started it enables every provider
// registered with the GUID at its level and keyword mask and receives the
// lines that the provider writes.  At most one session per provider.
class TraceSession {
public:
    using Sink = std::function<void(const TraceRecord&)>;
    TraceSession(const Platform::Guid& provider, Sink sink);
    ~TraceSession();  // stops
    TraceSession(const TraceSession&) = delete;
    TraceSession& operator=(const TraceSession&) = delete;

    // Enables (or re-enables with new values) the provider: the provider's
    // enable callback runs with control code 1, level and mask as match-any
    // (match-all 0), now if it is registered, or inside its registration.
    // The callback runs on the calling thread (standing for a thread of the
    // tracing system's choosing).  The session receives the lines whose
    // level is at most its level (level 0 on either side: all) and whose
    // keyword shares a bit with the mask (keyword 0: always), one at a time;
    // a sink must not block in a platform wait.  A second session for a
    // provider that a started session listens for does not start (stderr).
    void Start(uint8_t level, uint64_t matchAnyKeyword);
    // Disables: the callback runs with control code 0.
    void Stop();
    bool Started() const;

private:
    Platform::Guid provider_;
    bool started_ = false;
};

// ---- Named events ---------------------------------------------------------------

// Told about the plugin's hand-over signals, once for each: an OpenEvent of
// a named event that does not exist (opened false), and a SetEvent on a
// handle of a named event (opened true).
using NamedEventObserver = std::function<void(const std::wstring& name, bool opened)>;
void SetNamedEventObserver(NamedEventObserver observer);
// Whether a named event exists, and whether it is signalled.
bool NamedEventExists(const std::wstring& name);
bool NamedEventSignalled(const std::wstring& name);
// How an existing named event was created: with a null DACL (open to every
// user) and an inheritable handle.  False when there is no such event.
struct NamedEventSecurity {
    bool openToEveryone = false;
    bool inheritable = false;
};
bool GetNamedEventSecurity(const std::wstring& name, NamedEventSecurity* security);

// ---- Known folders -------------------------------------------------------------

// The public Documents folder that the known-folder port reports; empty
// makes it fail with E_FAIL.  Default: empty.
void SetPublicDocumentsFolder(const std::wstring& path);

// ---- Keyboard ----------------------------------------------------------------------

// Every SendInput call hands its events to the observer (if any) and
// appends them to the recorded list.
using InputObserver = std::function<void(const std::vector<Platform::KeyEvent>&)>;
void SetInputObserver(InputObserver observer);
std::vector<Platform::KeyEvent> TakeRecordedInput();

// ---- Strings ---------------------------------------------------------------------

// UTF-8 <-> wide (UTF-32 on Linux) conversions used at the platform's edges.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

}  // namespace Orv::Sim
