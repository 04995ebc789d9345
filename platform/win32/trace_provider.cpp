// The trace-provider port on Event Tracing for Windows (advapi32).
#include "platform/trace_provider.h"

#include <cstddef>
#include <new>

#include "platform/win32/win32.h"

#include <evntprov.h>
#include <evntrace.h>

namespace Orv::Platform {

static_assert(sizeof(Guid) == sizeof(GUID) && alignof(Guid) == alignof(GUID));
static_assert(offsetof(Guid, data1) == offsetof(GUID, Data1));
static_assert(offsetof(Guid, data2) == offsetof(GUID, Data2));
static_assert(offsetof(Guid, data3) == offsetof(GUID, Data3));
static_assert(offsetof(Guid, data4) == offsetof(GUID, Data4));
static_assert(sizeof(TraceRegistration) == sizeof(REGHANDLE));
static_assert(kTraceControlDisable == EVENT_CONTROL_CODE_DISABLE_PROVIDER);
static_assert(kTraceControlEnable == EVENT_CONTROL_CODE_ENABLE_PROVIDER);
static_assert(kTraceControlCaptureState == EVENT_CONTROL_CODE_CAPTURE_STATE);

namespace {

// ETW calls an NTAPI function with its own argument types; the port's
// callback is a plain C++ function.  Each registration with a callback owns
// one of these, handed to ETW as the callback context, from before
// EventRegister (which may already call it) until after EventUnregister
// (after which ETW calls it no more).
struct Registration {
    TraceEnableCallback callback;
    void* context;
    REGHANDLE handle;
    Registration* next;
};

SRWLOCK g_registrationsLock = SRWLOCK_INIT;
Registration* g_registrations = nullptr;

void NTAPI EnableCallback(LPCGUID sourceId, ULONG controlCode, UCHAR level,
                          ULONGLONG matchAnyKeyword, ULONGLONG matchAllKeyword,
                          PEVENT_FILTER_DESCRIPTOR filterData, PVOID callbackContext) {
    auto* registration = static_cast<Registration*>(callbackContext);
    if (registration == nullptr || registration->callback == nullptr)
        return;
    registration->callback(reinterpret_cast<const Guid*>(sourceId), controlCode, level,
                           matchAnyKeyword, matchAllKeyword, filterData, registration->context);
}

class Win32TraceProvider final : public ITraceProvider {
public:
    uint32_t EventRegister(const Guid& provider, TraceEnableCallback callback, void* context,
                           TraceRegistration* registration) override {
        if (registration == nullptr)
            return ERROR_INVALID_PARAMETER;
        *registration = 0;
        const GUID* id = reinterpret_cast<const GUID*>(&provider);
        REGHANDLE handle = 0;
        if (callback == nullptr) {
            ULONG result = ::EventRegister(id, nullptr, nullptr, &handle);
            if (result == ERROR_SUCCESS)
                *registration = handle;
            return result;
        }
        auto* adapter = new (std::nothrow) Registration{callback, context, 0, nullptr};
        if (adapter == nullptr)
            return ERROR_NOT_ENOUGH_MEMORY;
        ULONG result = ::EventRegister(id, EnableCallback, adapter, &handle);
        if (result != ERROR_SUCCESS) {
            delete adapter;
            return result;
        }
        adapter->handle = handle;
        ::AcquireSRWLockExclusive(&g_registrationsLock);
        adapter->next = g_registrations;
        g_registrations = adapter;
        ::ReleaseSRWLockExclusive(&g_registrationsLock);
        *registration = handle;
        return ERROR_SUCCESS;
    }

    uint32_t EventWriteString(TraceRegistration registration, uint8_t level, uint64_t keyword,
                              const wchar_t* text) override {
        if (text == nullptr)
            return ERROR_INVALID_PARAMETER;
        return ::EventWriteString(registration, level, keyword, text);
    }

    uint32_t EventUnregister(TraceRegistration registration) override {
        ULONG result = ::EventUnregister(registration);
        if (result != ERROR_SUCCESS)
            return result;
        Registration* adapter = nullptr;
        ::AcquireSRWLockExclusive(&g_registrationsLock);
        for (Registration** link = &g_registrations; *link != nullptr; link = &(*link)->next) {
            if ((*link)->handle == registration) {
                adapter = *link;
                *link = adapter->next;
                break;
            }
        }
        ::ReleaseSRWLockExclusive(&g_registrationsLock);
        delete adapter;
        return ERROR_SUCCESS;
    }
};

}  // namespace

ITraceProvider& TraceProvider() {
    static Win32TraceProvider instance;
    return instance;
}

}  // namespace Orv::Platform
