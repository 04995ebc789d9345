// The virtual device bus's state, shared by the ports on it (device
// interfaces, HID, device I/O) and its control surface (not for users).
//
// All bus state is guarded by one mutex, which is never held across a
// platform wait: a request that must be waited for is waited for through
// its event and the sync port, after the mutex is released.  Events are
// signalled with the mutex held; the kernel never calls back.  Device
// models are called with the mutex held (see virtual_device.h).
#pragma once

#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/device_io.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_hid_descriptor.h"
#include "platform/sim/virtual_device.h"
#include "platform/types.h"

namespace Orv::Sim::Bus {

struct Device {
    DeviceId id = 0;
    std::shared_ptr<VirtualDevice> model;
    std::wstring hidPath;
    std::wstring displayPath;
    std::wstring pdoName;
    bool present = true;
    std::deque<std::vector<uint8_t>> queue;  // input reports no read took yet
    std::vector<std::vector<uint8_t>> features;

    const VirtualHidDevice& Desc() const { return model->Description(); }
};

enum class Interface { Hid, Display };

// Where a synchronous request's caller waits, and what it finds there: it
// outlives the request when the handle is closed meanwhile.
struct SyncSlot {
    Platform::Handle event = nullptr;
    bool done = false;
    uint32_t error = 0;
    uint32_t transferred = 0;
};

struct Request {
    RequestId id = 0;
    Platform::Overlapped* overlapped = nullptr;  // null on a synchronous handle
    DisplayRequest::Op op = DisplayRequest::Op::Read;
    uint8_t* buffer = nullptr;  // IoControl output or Read buffer; null once ended
    uint32_t bytes = 0;
    uint32_t pollsLeft = 0;  // the pending fault: polls until it may complete
    uint32_t thread = 0;     // the issuing thread, for CancelIo
    bool done = false;
    uint32_t error = 0;
    uint32_t transferred = 0;
    Platform::Handle event = nullptr;
    std::shared_ptr<SyncSlot> sync;
};

struct OpenHandle {
    std::shared_ptr<Device> device;
    Interface iface = Interface::Hid;
    bool overlapped = false;
    std::list<Request> requests;  // in flight or ended and not yet collected
};

struct Preparsed {
    HidDescriptor descriptor;
};

struct InterfaceListObject {
    struct Item {
        std::wstring path;
        std::wstring pdo;
    };
    std::vector<Item> items;
};

struct State {
    std::mutex mu;
    DeviceId nextId = 1;
    std::map<DeviceId, std::shared_ptr<Device>> devices;
    uintptr_t nextHandle = 0xD0000000u;
    std::map<uintptr_t, OpenHandle> handles;
    RequestId nextRequest = 1;
    std::set<Preparsed*> preparsed;
    std::set<InterfaceListObject*> lists;
    FeatureObserver featureObserver;
};

State& Get();
using Guard = std::unique_lock<std::mutex>;

void SetError(uint32_t error);
// Case-insensitive, as Windows compares paths.
bool SamePath(const std::wstring& a, const std::wstring& b);

// The open handle, or null (no error set).
OpenHandle* Find(State& bus, Platform::Handle handle);
// A handle whose device is still present; else null with the last error
// set (ERROR_INVALID_HANDLE, ERROR_DEVICE_NOT_CONNECTED).
OpenHandle* Usable(State& bus, Platform::Handle handle);
std::shared_ptr<Device> Present(State& bus, DeviceId id);

// Ends a request: its result, the output bytes into its buffer, its event
// signalled.  Nothing is written into the buffer afterwards.
void Complete(Request& request, uint32_t error, uint32_t transferred,
              const std::vector<uint8_t>* output = nullptr);
// Ends every request of the handle still in flight with error (and tells
// the model of each display request).  thread: only that thread's (0: all).
// The number ended.
int EndRequests(OpenHandle& open, uint32_t error, uint32_t thread = 0);
// Ends one request in flight with error, the model told.
void EndRequest(OpenHandle& open, Request& request, uint32_t error);

// Hands an input report to the device's oldest read that may take it, or
// queues it.
void QueueInputReport(State& bus, Device& device, std::vector<uint8_t> report);
// Hands a report to a read in flight.
void Deliver(Request& read, const std::vector<uint8_t>& report);

// The bus's PendingRequests for a device's model.
class ModelRequests final : public PendingRequests {
public:
    ModelRequests(State& bus, Device& device) : bus_(bus), device_(device) {}
    bool End(RequestId id, const RequestResult& result) override;

private:
    State& bus_;
    Device& device_;
};

}  // namespace Orv::Sim::Bus
