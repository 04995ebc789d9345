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

// COM initialised on the calling thread for the scope's life, and
// uninitialised when the scope goes if the initialisation succeeded.
class ComScope {
public:
    ComScope() : result_(Com().InitializeCom()) {}
    ~ComScope() {
        if (succeeded())
            Com().UninitializeCom();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

    // The HRESULT of the initialisation.
    int32_t result() const { return result_; }
    // S_OK, or S_FALSE when the thread had COM already; a thread in another
    // apartment keeps its COM as it is.
    bool succeeded() const { return result_ == kSOk || result_ == kSFalse; }

private:
    int32_t result_;
};

}  // namespace Orv::Platform
