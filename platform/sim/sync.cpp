// The sync port on the simulation platform's kernel (sim_kernel.cpp):
// threads, events, waits, locks, thread-local values, the tick count.
#include "platform/sync.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/sim/sim_kernel.h"

namespace Orv::Sim {
namespace {

using namespace Core;

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

}  // namespace
}  // namespace Orv::Sim

namespace Orv::Platform {

ISync& Sync() {
    static ISync* sync = new Sim::SimSync;
    return *sync;
}

}  // namespace Orv::Platform
