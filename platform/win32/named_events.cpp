// The named-events port on the Windows kernel's named event objects.
#include "platform/named_events.h"

#include "platform/win32/win32.h"

namespace Orv::Platform {

static_assert(kEventAllAccess == EVENT_ALL_ACCESS);
static_assert(kErrorAlreadyExists == ERROR_ALREADY_EXISTS);

namespace {

class Win32NamedEvents final : public INamedEvents {
public:
    Handle OpenEvent(uint32_t desiredAccess, bool inheritHandle, const wchar_t* name) override {
        return ::OpenEventW(desiredAccess, inheritHandle, name);
    }
    Handle CreateEvent(bool manualReset, bool initialState, const wchar_t* name) override {
        return ::CreateEventW(nullptr, manualReset, initialState, name);
    }
    Handle CreateEvent(const SecurityAttributes* attributes, bool manualReset, bool initialState,
                       const wchar_t* name) override {
        if (attributes == nullptr)
            return CreateEvent(manualReset, initialState, name);
        SECURITY_ATTRIBUTES security{};
        security.nLength = sizeof security;
        security.lpSecurityDescriptor = attributes->descriptor;
        security.bInheritHandle = attributes->inheritHandle;
        return ::CreateEventW(&security, manualReset, initialState, name);
    }
};

}  // namespace

INamedEvents& NamedEvents() {
    static Win32NamedEvents instance;
    return instance;
}

}  // namespace Orv::Platform
