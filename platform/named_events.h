// Named events, shared between processes by name ("Global\{...}").
#pragma once

#include <cstdint>

#include "platform/security.h"
#include "platform/types.h"

namespace Orv::Platform {

class INamedEvents {
public:
    virtual ~INamedEvents() = default;
    // Opens an existing named event; null when there is none (last error 2)
    // or it may not be opened.  The handle is closed and signalled with the
    // sync port's CloseHandle and SetEvent.
    virtual Handle OpenEvent(uint32_t desiredAccess, bool inheritHandle, const wchar_t* name) = 0;
    // Creates a named event or opens the existing one (last error 183 then).
    virtual Handle CreateEvent(bool manualReset, bool initialState, const wchar_t* name) = 0;
    // The same with security attributes (null: the default descriptor, a
    // handle that is not inherited).  The attributes apply only when the
    // event is created, not when an existing one is opened.
    virtual Handle CreateEvent(const SecurityAttributes* attributes, bool manualReset,
                               bool initialState, const wchar_t* name) = 0;
};

INamedEvents& NamedEvents();

}  // namespace Orv::Platform
