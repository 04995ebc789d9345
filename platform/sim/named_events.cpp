// The named event port on the simulation platform's kernel, and the named
// events' side of the control surface.
#include "platform/named_events.h"

#include <memory>
#include <string>

#include "platform/sim/sim_kernel.h"

namespace Orv::Sim {
namespace {

using namespace Core;

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

INamedEvents& NamedEvents() {
    static INamedEvents* events = new Sim::SimNamedEvents;
    return *events;
}

}  // namespace Orv::Platform
