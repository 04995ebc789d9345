// The trace provider: register with an enable callback, write a string at a
// level and keyword, unregister (the Windows event tracing calls).
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace Orv::Platform {

// Control codes of the enable callback.
constexpr uint32_t kTraceControlDisable = 0;
constexpr uint32_t kTraceControlEnable = 1;
constexpr uint32_t kTraceControlCaptureState = 2;

using TraceRegistration = uint64_t;

// The enable callback: source id, control code, level, match-any keyword
// mask, match-all keyword mask, filter data (opaque, may be null), context.
using TraceEnableCallback = void (*)(const Guid* sourceId, uint32_t controlCode, uint8_t level,
                                     uint64_t matchAnyKeyword, uint64_t matchAllKeyword,
                                     void* filterData, void* context);

class ITraceProvider {
public:
    virtual ~ITraceProvider() = default;
    // Registers a provider.  A trace session that already listens for it
    // calls the callback from inside this call, before it returns.
    // Returns a Windows error code; *registration is 0 on failure.
    virtual uint32_t EventRegister(const Guid& provider, TraceEnableCallback callback,
                                   void* context, TraceRegistration* registration) = 0;
    virtual uint32_t EventWriteString(TraceRegistration registration, uint8_t level,
                                      uint64_t keyword, const wchar_t* text) = 0;
    virtual uint32_t EventUnregister(TraceRegistration registration) = 0;
};

ITraceProvider& TraceProvider();

}  // namespace Orv::Platform
