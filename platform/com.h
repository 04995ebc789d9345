// COM on the calling thread (CoInitialize, CoUninitialize): needed by the
// XML port.  Every thread that creates XML documents initialises COM first
// and uninitialises it as often as it initialised it successfully.
#pragma once

#include <cstdint>

#include "platform/types.h"

namespace Orv::Platform {

class ICom {
public:
    virtual ~ICom() = default;
    // Initialises COM (single-threaded apartment) on the calling thread:
    // S_OK, S_FALSE when it was initialised already (still to be
    // uninitialised), or a failure code.
    virtual int32_t InitializeCom() = 0;
    virtual void UninitializeCom() = 0;
};

ICom& Com();

}  // namespace Orv::Platform
