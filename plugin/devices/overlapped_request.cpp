#include "plugin/devices/overlapped_request.h"

namespace Orv {

COverlappedRequest::COverlappedRequest(Reset reset) : io(Platform::DeviceIo()) {
    event.reset(Platform::Sync().CreateEvent(reset == Reset::Manual, false));
    if (!event)
        error = Platform::Sync().GetLastError();
}

COverlappedRequest::~COverlappedRequest() {
    Cancel();
}

COverlappedRequest::Status COverlappedRequest::Begin(Platform::Handle handle) {
    if (inFlight || !event || handle == nullptr) {
        error = event ? Platform::kErrorInvalidParameter : error;
        return Status::Failed;
    }
    device = handle;
    transferred = 0;
    error = 0;
    // The block is zeroed for each request; the event is reset, as the
    // request starts unsignalled.
    block = Platform::Overlapped{};
    block.event = event.get();
    Platform::Sync().ResetEvent(block.event);
    return Status::Pending;
}

COverlappedRequest::Status COverlappedRequest::Issued(bool done) {
    if (done)
        return Status::Done;
    uint32_t last = Platform::Sync().GetLastError();
    if (last == Platform::kErrorIoPending) {
        inFlight = true;
        return Status::Pending;
    }
    error = last;
    return Status::Failed;
}

COverlappedRequest::Status COverlappedRequest::StartRead(Platform::Handle handle, void* buffer,
                                                         uint32_t bytes) {
    if (Begin(handle) == Status::Failed)
        return Status::Failed;
    return Issued(io.Read(device, buffer, bytes, &transferred, &block));
}

COverlappedRequest::Status COverlappedRequest::StartWrite(Platform::Handle handle,
                                                          const void* buffer, uint32_t bytes) {
    if (Begin(handle) == Status::Failed)
        return Status::Failed;
    return Issued(io.Write(device, buffer, bytes, &transferred, &block));
}

COverlappedRequest::Status COverlappedRequest::StartIoControl(Platform::Handle handle,
                                                              uint32_t code, const void* input,
                                                              uint32_t inputBytes, void* output,
                                                              uint32_t outputBytes) {
    if (Begin(handle) == Status::Failed)
        return Status::Failed;
    return Issued(
        io.IoControl(device, code, input, inputBytes, output, outputBytes, &transferred, &block));
}

COverlappedRequest::Status COverlappedRequest::Result(bool wait) {
    if (!inFlight)
        return error == 0 ? Status::Done : Status::Failed;
    uint32_t moved = 0;
    if (io.GetOverlappedResult(device, &block, &moved, wait)) {
        inFlight = false;
        transferred = moved;
        error = 0;  // a refused start meanwhile left its error here
        return Status::Done;
    }
    uint32_t last = Platform::Sync().GetLastError();
    if (last == Platform::kErrorIoIncomplete && !wait)
        return Status::Pending;
    inFlight = false;
    error = last;
    return Status::Failed;
}

COverlappedRequest::Status COverlappedRequest::Wait(uint32_t timeoutMs) {
    if (inFlight)
        Platform::Sync().WaitForSingleObject(event.get(), timeoutMs);
    return Result(false);
}

COverlappedRequest::Status COverlappedRequest::Collect() {
    return Result(true);
}

bool COverlappedRequest::HasCompleted() const {
    return !inFlight || io.HasCompleted(&block);
}

void COverlappedRequest::Cancel() {
    if (!inFlight)
        return;
    // Nothing to cancel when it has ended already; it is collected either way.
    io.CancelIoEx(device, &block);
    Result(true);
}

}  // namespace Orv
