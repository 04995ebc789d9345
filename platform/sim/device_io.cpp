// The device I/O port on the virtual device bus.  A HID interface path
// takes input report reads (the other requests fail with
// ERROR_INVALID_FUNCTION); a display interface path hands every request to
// the device's model, which completes it at once, fails it, or leaves it
// pending and ends it later.
//
// A request on an overlapped handle that does not complete at once stays
// on the handle until GetOverlappedResult collects it.  A request on a
// synchronous handle that the model leaves pending is waited for through
// the sync port (an event of the bus's own), never with the bus mutex held.
//
// Differences from Windows: GetOverlappedResult with wait needs the block's
// event (the bus has no file object to wait on): without one it fails with
// ERROR_INVALID_PARAMETER.  HasCompleted looks the block's request up
// rather than reading a status word from the block: a block with no
// request on the bus counts as completed.
#include "platform/device_io.h"

#include <algorithm>
#include <memory>

#include "platform/sim/device_bus.h"
#include "platform/sync.h"

namespace Orv::Sim {
namespace {

using Bus::Guard;
using Bus::OpenHandle;
using Bus::Request;
using Op = DisplayRequest::Op;
using Platform::Handle;

// One request as the port's callers issue it.
struct Issue {
    Op op = Op::Read;
    uint32_t code = 0;
    const void* input = nullptr;
    uint32_t inputBytes = 0;
    void* output = nullptr;  // IoControl output, Read buffer
    uint32_t outputBytes = 0;
};

// The result of a request that has ended: true with the bytes moved, or
// false with its error as the last error.
bool Ended(uint32_t error, uint32_t moved, uint32_t* transferred) {
    if (error != 0) {
        Bus::SetError(error);
        return false;
    }
    if (transferred != nullptr)
        *transferred = moved;
    return true;
}

Request* FindRequest(OpenHandle& open, const Platform::Overlapped* overlapped) {
    for (Request& request : open.requests)
        if (request.overlapped == overlapped)
            return &request;
    return nullptr;
}

// Ends request at once as the HID interface does: an input report read.
void StartHidRequest(Bus::Device& device, bool overlapped, Request& request) {
    if (request.op != Op::Read) {
        Bus::Complete(request, Platform::kErrorInvalidFunction, 0);
        return;
    }
    request.pollsLeft = overlapped ? device.model->Faults().pendingPolls : 0;
    if (request.pollsLeft == 0 && !device.queue.empty()) {
        std::vector<uint8_t> report = std::move(device.queue.front());
        device.queue.pop_front();
        Bus::Deliver(request, report);
    }
}

void StartDisplayRequest(Bus::State& bus, Bus::Device& device, const Issue& issue,
                         Request& request) {
    DisplayRequest display;
    display.op = issue.op;
    display.id = request.id;
    display.code = issue.code;
    if (issue.input != nullptr) {
        const auto* p = static_cast<const uint8_t*>(issue.input);
        display.input.assign(p, p + issue.inputBytes);
    }
    display.outputBytes = issue.op == Op::Write ? 0 : issue.outputBytes;
    Bus::ModelRequests pending(bus, device);
    RequestResult result = device.model->OnDisplayRequest(display, pending);
    if (result.pending)
        return;
    if (result.error != 0)
        Bus::Complete(request, result.error, 0);
    else if (issue.op == Op::Write)
        Bus::Complete(request, 0, std::min(result.written, issue.inputBytes));
    else
        Bus::Complete(request, 0, 0, &result.output);
}

class SimDeviceIo final : public Platform::IDeviceIo {
public:
    Handle Open(const wchar_t* path, bool overlapped) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        if (path == nullptr) {
            Bus::SetError(Platform::kErrorInvalidParameter);
            return nullptr;
        }
        for (auto& [id, device] : bus.devices) {
            if (!device->present)
                continue;
            const VirtualHidDevice& desc = device->Desc();
            Bus::Interface iface;
            if (desc.hasHidInterface && Bus::SamePath(device->hidPath, path)) {
                iface = Bus::Interface::Hid;
                if (uint32_t error = device->model->Faults().openError; error != 0) {
                    Bus::SetError(error);
                    return nullptr;
                }
            } else if (desc.hasDisplayInterface && Bus::SamePath(device->displayPath, path)) {
                iface = Bus::Interface::Display;
                if (uint32_t error = device->model->Faults().openError; error != 0) {
                    Bus::SetError(error);
                    return nullptr;
                }
            } else {
                continue;
            }
            uintptr_t value = bus.nextHandle;
            bus.nextHandle += 4;
            bus.handles[value] = OpenHandle{device, iface, overlapped, {}};
            return reinterpret_cast<Handle>(value);
        }
        Bus::SetError(Platform::kErrorFileNotFound);
        return nullptr;
    }

    bool Close(Handle handle) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        auto it = bus.handles.find(reinterpret_cast<uintptr_t>(handle));
        if (it == bus.handles.end()) {
            Bus::SetError(Platform::kErrorInvalidHandle);
            return false;
        }
        // Closing ends the handle's requests; nothing is written any more.
        Bus::EndRequests(it->second, Platform::kErrorOperationAborted);
        bus.handles.erase(it);
        return true;
    }

    bool IoControl(Handle device, uint32_t code, const void* input, uint32_t inputBytes,
                   void* output, uint32_t outputBytes, uint32_t* returned,
                   Platform::Overlapped* overlapped) override {
        return Start(device, {Op::IoControl, code, input, inputBytes, output, outputBytes},
                     returned, overlapped);
    }

    bool Read(Handle device, void* buffer, uint32_t bytes, uint32_t* transferred,
              Platform::Overlapped* overlapped) override {
        return Start(device, {Op::Read, 0, nullptr, 0, buffer, bytes}, transferred, overlapped);
    }

    bool Write(Handle device, const void* buffer, uint32_t bytes, uint32_t* transferred,
               Platform::Overlapped* overlapped) override {
        return Start(device, {Op::Write, 0, buffer, bytes, nullptr, 0}, transferred, overlapped);
    }

    bool GetOverlappedResult(Handle handle, Platform::Overlapped* overlapped, uint32_t* transferred,
                             bool wait) override {
        Handle event = nullptr;
        {
            Bus::State& bus = Bus::Get();
            Guard lk(bus.mu);
            OpenHandle* open = Bus::Find(bus, handle);
            if (open == nullptr) {
                Bus::SetError(Platform::kErrorInvalidHandle);
                return false;
            }
            auto it = std::find_if(open->requests.begin(), open->requests.end(),
                                   [&](const Request& r) { return r.overlapped == overlapped; });
            if (overlapped == nullptr || it == open->requests.end()) {
                Bus::SetError(Platform::kErrorInvalidParameter);
                return false;
            }
            Request& request = *it;
            Bus::Device& device = *open->device;
            // The pending fault: a read may complete at its last delayed poll.
            if (!request.done && request.pollsLeft > 0 && --request.pollsLeft == 0 &&
                !device.queue.empty()) {
                std::vector<uint8_t> report = std::move(device.queue.front());
                device.queue.pop_front();
                Bus::Deliver(request, report);
            }
            if (request.done)
                return Collect(*open, it, transferred);
            if (!wait) {
                Bus::SetError(Platform::kErrorIoIncomplete);
                return false;
            }
            event = request.event;
            if (event == nullptr) {
                Bus::SetError(Platform::kErrorInvalidParameter);
                return false;
            }
        }
        Platform::Sync().WaitForSingleObject(event, Platform::kInfinite);
        return GetOverlappedResult(handle, overlapped, transferred, false);
    }

    bool HasCompleted(const Platform::Overlapped* overlapped) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        for (auto& [value, open] : bus.handles)
            if (const Request* request = FindRequest(open, overlapped))
                return request->done;
        return true;
    }

    bool CancelIo(Handle handle) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        OpenHandle* open = Bus::Find(bus, handle);
        if (open == nullptr) {
            Bus::SetError(Platform::kErrorInvalidHandle);
            return false;
        }
        Bus::EndRequests(*open, Platform::kErrorOperationAborted,
                         Platform::Sync().GetCurrentThreadId());
        return true;
    }

    bool CancelIoEx(Handle handle, Platform::Overlapped* overlapped) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        OpenHandle* open = Bus::Find(bus, handle);
        if (open == nullptr) {
            Bus::SetError(Platform::kErrorInvalidHandle);
            return false;
        }
        int ended = 0;
        if (overlapped == nullptr) {
            ended = Bus::EndRequests(*open, Platform::kErrorOperationAborted);
        } else if (Request* request = FindRequest(*open, overlapped);
                   request != nullptr && !request->done) {
            Bus::EndRequest(*open, *request, Platform::kErrorOperationAborted);
            ended = 1;
        }
        if (ended == 0) {
            Bus::SetError(Platform::kErrorNotFound);
            return false;
        }
        return true;
    }

private:
    bool Start(Handle handle, const Issue& issue, uint32_t* transferred,
               Platform::Overlapped* overlapped) {
        if (transferred != nullptr)
            *transferred = 0;
        std::shared_ptr<Bus::SyncSlot> slot;
        RequestId id = 0;
        {
            Bus::State& bus = Bus::Get();
            Guard lk(bus.mu);
            OpenHandle* open = Bus::Usable(bus, handle);
            if (open == nullptr)
                return false;
            if ((open->overlapped && overlapped == nullptr) ||
                (issue.output == nullptr && issue.outputBytes != 0) ||
                (issue.input == nullptr && issue.inputBytes != 0) ||
                (issue.op == Op::Read && issue.output == nullptr)) {
                Bus::SetError(Platform::kErrorInvalidParameter);
                return false;
            }
            Bus::Device& device = *open->device;
            if (open->iface == Bus::Interface::Hid && issue.op == Op::Read) {
                Platform::HidReportType input = Platform::HidReportType::Input;
                if (uint32_t error = std::exchange(device.model->Faults().readError, 0);
                    error != 0) {
                    Bus::SetError(error);
                    return false;
                }
                if (issue.outputBytes < device.model->Descriptor().ReportLength(input)) {
                    Bus::SetError(Platform::kErrorInvalidUserBuffer);
                    return false;
                }
            }
            if (!open->overlapped)
                overlapped = nullptr;
            // A block used again forgets the request it carried before.
            if (overlapped != nullptr)
                std::erase_if(open->requests,
                              [&](const Request& r) { return r.overlapped == overlapped; });
            Request request;
            request.id = id = bus.nextRequest++;
            request.overlapped = overlapped;
            request.op = issue.op;
            request.buffer = static_cast<uint8_t*>(issue.output);
            request.bytes = issue.outputBytes;
            request.thread = Platform::Sync().GetCurrentThreadId();
            if (overlapped != nullptr) {
                request.event = overlapped->event;
                if (request.event != nullptr)
                    Platform::Sync().ResetEvent(request.event);
            } else {
                slot = std::make_shared<Bus::SyncSlot>();
                slot->event = Platform::Sync().CreateEvent(true, false);
                request.event = slot->event;
                request.sync = slot;
            }
            Request& issued = open->requests.emplace_back(std::move(request));
            if (open->iface == Bus::Interface::Hid)
                StartHidRequest(device, overlapped != nullptr, issued);
            else
                StartDisplayRequest(bus, device, issue, issued);
            if (issued.done) {
                uint32_t error = issued.error;
                uint32_t moved = issued.transferred;
                // Completed at once: an overlapped block may still be
                // collected with GetOverlappedResult; a synchronous one is
                // done with.
                if (overlapped == nullptr)
                    open->requests.pop_back();
                if (slot)
                    Platform::Sync().CloseHandle(slot->event);
                return Ended(error, moved, transferred);
            }
            if (overlapped != nullptr) {
                Bus::SetError(Platform::kErrorIoPending);
                return false;
            }
        }
        // A synchronous request left pending: wait until it ends.
        Platform::Sync().WaitForSingleObject(slot->event, Platform::kInfinite);
        uint32_t error = 0;
        uint32_t moved = 0;
        {
            Bus::State& bus = Bus::Get();
            Guard lk(bus.mu);
            if (OpenHandle* open = Bus::Find(bus, handle))
                std::erase_if(open->requests, [&](const Request& r) { return r.id == id; });
            error = slot->done ? slot->error : Platform::kErrorOperationAborted;
            moved = slot->transferred;
        }
        Platform::Sync().CloseHandle(slot->event);
        return Ended(error, moved, transferred);
    }

    static bool Collect(OpenHandle& open, std::list<Request>::iterator it, uint32_t* transferred) {
        uint32_t error = it->error;
        if (transferred != nullptr)
            *transferred = it->transferred;
        open.requests.erase(it);
        if (error != 0) {
            Bus::SetError(error);
            return false;
        }
        return true;
    }
};

}  // namespace
}  // namespace Orv::Sim

namespace Orv::Platform {

IDeviceIo& DeviceIo() {
    static IDeviceIo* io = new Sim::SimDeviceIo;
    return *io;
}

}  // namespace Orv::Platform
