// The simulation platform's kernel: threads, events, named events, waits,
// locks, thread-local values and the clock, in virtual or real time.
//
// Virtual time runs the threads of the port one at a time.  The thread that
// holds the run token runs; every other thread is ready (queued for the
// token, first in first out), blocked in a platform wait, or ended.  The
// token moves only when its holder blocks in a platform wait or ends, so the
// order in which threads run depends on nothing but the program, and a run
// repeats exactly.  The clock moves only through Advance, or when the host
// thread is blocked and no thread can run (it then jumps to the earliest
// deadline).
//
// Real time uses the same objects and wait lists without the token: every
// thread runs freely, and a wait with a deadline times out on the steady
// clock.
//
// All state is guarded by one mutex.  It is allocated once and never freed,
// so threads parked for good (terminated ones, leftovers of an earlier run)
// can outlive the statics of the program without touching freed memory.
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/named_events.h"
#include "platform/sim/sim_internal.h"
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

namespace Orv::Sim {
namespace {

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

int64_t SteadyNs() {
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

Kernel& K() {
    static Kernel* kernel = new Kernel;
    return *kernel;
}

using Guard = std::unique_lock<std::mutex>;

thread_local std::shared_ptr<ThreadRecord> t_self;
thread_local uint32_t t_lastError = 0;

struct TlsBlock {
    std::array<void*, kTlsSlots> value{};
    std::array<uint32_t, kTlsSlots> generation{};
};
thread_local std::unique_ptr<TlsBlock> t_tls;

void SetError(uint32_t error) {
    t_lastError = error;
}

uint64_t ClockNow(const Kernel& k) {
    if (k.mode.load() == TimeMode::Virtual)
        return k.virtualNow.load();
    return static_cast<uint64_t>((SteadyNs() - k.realStartNs.load()) / 1000000);
}

[[noreturn]] void ParkForever(Guard& lk, ThreadRecord& self) {
    for (;;)
        self.cv.wait(lk);
}

// The calling thread's record for this run.  A thread that is not known yet
// becomes the host when there is none (a program that never called Reset),
// else it is a foreign thread that the token does not schedule.  A
// terminated thread, or a port thread of an earlier run, parks here for good
// (this is where real time stops them, at their next platform call).
ThreadRecord& Self(Kernel& k, Guard& lk) {
    std::shared_ptr<ThreadRecord>& self = t_self;
    if (self && self->epoch == k.epoch) {
        if (self->parked || self->terminated)
            ParkForever(lk, *self);
        return *self;
    }
    if (self && self->port)
        ParkForever(lk, *self);
    self = std::make_shared<ThreadRecord>();
    self->serial = k.nextSerial++;
    self->epoch = k.epoch;
    self->id = k.nextThreadId;
    k.nextThreadId += 4;
    if (!k.host) {
        self->ordinal = 1;
        k.host = self;
        if (k.mode.load() == TimeMode::Virtual)
            k.current = self.get();
    } else {
        self->foreign = true;
    }
    return *self;
}

std::string Describe(const Kernel& k, const ThreadRecord& t) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "  thread %u (id %u%s): ", t.ordinal, t.id,
                  t.foreign ? ", foreign" : (t.port ? "" : ", host"));
    std::string text = buf;
    const WaitSpec& w = t.wait;
    if (w.lock) {
        std::snprintf(buf, sizeof buf, "enters lock %p held by thread %u",
                      static_cast<void*>(w.lock), w.lock->ownerOrdinal);
        text += buf;
    } else if (w.handles.empty()) {
        text += "sleeps";
    } else {
        text += w.all ? "waits for all of" : "waits for any of";
        for (Handle h : w.handles) {
            std::snprintf(buf, sizeof buf, " %#llx",
                          static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h)));
            text += buf;
        }
    }
    if (w.hasDeadline) {
        std::snprintf(buf, sizeof buf, " until %llu ms",
                      static_cast<unsigned long long>(w.deadline));
        text += buf;
    } else {
        text += " with no time-out";
    }
    return text + "\n";
}

[[noreturn]] void Deadlock(const Kernel& k) {
    std::string text = "virtual time: deadlock at " + std::to_string(k.virtualNow.load()) +
                       " ms: the host thread is blocked, no thread can run and no wait has a "
                       "time-out. Blocked threads:\n";
    for (const ThreadRecord* t : k.blocked)
        text += Describe(k, *t);
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    std::abort();
}

void RemoveBlocked(Kernel& k, ThreadRecord& t) {
    auto it = std::find(k.blocked.begin(), k.blocked.end(), &t);
    if (it != k.blocked.end())
        k.blocked.erase(it);
}

void RemoveReady(Kernel& k, ThreadRecord& t) {
    auto it = std::find(k.ready.begin(), k.ready.end(), &t);
    if (it != k.ready.end())
        k.ready.erase(it);
}

bool EarliestDeadline(const Kernel& k, uint64_t* deadline) {
    bool found = false;
    for (const ThreadRecord* t : k.blocked) {
        if (t->wait.hasDeadline && (!found || t->wait.deadline < *deadline)) {
            *deadline = t->wait.deadline;
            found = true;
        }
    }
    return found;
}

void Dispatch(Kernel& k);

// Ends a thread's wait with a result: it is queued for the token (virtual
// time) or woken (real time, foreign threads).
void MakeReady(Kernel& k, ThreadRecord& t, uint32_t result) {
    RemoveBlocked(k, t);
    t.result = result;
    t.woken = true;
    if (k.mode.load() == TimeMode::Real || t.foreign) {
        t.state = RunState::Running;
        t.cv.notify_one();
        return;
    }
    t.state = RunState::Ready;
    k.ready.push_back(&t);
}

// Virtual time moves to now, and every thread whose wait ends by due stops
// waiting with a time-out.
void FireDeadlines(Kernel& k, uint64_t now, uint64_t due) {
    k.virtualNow.store(now);
    std::vector<ThreadRecord*> waiters = k.blocked;
    for (ThreadRecord* t : waiters)
        if (t->wait.hasDeadline && t->wait.deadline <= due)
            MakeReady(k, *t, kWaitTimeout);
}

// A thread outside the token (a foreign one) made threads ready while no
// thread holds the token: hand it out.
void Kick(Kernel& k) {
    if (k.mode.load() == TimeMode::Virtual && !k.current && !k.ready.empty())
        Dispatch(k);
}

// Hands the token to the next ready thread; with none ready, back to a
// settling host, or (host blocked) time jumps to the earliest deadline.
// Called by the token holder as it gives the token up.
void Dispatch(Kernel& k) {
    for (;;) {
        if (!k.ready.empty()) {
            ThreadRecord* next = k.ready.front();
            k.ready.pop_front();
            next->state = RunState::Running;
            k.current = next;
            next->cv.notify_one();
            return;
        }
        ThreadRecord* host = k.host.get();
        if (host && host->state == RunState::Settling) {
            host->state = RunState::Running;
            k.current = host;
            host->cv.notify_one();
            return;
        }
        if (host && host->state == RunState::Blocked && !host->foreign) {
            uint64_t due = 0;
            if (!EarliestDeadline(k, &due))
                Deadlock(k);
            FireDeadlines(k, std::max(due, k.virtualNow.load()), due);
            continue;
        }
        k.current = nullptr;
        return;
    }
}

void TakeToken(Kernel& k, Guard& lk, ThreadRecord& self) {
    self.cv.wait(lk, [&] { return k.current == &self || self.parked; });
    if (self.parked)
        ParkForever(lk, self);
}

bool Signalled(const KernelObject& o) {
    return o.signalled;
}

void Consume(KernelObject& o) {
    if (o.kind == KernelObject::Kind::Event && !o.manualReset)
        o.signalled = false;
}

bool TrySatisfy(WaitSpec& w, uint32_t* result) {
    if (!w.all) {
        for (size_t i = 0; i < w.objects.size(); ++i) {
            if (Signalled(*w.objects[i])) {
                Consume(*w.objects[i]);
                *result = kWaitObject0 + static_cast<uint32_t>(i);
                return true;
            }
        }
        return false;
    }
    for (const auto& o : w.objects)
        if (!Signalled(*o))
            return false;
    for (const auto& o : w.objects)
        Consume(*o);
    *result = kWaitObject0;
    return true;
}

// After an object became signalled: every waiter it now satisfies, in the
// order the waits began (so an auto-reset event releases the first one).
void WakeWaiters(Kernel& k) {
    std::vector<ThreadRecord*> waiters = k.blocked;
    for (ThreadRecord* t : waiters) {
        if (t->wait.objects.empty())
            continue;
        uint32_t result = 0;
        if (TrySatisfy(t->wait, &result))
            MakeReady(k, *t, result);
    }
}

// Blocks the calling thread in a platform wait; returns the wait's result.
uint32_t Block(Kernel& k, Guard& lk, ThreadRecord& self, WaitSpec request) {
    request.seq = ++k.waitSeq;
    self.wait = std::move(request);
    self.woken = false;
    self.state = RunState::Blocked;
    k.blocked.push_back(&self);
    if (k.mode.load() == TimeMode::Real) {
        while (!self.woken) {
            if (self.parked || self.terminated) {
                RemoveBlocked(k, self);
                ParkForever(lk, self);
            }
            if (self.wait.hasDeadline) {
                auto until = std::chrono::steady_clock::time_point(std::chrono::nanoseconds(
                    k.realStartNs.load() + static_cast<int64_t>(self.wait.deadline) * 1000000));
                if (self.cv.wait_until(lk, until) == std::cv_status::timeout && !self.woken &&
                    !self.parked && !self.terminated) {
                    RemoveBlocked(k, self);
                    self.result = kWaitTimeout;
                    self.woken = true;
                }
            } else {
                self.cv.wait(lk);
            }
        }
        if (self.parked || self.terminated)
            ParkForever(lk, self);
    } else if (self.foreign) {
        self.cv.wait(lk, [&] { return self.woken || self.parked; });
        if (self.parked)
            ParkForever(lk, self);
    } else {
        if (k.current == &self)
            k.current = nullptr;
        Dispatch(k);
        TakeToken(k, lk, self);
    }
    self.state = RunState::Running;
    self.wait = WaitSpec{};
    return self.result;
}

Handle AddHandle(Kernel& k, std::shared_ptr<KernelObject> object) {
    uintptr_t value = k.nextHandle;
    k.nextHandle += 4;
    k.handles.emplace(value, std::move(object));
    return reinterpret_cast<Handle>(value);
}

std::shared_ptr<KernelObject> Lookup(Kernel& k, Handle h) {
    auto it = k.handles.find(reinterpret_cast<uintptr_t>(h));
    return it == k.handles.end() ? nullptr : it->second;
}

void SignalThreadEnd(Kernel& k, ThreadRecord& t, uint32_t exitCode) {
    t.state = RunState::Ended;
    if (auto object = t.object.lock()) {
        object->signalled = true;
        object->exitCode = exitCode;
    }
    auto it = std::find_if(k.live.begin(), k.live.end(),
                           [&](const std::shared_ptr<ThreadRecord>& p) { return p.get() == &t; });
    if (it != k.live.end())
        k.live.erase(it);
    WakeWaiters(k);
}

void ThreadMain(std::shared_ptr<ThreadRecord> record, std::shared_ptr<KernelObject> object) {
    Kernel& k = K();
    t_self = record;
    ThreadRecord& self = *record;
    ThreadNotify notify = nullptr;
    {
        Guard lk(k.mu);
        if (k.mode.load() == TimeMode::Virtual)
            TakeToken(k, lk, self);
        Self(k, lk);
        notify = k.notify;
    }
    if (notify)
        notify(true);
    uint32_t exitCode = self.proc(self.context);
    {
        Guard lk(k.mu);
        Self(k, lk);
        notify = k.notify;
    }
    if (notify)
        notify(false);
    Guard lk(k.mu);
    Self(k, lk);
    SignalThreadEnd(k, self, exitCode);
    object.reset();
    if (k.mode.load() == TimeMode::Virtual && k.current == &self) {
        k.current = nullptr;
        Dispatch(k);
    }
}

// ---- ISync ------------------------------------------------------------------------

class SimSync final : public Platform::ISync {
public:
    Handle CreateThread(ThreadProc proc, void* context, uint32_t* threadId) override {
        if (!proc) {
            SetError(kErrorInvalidParameter);
            return nullptr;
        }
        Kernel& k = K();
        Guard lk(k.mu);
        Self(k, lk);
        auto record = std::make_shared<ThreadRecord>();
        record->serial = k.nextSerial++;
        record->epoch = k.epoch;
        record->ordinal = k.nextOrdinal++;
        record->id = k.nextThreadId;
        k.nextThreadId += 4;
        record->port = true;
        record->proc = proc;
        record->context = context;
        auto object = std::make_shared<KernelObject>();
        object->kind = KernelObject::Kind::Thread;
        object->thread = record;
        record->object = object;
        try {
            std::thread(ThreadMain, record, object).detach();
        } catch (const std::system_error&) {
            k.nextOrdinal--;
            SetError(kErrorNotEnoughMemory);
            return nullptr;
        }
        k.live.push_back(record);
        if (k.mode.load() == TimeMode::Virtual) {
            record->state = RunState::Ready;
            k.ready.push_back(record.get());
            Kick(k);
        }
        if (threadId)
            *threadId = record->id;
        return AddHandle(k, object);
    }

    bool TerminateThread(Handle thread, uint32_t exitCode) override {
        Kernel& k = K();
        Guard lk(k.mu);
        ThreadRecord& self = Self(k, lk);
        auto object = Lookup(k, thread);
        if (!object || object->kind != KernelObject::Kind::Thread) {
            SetError(kErrorInvalidHandle);
            return false;
        }
        ThreadRecord& target = *object->thread;
        if (target.state == RunState::Ended)
            return true;
        target.terminated = true;
        RemoveBlocked(k, target);
        RemoveReady(k, target);
        SignalThreadEnd(k, target, exitCode);
        if (&target == &self) {
            if (k.mode.load() == TimeMode::Virtual && k.current == &self) {
                k.current = nullptr;
                Dispatch(k);
            }
            ParkForever(lk, self);
        }
        if (k.mode.load() == TimeMode::Virtual)
            target.parked = true;
        target.cv.notify_one();
        Kick(k);
        return true;
    }

    bool GetExitCodeThread(Handle thread, uint32_t* exitCode) override {
        Kernel& k = K();
        Guard lk(k.mu);
        Self(k, lk);
        auto object = Lookup(k, thread);
        if (!object || object->kind != KernelObject::Kind::Thread || !exitCode) {
            SetError(object ? kErrorInvalidParameter : kErrorInvalidHandle);
            return false;
        }
        *exitCode = object->exitCode;
        return true;
    }

    uint32_t GetCurrentThreadId() override {
        Kernel& k = K();
        Guard lk(k.mu);
        return Self(k, lk).id;
    }

    Handle CreateEvent(bool manualReset, bool initialState) override {
        Kernel& k = K();
        Guard lk(k.mu);
        Self(k, lk);
        auto object = std::make_shared<KernelObject>();
        object->manualReset = manualReset;
        object->signalled = initialState;
        return AddHandle(k, std::move(object));
    }

    bool SetEvent(Handle event) override {
        Kernel& k = K();
        std::wstring name;
        NamedEventObserver observer;
        {
            Guard lk(k.mu);
            Self(k, lk);
            auto object = Lookup(k, event);
            if (!object || object->kind != KernelObject::Kind::Event) {
                SetError(kErrorInvalidHandle);
                return false;
            }
            object->signalled = true;
            WakeWaiters(k);
            Kick(k);
            if (!object->name.empty() && k.namedObserver) {
                name = object->name;
                observer = k.namedObserver;
            }
        }
        if (observer)
            observer(name, true);
        return true;
    }

    bool ResetEvent(Handle event) override {
        Kernel& k = K();
        Guard lk(k.mu);
        Self(k, lk);
        auto object = Lookup(k, event);
        if (!object || object->kind != KernelObject::Kind::Event) {
            SetError(kErrorInvalidHandle);
            return false;
        }
        object->signalled = false;
        return true;
    }

    bool CloseHandle(Handle handle) override {
        Kernel& k = K();
        std::shared_ptr<KernelObject> last;  // freed after the lock is released
        Guard lk(k.mu);
        Self(k, lk);
        auto it = k.handles.find(reinterpret_cast<uintptr_t>(handle));
        if (it == k.handles.end()) {
            SetError(kErrorInvalidHandle);
            return false;
        }
        last = std::move(it->second);
        k.handles.erase(it);
        return true;
    }

    uint32_t WaitForSingleObject(Handle handle, uint32_t timeoutMs) override {
        return WaitForMultipleObjects(1, &handle, false, timeoutMs);
    }

    uint32_t WaitForMultipleObjects(uint32_t count, const Handle* handles, bool waitAll,
                                    uint32_t timeoutMs) override {
        if (count == 0 || count > kMaximumWaitObjects || !handles) {
            SetError(kErrorInvalidParameter);
            return kWaitFailed;
        }
        Kernel& k = K();
        Guard lk(k.mu);
        ThreadRecord& self = Self(k, lk);
        WaitSpec request;
        request.all = waitAll;
        for (uint32_t i = 0; i < count; ++i) {
            auto object = Lookup(k, handles[i]);
            if (!object) {
                SetError(kErrorInvalidHandle);
                return kWaitFailed;
            }
            if (waitAll && std::find(request.objects.begin(), request.objects.end(), object) !=
                               request.objects.end()) {
                SetError(kErrorInvalidParameter);
                return kWaitFailed;
            }
            request.objects.push_back(std::move(object));
            request.handles.push_back(handles[i]);
        }
        uint32_t result = 0;
        if (TrySatisfy(request, &result))
            return result;
        if (timeoutMs == 0)
            return kWaitTimeout;
        if (timeoutMs != kInfinite) {
            request.hasDeadline = true;
            request.deadline = ClockNow(k) + timeoutMs;
        }
        return Block(k, lk, self, std::move(request));
    }

    void Sleep(uint32_t ms) override {
        Kernel& k = K();
        Guard lk(k.mu);
        ThreadRecord& self = Self(k, lk);
        if (ms == 0) {
            if (k.mode.load() == TimeMode::Real) {
                lk.unlock();
                std::this_thread::yield();
            }
            return;
        }
        WaitSpec request;
        if (ms != kInfinite) {
            request.hasDeadline = true;
            request.deadline = ClockNow(k) + ms;
        }
        Block(k, lk, self, std::move(request));
    }

    uint32_t GetTickCount() override { return static_cast<uint32_t>(ClockNow(K())); }

    uint32_t GetLastError() override { return t_lastError; }
    void SetLastError(uint32_t error) override { t_lastError = error; }

    Platform::Lock CreateLock() override { return new LockObject; }

    void DeleteLock(Platform::Lock lock) override { delete lock; }

    void EnterLock(Platform::Lock lock) override {
        if (!lock)
            return;
        Kernel& k = K();
        Guard lk(k.mu);
        ThreadRecord& self = Self(k, lk);
        if (lock->owner == 0) {
            Own(*lock, self);
            return;
        }
        if (lock->owner == self.serial) {
            ++lock->count;
            return;
        }
        WaitSpec request;
        request.lock = lock;
        Block(k, lk, self, std::move(request));  // LeaveLock made us the owner
    }

    bool TryEnterLock(Platform::Lock lock) override {
        if (!lock)
            return false;
        Kernel& k = K();
        Guard lk(k.mu);
        ThreadRecord& self = Self(k, lk);
        if (lock->owner == 0) {
            Own(*lock, self);
            return true;
        }
        if (lock->owner != self.serial)
            return false;
        ++lock->count;
        return true;
    }

    void LeaveLock(Platform::Lock lock) override {
        if (!lock)
            return;
        Kernel& k = K();
        Guard lk(k.mu);
        ThreadRecord& self = Self(k, lk);
        if (lock->owner != self.serial || lock->count == 0) {
            SetError(kErrorNotOwner);
            return;
        }
        if (--lock->count > 0)
            return;
        lock->owner = 0;
        lock->ownerOrdinal = 0;
        for (ThreadRecord* t : k.blocked) {
            if (t->wait.lock == lock) {
                Own(*lock, *t);
                MakeReady(k, *t, 0);
                Kick(k);
                break;
            }
        }
    }

    uint32_t TlsAlloc() override {
        Kernel& k = K();
        Guard lk(k.mu);
        for (uint32_t i = 0; i < kTlsSlots; ++i) {
            uint32_t generation = k.tlsGeneration[i].load();
            if ((generation & 1) == 0) {
                k.tlsGeneration[i].store(generation + 1);
                return i;
            }
        }
        SetError(kErrorNotEnoughMemory);
        return kTlsOutOfIndexes;
    }

    bool TlsFree(uint32_t index) override {
        Kernel& k = K();
        Guard lk(k.mu);
        if (index >= kTlsSlots || (k.tlsGeneration[index].load() & 1) == 0) {
            SetError(kErrorInvalidParameter);
            return false;
        }
        k.tlsGeneration[index].fetch_add(1);
        return true;
    }

    void* TlsGetValue(uint32_t index) override {
        uint32_t generation = 0;
        if (!Allocated(index, &generation)) {
            SetError(kErrorInvalidParameter);
            return nullptr;
        }
        SetError(kErrorSuccess);
        if (!t_tls || t_tls->generation[index] != generation)
            return nullptr;
        return t_tls->value[index];
    }

    bool TlsSetValue(uint32_t index, void* value) override {
        uint32_t generation = 0;
        if (!Allocated(index, &generation)) {
            SetError(kErrorInvalidParameter);
            return false;
        }
        if (!t_tls)
            t_tls = std::make_unique<TlsBlock>();
        t_tls->value[index] = value;
        t_tls->generation[index] = generation;
        return true;
    }

private:
    static void Own(LockObject& lock, const ThreadRecord& t) {
        lock.owner = t.serial;
        lock.ownerOrdinal = t.ordinal;
        lock.count = 1;
    }

    static bool Allocated(uint32_t index, uint32_t* generation) {
        if (index >= kTlsSlots)
            return false;
        *generation = K().tlsGeneration[index].load();
        return (*generation & 1) != 0;
    }
};

// ---- INamedEvents ---------------------------------------------------------------

class SimNamedEvents final : public Platform::INamedEvents {
public:
    Handle OpenEvent(uint32_t desiredAccess, bool inheritHandle, const wchar_t* name) override {
        if (!name || !*name) {
            SetError(kErrorInvalidParameter);
            return nullptr;
        }
        Kernel& k = K();
        Handle handle = nullptr;
        NamedEventObserver observer;
        {
            Guard lk(k.mu);
            Self(k, lk);
            auto it = k.named.find(name);
            std::shared_ptr<KernelObject> object;
            if (it != k.named.end())
                object = it->second.lock();
            if (object) {
                handle = AddHandle(k, std::move(object));
            } else {
                SetError(kErrorFileNotFound);
                observer = k.namedObserver;
            }
        }
        // An event that could be opened is reported when it is signalled.
        if (observer)
            observer(name, false);
        return handle;
    }

    Handle CreateEvent(bool manualReset, bool initialState, const wchar_t* name) override {
        return CreateEvent(nullptr, manualReset, initialState, name);
    }

    Handle CreateEvent(const Platform::SecurityAttributes* attributes, bool manualReset,
                       bool initialState, const wchar_t* name) override {
        if (!name || !*name) {
            Handle handle = Platform::Sync().CreateEvent(manualReset, initialState);
            if (handle)
                SetError(kErrorSuccess);
            return handle;
        }
        Kernel& k = K();
        Guard lk(k.mu);
        Self(k, lk);
        auto it = k.named.find(name);
        if (it != k.named.end()) {
            if (auto existing = it->second.lock()) {
                SetError(kErrorAlreadyExists);
                return AddHandle(k, std::move(existing));
            }
        }
        auto object = std::make_shared<KernelObject>();
        object->manualReset = manualReset;
        object->signalled = initialState;
        object->name = name;
        if (attributes) {
            const Platform::SecurityDescriptor* d = attributes->descriptor;
            object->openToEveryone = d && d->revision == Platform::kSecurityDescriptorRevision &&
                                     (d->control & Platform::kSeDaclPresent) != 0 && !d->dacl;
            object->inheritable = attributes->inheritHandle;
        }
        k.named[name] = object;
        SetError(kErrorSuccess);
        return AddHandle(k, std::move(object));
    }
};

}  // namespace

// ---- Control surface --------------------------------------------------------------

void Reset(TimeMode mode) {
    Kernel& k = K();
    std::map<uintptr_t, std::shared_ptr<KernelObject>> oldHandles;  // freed unlocked
    {
        Guard lk(k.mu);
        if (t_self && t_self->port && t_self->epoch == k.epoch && !t_self->parked) {
            std::fputs(
                "Orv::Sim::Reset: called on a thread that the sync port started; only the host "
                "may reset the platform (ignored)\n",
                stderr);
            return;
        }
        // Leftover threads of the run that ends never run again.
        auto park = [](ThreadRecord* t) {
            t->parked = true;
            t->cv.notify_one();
        };
        for (const auto& t : k.live)
            park(t.get());
        for (ThreadRecord* t : k.blocked)
            park(t);
        for (ThreadRecord* t : k.ready)
            park(t);
        if (k.host && k.host != t_self)
            park(k.host.get());
        k.live.clear();
        k.ready.clear();
        k.blocked.clear();
        oldHandles.swap(k.handles);
        k.named.clear();
        k.namedObserver = nullptr;
        k.epoch++;
        k.mode.store(mode);
        k.virtualNow.store(0);
        k.realStartNs.store(SteadyNs());
        k.nextOrdinal = 2;
        k.nextThreadId = kFirstThreadId;
        // Handle values go on from the previous run: a handle kept across a
        // Reset (a static object's) fails with 6 and never names a new object.
        k.host.reset();
        k.current = nullptr;
        t_self.reset();
        Self(k, lk);  // the caller becomes the host and holds the token
    }
    Detail::ResetKeyboard();
    Detail::ResetKnownFolders();
    Detail::ResetServices();
    Detail::ResetDebugOutput();
    Detail::ResetDeviceBus();
    Detail::ResetProgramPath();
}

TimeMode Mode() {
    return K().mode.load();
}

uint64_t Now() {
    return ClockNow(K());
}

namespace {

void SettleLocked(Kernel& k, Guard& lk, ThreadRecord& host) {
    if (k.ready.empty())
        return;
    host.state = RunState::Settling;
    k.current = nullptr;
    Dispatch(k);
    TakeToken(k, lk, host);
    host.state = RunState::Running;
}

}  // namespace

void Settle() {
    Kernel& k = K();
    if (k.mode.load() == TimeMode::Real)
        return;
    Guard lk(k.mu);
    ThreadRecord& self = Self(k, lk);
    if (&self != k.host.get())
        return;
    SettleLocked(k, lk, self);
}

void Advance(uint32_t ms) {
    Kernel& k = K();
    if (k.mode.load() == TimeMode::Real) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    {
        Guard lk(k.mu);
        ThreadRecord& self = Self(k, lk);
        if (&self == k.host.get()) {
            uint64_t target = k.virtualNow.load() + ms;
            for (;;) {
                SettleLocked(k, lk, self);
                uint64_t due = 0;
                if (!EarliestDeadline(k, &due) || due > target)
                    break;
                FireDeadlines(k, due, due);
            }
            k.virtualNow.store(target);
            SettleLocked(k, lk, self);
            return;
        }
    }
    // Any other thread: the same as sleeping for ms.
    Platform::Sync().Sleep(ms);
}

int LiveThreadCount() {
    Kernel& k = K();
    Guard lk(k.mu);
    return static_cast<int>(k.live.size());
}

void SetThreadNotify(ThreadNotify notify) {
    Kernel& k = K();
    Guard lk(k.mu);
    k.notify = notify;
}

uint32_t ThreadOrdinal() {
    Kernel& k = K();
    Guard lk(k.mu);
    return Self(k, lk).ordinal;
}

void SetNamedEventObserver(NamedEventObserver observer) {
    Kernel& k = K();
    Guard lk(k.mu);
    k.namedObserver = std::move(observer);
}

bool NamedEventExists(const std::wstring& name) {
    Kernel& k = K();
    Guard lk(k.mu);
    auto it = k.named.find(name);
    return it != k.named.end() && !it->second.expired();
}

bool GetNamedEventSecurity(const std::wstring& name, NamedEventSecurity* security) {
    Kernel& k = K();
    Guard lk(k.mu);
    auto it = k.named.find(name);
    auto object = it == k.named.end() ? nullptr : it->second.lock();
    if (!object || !security)
        return false;
    security->openToEveryone = object->openToEveryone;
    security->inheritable = object->inheritable;
    return true;
}

bool NamedEventSignalled(const std::wstring& name) {
    Kernel& k = K();
    Guard lk(k.mu);
    auto it = k.named.find(name);
    if (it == k.named.end())
        return false;
    auto object = it->second.lock();
    return object && object->signalled;
}

}  // namespace Orv::Sim

namespace Orv::Platform {

ISync& Sync() {
    static ISync* sync = new Sim::SimSync;
    return *sync;
}

INamedEvents& NamedEvents() {
    static INamedEvents* events = new Sim::SimNamedEvents;
    return *events;
}

}  // namespace Orv::Platform
