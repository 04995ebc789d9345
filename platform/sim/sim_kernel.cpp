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
#include "platform/sim/sim_kernel.h"
#include "platform/sim/sim_platform.h"
#include "platform/sync.h"

namespace Orv::Sim::Core {

Kernel& K() {
    static Kernel* kernel = new Kernel;
    return *kernel;
}

thread_local std::shared_ptr<ThreadRecord> t_self;
thread_local uint32_t t_lastError = 0;
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

}  // namespace Orv::Sim::Core

namespace Orv::Sim {

using namespace Core;

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

}  // namespace Orv::Sim
