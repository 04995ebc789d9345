// One overlapped request (a read, a write or an I/O control) on a device
// handle of the device I/O port, with its own event and control block.
//
// Lifetime: the block and the buffers handed to Start... must stay where
// they are until the request has been collected (completed at once, or
// ended and then seen by Poll, Wait, Collect or Cancel).  So the type is
// neither copyable nor movable, and its destructor cancels a request still
// in flight and collects it before the block goes.  The caller keeps its
// buffers alive as long as the request (declare them before it) and the
// device handle open until the request is collected (declare the handle
// before it, or close it only after Cancel): closing the handle first ends
// the request without writing into the block or the buffers again.
//
// Threading: the object is not synchronised: one thread at a time uses it
// (the owner's lock, or one thread only), HasCompleted included.  Another
// thread may cancel the request through the port while it runs (CancelIoEx
// on the handle, CancelIo on the thread that started it); the owner then
// sees it end with kErrorOperationAborted at its next Poll, Wait or
// Collect.
//
// It does not trace.
#pragma once

#include <cstdint>

#include "platform/device_io.h"
#include "platform/sync.h"
#include "platform/types.h"

namespace Orv {

class COverlappedRequest {
public:
    enum class Reset { Manual, Auto };
    // Where a request stands: completed (Transferred), still running, or
    // failed (Error; kErrorOperationAborted when cancelled).
    enum class Status { Done, Pending, Failed };

    explicit COverlappedRequest(Reset reset = Reset::Manual);
    // Cancels and collects a request still in flight.
    ~COverlappedRequest();
    COverlappedRequest(const COverlappedRequest&) = delete;
    COverlappedRequest& operator=(const COverlappedRequest&) = delete;

    // False when the event could not be created (Error has the reason);
    // no request can be started then.
    bool Valid() const { return static_cast<bool>(event); }
    Platform::Handle Event() const { return event.get(); }

    // Start a request on an overlapped handle.  A request still in flight
    // must have been collected first (else Failed with
    // kErrorInvalidParameter, the running one untouched).
    Status StartRead(Platform::Handle device, void* buffer, uint32_t bytes);
    Status StartWrite(Platform::Handle device, const void* buffer, uint32_t bytes);
    Status StartIoControl(Platform::Handle device, uint32_t code, const void* input,
                          uint32_t inputBytes, void* output, uint32_t outputBytes);

    // GetOverlappedResult without waiting.  Pending while it runs; once it
    // has ended it is collected and its status stays.
    Status Poll() { return Result(false); }
    // Waits up to timeoutMs for the event, then polls.  Pending when the
    // time ran out (the request still runs: cancel or wait again).
    Status Wait(uint32_t timeoutMs);
    // GetOverlappedResult with waiting: for a request that is ending (after
    // a CancelIo on its thread, say).
    Status Collect();
    // HasOverlappedIoCompleted: the request has ended (collected or not).
    bool HasCompleted() const;
    // Started and not collected yet.
    bool InFlight() const { return inFlight; }
    // CancelIoEx on this request, then Collect.  Nothing when none is in
    // flight.
    void Cancel();

    uint32_t Transferred() const { return transferred; }
    uint32_t Error() const { return error; }

private:
    Status Begin(Platform::Handle device);
    Status Issued(bool done);
    Status Result(bool wait);

    Platform::IDeviceIo& io;
    Platform::ScopedEvent event;
    Platform::Overlapped block;
    Platform::Handle device = nullptr;
    bool inFlight = false;
    uint32_t transferred = 0;
    uint32_t error = 0;
};

}  // namespace Orv
