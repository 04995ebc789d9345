// The simulation platform's kernel, shared by the ports built on it (sync,
// named events) and its control surface (not for users).  See
// sim_kernel.cpp.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "platform/sync.h"

namespace Orv::Platform {

// A re-entrant lock: the owning thread (by its record's serial, never
// reused) and its recursion count.  Waiters queue in the kernel's wait list.
struct LockObject {
    uint64_t owner = 0;
    uint32_t ownerOrdinal = 0;
    uint32_t count = 0;
};

}  // namespace Orv::Platform

namespace Orv::Sim::Core {

using Platform::Handle;
using Platform::kErrorAlreadyExists;
using Platform::kErrorFileNotFound;
using Platform::kErrorInvalidHandle;
using Platform::kErrorInvalidParameter;
using Platform::kErrorNotEnoughMemory;
using Platform::kErrorNotOwner;
using Platform::kErrorSuccess;
using Platform::kInfinite;
using Platform::kMaximumWaitObjects;
using Platform::kWaitFailed;
using Platform::kWaitObject0;
using Platform::kWaitTimeout;
using Platform::LockObject;

constexpr uint32_t kStillActive = 259;
constexpr uintptr_t kFirstHandle = 0x40;
constexpr uint32_t kFirstThreadId = 0x1000;
constexpr uint32_t kTlsSlots = 1088;

enum class RunState { Ready, Running, Blocked, Settling, Ended };

struct ThreadRecord;

// A waitable kernel object: an event (named or not) or a thread.
struct KernelObject {
    enum class Kind { Event, Thread };
    Kind kind = Kind::Event;
    bool manualReset = false;
    bool signalled = false;
    uint32_t exitCode = kStillActive;
    std::wstring name;                     // named events only
    bool openToEveryone = false;           // created with a null DACL
    bool inheritable = false;              // the creating handle is inheritable
    std::shared_ptr<ThreadRecord> thread;  // thread objects only
};

// What a blocked thread waits for: objects (any or all), a lock, or only
// its deadline (a sleep).
struct WaitSpec {
    std::vector<std::shared_ptr<KernelObject>> objects;
    std::vector<Handle> handles;  // as the caller gave them, for diagnostics
    bool all = false;
    LockObject* lock = nullptr;
    bool hasDeadline = false;
    uint64_t deadline = 0;  // on the clock of Now()
    uint64_t seq = 0;       // order in which the waits began
};

struct ThreadRecord {
    uint64_t serial = 0;
    uint64_t epoch = 0;
    uint32_t ordinal = 0;  // 0 for a thread that is neither host nor the port's
    uint32_t id = 0;
    bool port = false;     // started by CreateThread
    bool foreign = false;  // neither the host nor started by the port
    RunState state = RunState::Running;
    bool parked = false;  // never runs again
    bool terminated = false;
    bool woken = false;
    uint32_t result = 0;
    WaitSpec wait;
    std::condition_variable cv;
    Platform::ISync::ThreadProc proc = nullptr;
    void* context = nullptr;
    std::weak_ptr<KernelObject> object;
};

inline int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Kernel {
    std::mutex mu;
    std::atomic<TimeMode> mode{TimeMode::Virtual};
    std::atomic<uint64_t> virtualNow{0};
    std::atomic<int64_t> realStartNs{SteadyNs()};

    uint64_t epoch = 1;  // one per Reset
    uint64_t nextSerial = 1;
    std::shared_ptr<ThreadRecord> host;
    ThreadRecord* current = nullptr;  // the token holder (virtual time)
    std::deque<ThreadRecord*> ready;
    std::vector<ThreadRecord*> blocked;  // in the order the waits began
    uint64_t waitSeq = 0;
    std::vector<std::shared_ptr<ThreadRecord>> live;  // port threads not ended
    uint32_t nextOrdinal = 2;
    uint32_t nextThreadId = kFirstThreadId;

    std::map<uintptr_t, std::shared_ptr<KernelObject>> handles;
    uintptr_t nextHandle = kFirstHandle;
    std::map<std::wstring, std::weak_ptr<KernelObject>> named;

    ThreadNotify notify = nullptr;
    NamedEventObserver namedObserver;

    // Thread-local slots: an odd generation marks an allocated slot.  A
    // thread's value counts only if it was stored under the current
    // generation, so a freed and allocated-again slot reads null everywhere.
    std::array<std::atomic<uint32_t>, kTlsSlots> tlsGeneration{};
};

Kernel& K();

using Guard = std::unique_lock<std::mutex>;

extern thread_local std::shared_ptr<ThreadRecord> t_self;
extern thread_local uint32_t t_lastError;

struct TlsBlock {
    std::array<void*, kTlsSlots> value{};
    std::array<uint32_t, kTlsSlots> generation{};
};
extern thread_local std::unique_ptr<TlsBlock> t_tls;

void SetError(uint32_t error);
uint64_t ClockNow(const Kernel& k);
[[noreturn]] void ParkForever(Guard& lk, ThreadRecord& self);
ThreadRecord& Self(Kernel& k, Guard& lk);
std::string Describe(const Kernel& k, const ThreadRecord& t);
[[noreturn]] void Deadlock(const Kernel& k);
void RemoveBlocked(Kernel& k, ThreadRecord& t);
void RemoveReady(Kernel& k, ThreadRecord& t);
bool EarliestDeadline(const Kernel& k, uint64_t* deadline);
void MakeReady(Kernel& k, ThreadRecord& t, uint32_t result);
void FireDeadlines(Kernel& k, uint64_t now, uint64_t due);
void Kick(Kernel& k);
void Dispatch(Kernel& k);
void TakeToken(Kernel& k, Guard& lk, ThreadRecord& self);
bool Signalled(const KernelObject& o);
void Consume(KernelObject& o);
bool TrySatisfy(WaitSpec& w, uint32_t* result);
void WakeWaiters(Kernel& k);
uint32_t Block(Kernel& k, Guard& lk, ThreadRecord& self, WaitSpec request);
Handle AddHandle(Kernel& k, std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> Lookup(Kernel& k, Handle h);
void SignalThreadEnd(Kernel& k, ThreadRecord& t, uint32_t exitCode);
void ThreadMain(std::shared_ptr<ThreadRecord> record, std::shared_ptr<KernelObject> object);

}  // namespace Orv::Sim::Core
