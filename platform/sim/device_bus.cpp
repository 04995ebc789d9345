// The virtual device bus: its devices, handles and requests in flight, and
// its control surface (sim_devices.h).  The ports on it are in
// device_interfaces.cpp, hid.cpp and device_io.cpp; what each device does
// is its model (virtual_device.h).
#include "platform/sim/device_bus.h"

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <utility>

#include "common/device_ids.h"
#include "platform/message_window.h"
#include "platform/sim/sim_devices_internal.h"
#include "platform/sim/sim_internal.h"
#include "platform/sync.h"

namespace Orv::Sim {

namespace Bus {

namespace {
constexpr size_t kQueuedReports = 32;
}  // namespace

State& Get() {
    static State* bus = new State;
    return *bus;
}

void SetError(uint32_t error) {
    Platform::Sync().SetLastError(error);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
            return false;
    return true;
}

OpenHandle* Find(State& bus, Platform::Handle handle) {
    auto it = bus.handles.find(reinterpret_cast<uintptr_t>(handle));
    return it == bus.handles.end() ? nullptr : &it->second;
}

OpenHandle* Usable(State& bus, Platform::Handle handle) {
    OpenHandle* open = Find(bus, handle);
    if (open == nullptr) {
        SetError(Platform::kErrorInvalidHandle);
        return nullptr;
    }
    if (!open->device->present) {
        SetError(Platform::kErrorDeviceNotConnected);
        return nullptr;
    }
    return open;
}

std::shared_ptr<Device> Present(State& bus, DeviceId id) {
    auto it = bus.devices.find(id);
    if (it == bus.devices.end() || !it->second->present)
        return nullptr;
    return it->second;
}

void Complete(Request& request, uint32_t error, uint32_t transferred,
              const std::vector<uint8_t>* output) {
    if (output != nullptr && error == 0 && request.buffer != nullptr) {
        transferred = static_cast<uint32_t>(std::min<size_t>(output->size(), request.bytes));
        std::copy_n(output->begin(), transferred, request.buffer);
    }
    request.done = true;
    request.error = error;
    request.transferred = transferred;
    request.buffer = nullptr;
    if (request.sync) {
        request.sync->done = true;
        request.sync->error = error;
        request.sync->transferred = transferred;
    }
    if (request.event != nullptr)
        Platform::Sync().SetEvent(request.event);
}

void EndRequest(OpenHandle& open, Request& request, uint32_t error) {
    Complete(request, error, 0);
    if (open.iface == Interface::Display)
        open.device->model->OnRequestEnded(request.id);
}

int EndRequests(OpenHandle& open, uint32_t error, uint32_t thread) {
    int ended = 0;
    for (Request& request : open.requests) {
        if (request.done || (thread != 0 && request.thread != thread))
            continue;
        EndRequest(open, request, error);
        ++ended;
    }
    return ended;
}

void Deliver(Request& read, const std::vector<uint8_t>& report) {
    if (report.size() > read.bytes) {
        Complete(read, Platform::kErrorInvalidUserBuffer, 0);
        return;
    }
    Complete(read, 0, 0, &report);
}

namespace {

// The oldest read in flight on the device's HID interface that may complete
// now: not delayed by the pending fault.
Request* WaitingRead(State& bus, const Device& device) {
    for (auto& [value, open] : bus.handles) {
        if (open.device.get() != &device || open.iface != Interface::Hid)
            continue;
        for (Request& read : open.requests)
            if (!read.done && read.pollsLeft == 0)
                return &read;
    }
    return nullptr;
}

}  // namespace

void QueueInputReport(State& bus, Device& device, std::vector<uint8_t> report) {
    if (Request* read = WaitingRead(bus, device)) {
        Deliver(*read, report);
        return;
    }
    device.queue.push_back(std::move(report));
    if (device.queue.size() > kQueuedReports)
        device.queue.pop_front();
}

bool ModelRequests::End(RequestId id, const RequestResult& result) {
    for (auto& [value, open] : bus_.handles) {
        if (open.device.get() != &device_ || open.iface != Interface::Display)
            continue;
        for (Request& request : open.requests) {
            if (request.id != id || request.done)
                continue;
            if (result.error != 0)
                Complete(request, result.error, 0);
            else if (request.op == DisplayRequest::Op::Write)
                Complete(request, 0, result.written);
            else
                Complete(request, 0, 0, &result.output);
            return true;
        }
    }
    return false;
}

}  // namespace Bus

// ---- The generic model --------------------------------------------------------------

VirtualDevice::VirtualDevice(VirtualHidDevice description) : description_(std::move(description)) {
    std::string error;
    parsed_ = descriptor_.Parse(description_.reportDescriptor.data(),
                                description_.reportDescriptor.size(), &error);
}

std::vector<uint8_t> VirtualDevice::OnButtons(const std::vector<uint16_t>& usages, bool down) {
    if (!parsed_)
        return {};
    for (uint16_t usage : usages) {
        auto it = std::find(down_.begin(), down_.end(), usage);
        if (down && it == down_.end())
            down_.push_back(usage);
        if (!down && it != down_.end())
            down_.erase(it);
    }
    return descriptor_.BuildInputReport(Platform::kHidUsagePageButton, down_);
}

uint32_t VirtualDevice::OnFeature(const std::vector<uint8_t>& /*report*/) {
    return std::exchange(faults_.featureError, 0);
}

RequestResult VirtualDevice::OnDisplayRequest(const DisplayRequest& /*request*/,
                                              PendingRequests& /*pending*/) {
    return RequestResult::Fail(Platform::kErrorInvalidFunction);
}

void VirtualDevice::OnRequestEnded(RequestId /*id*/) {}

bool VirtualDevice::OnFault(DeviceFault fault, uint32_t arg) {
    switch (fault) {
        case DeviceFault::Open:
            faults_.openError = arg;
            return true;
        case DeviceFault::Read:
            faults_.readError = arg;
            return true;
        case DeviceFault::Feature:
            faults_.featureError = arg;
            return true;
        case DeviceFault::Pending:
            faults_.pendingPolls = arg;
            return true;
        case DeviceFault::Serial:
            faults_.noSerial = arg != 0;
            return true;
        case DeviceFault::IoControl:
            return false;  // only a model of a display interface knows it
    }
    return false;
}

// ---- Control surface ------------------------------------------------------------------

namespace {

using Bus::Guard;

std::wstring GuidText(const Platform::Guid& g) {
    wchar_t buf[48];
    std::swprintf(buf, 48, L"{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", g.data1, g.data2,
                  g.data3, g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5],
                  g.data4[6], g.data4[7]);
    return buf;
}

}  // namespace

DeviceId PlugDevice(const VirtualHidDevice& desc) {
    return PlugDevice(std::make_shared<VirtualDevice>(desc));
}

DeviceId PlugDevice(std::shared_ptr<VirtualDevice> model) {
    if (!model)
        return 0;
    const VirtualHidDevice& desc = model->Description();
    std::wstring hidPath, displayPath;
    DeviceId id = 0;
    {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        auto device = std::make_shared<Bus::Device>();
        id = device->id = bus.nextId++;
        device->model = std::move(model);
        wchar_t buf[160];
        std::swprintf(buf, 160, L"\\\\?\\HID#VID_%04X&PID_%04X#7&2A%05X&0&0000#", desc.vendorId,
                      desc.productId, id);
        if (desc.hasHidInterface)
            device->hidPath = buf + GuidText(GUID_HID_INTERFACE);
        std::swprintf(buf, 160, L"\\\\?\\USB#VID_%04X&PID_%04X&MI_01#8&3B%05X&0&0001#",
                      desc.vendorId, desc.productId, id);
        if (desc.hasDisplayInterface)
            device->displayPath = buf + GuidText(desc.displayClass);
        std::swprintf(buf, 160, L"\\Device\\%08X", 0x60 + id);
        device->pdoName = buf;
        hidPath = device->hidPath;
        displayPath = device->displayPath;
        bus.devices[id] = device;
    }
    if (desc.hasHidInterface)
        Detail::BroadcastDeviceInterface(GUID_HID_INTERFACE, hidPath, Platform::kDbtDeviceArrival);
    if (desc.hasDisplayInterface)
        Detail::BroadcastDeviceInterface(desc.displayClass, displayPath,
                                         Platform::kDbtDeviceArrival);
    return id;
}

bool UnplugDevice(DeviceId id) {
    std::wstring hidPath, displayPath;
    std::shared_ptr<Bus::Device> device;
    {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        device = Bus::Present(bus, id);
        if (!device)
            return false;
        device->present = false;
        device->queue.clear();
        for (auto& [value, open] : bus.handles)
            if (open.device == device)
                Bus::EndRequests(open, Platform::kErrorDeviceNotConnected);
        hidPath = device->hidPath;
        displayPath = device->displayPath;
    }
    const VirtualHidDevice& desc = device->Desc();
    if (desc.hasHidInterface)
        Detail::BroadcastDeviceInterface(GUID_HID_INTERFACE, hidPath,
                                         Platform::kDbtDeviceRemoveComplete);
    if (desc.hasDisplayInterface)
        Detail::BroadcastDeviceInterface(desc.displayClass, displayPath,
                                         Platform::kDbtDeviceRemoveComplete);
    return true;
}

namespace {
template <typename F>
std::wstring DeviceText(DeviceId id, F field) {
    Bus::State& bus = Bus::Get();
    Guard lk(bus.mu);
    auto it = bus.devices.find(id);
    return it == bus.devices.end() ? std::wstring() : field(*it->second);
}
}  // namespace

std::wstring HidInterfacePath(DeviceId id) {
    return DeviceText(id, [](const Bus::Device& d) { return d.hidPath; });
}
std::wstring DisplayInterfacePath(DeviceId id) {
    return DeviceText(id, [](const Bus::Device& d) { return d.displayPath; });
}
std::wstring PhysicalDeviceObjectName(DeviceId id) {
    return DeviceText(id, [](const Bus::Device& d) { return d.pdoName; });
}

bool SetButtons(DeviceId id, const std::vector<uint16_t>& usages, bool down) {
    Bus::State& bus = Bus::Get();
    Guard lk(bus.mu);
    std::shared_ptr<Bus::Device> device = Bus::Present(bus, id);
    if (!device || !device->Desc().hasHidInterface)
        return false;
    std::vector<uint8_t> report = device->model->OnButtons(usages, down);
    if (report.empty())
        return false;
    Bus::QueueInputReport(bus, *device, std::move(report));
    return true;
}

bool SendInputReport(DeviceId id, const std::vector<uint8_t>& report) {
    Bus::State& bus = Bus::Get();
    Guard lk(bus.mu);
    std::shared_ptr<Bus::Device> device = Bus::Present(bus, id);
    if (!device)
        return false;
    Bus::QueueInputReport(bus, *device, report);
    return true;
}

bool SetDeviceFault(DeviceId id, DeviceFault fault, uint32_t arg) {
    Bus::State& bus = Bus::Get();
    Guard lk(bus.mu);
    auto it = bus.devices.find(id);
    if (it == bus.devices.end())
        return false;
    return it->second->model->OnFault(fault, arg);
}

bool WithModel(DeviceId id, const std::function<void(VirtualDevice&, PendingRequests&)>& fn) {
    Bus::State& bus = Bus::Get();
    Guard lk(bus.mu);
    auto it = bus.devices.find(id);
    if (it == bus.devices.end())
        return false;
    Bus::ModelRequests pending(bus, *it->second);
    fn(*it->second->model, pending);
    return true;
}

void SetFeatureObserver(FeatureObserver observer) {
    Bus::State& bus = Bus::Get();
    Guard lk(bus.mu);
    bus.featureObserver = std::move(observer);
}

std::vector<std::vector<uint8_t>> TakeFeatureReports(DeviceId id) {
    Bus::State& bus = Bus::Get();
    Guard lk(bus.mu);
    auto it = bus.devices.find(id);
    if (it == bus.devices.end())
        return {};
    return std::exchange(it->second->features, {});
}

DeviceBusUsage BusUsage() {
    Bus::State& bus = Bus::Get();
    Guard lk(bus.mu);
    DeviceBusUsage usage;
    usage.openHandles = static_cast<int>(bus.handles.size());
    usage.preparsedData = static_cast<int>(bus.preparsed.size());
    usage.interfaceLists = static_cast<int>(bus.lists.size());
    for (const auto& [value, open] : bus.handles)
        for (const Bus::Request& request : open.requests)
            if (!request.done)
                ++usage.pendingReads;
    return usage;
}

void ResetDevices() {
    {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        bus.devices.clear();
        bus.handles.clear();
        for (Bus::Preparsed* p : bus.preparsed)
            delete p;
        bus.preparsed.clear();
        for (Bus::InterfaceListObject* l : bus.lists)
            delete l;
        bus.lists.clear();
        bus.nextId = 1;
        bus.nextHandle = 0xD0000000u;
        bus.nextRequest = 1;
        bus.featureObserver = nullptr;
    }
    Detail::ResetMessageWindows();
}

void Detail::ResetDeviceBus() {
    ResetDevices();
}

std::vector<uint8_t> PanelReportDescriptor(int buttons, int featureLength) {
    std::vector<uint8_t> d = {
        0x05, 0x01,  // usage page: generic desktop
        0x09, 0x04,  // usage: joystick
        0xA1, 0x01,  // collection: application
    };
    if (buttons > 0) {
        uint8_t n = static_cast<uint8_t>(buttons);
        d.insert(d.end(), {
                              0x05, 0x09,  // usage page: button
                              0x19, 0x01,  // usage minimum 1
                              0x29, n,     // usage maximum
                              0x15, 0x00,  // logical minimum 0
                              0x25, 0x01,  // logical maximum 1
                              0x75, 0x01,  // report size 1
                              0x95, n,     // report count
                              0x81, 0x02,  // input: data, variable, absolute
                          });
        int pad = (8 - buttons % 8) % 8;
        if (pad != 0)
            d.insert(d.end(), {0x75, 0x01, 0x95, static_cast<uint8_t>(pad), 0x81, 0x03});
    }
    if (featureLength > 1) {
        d.insert(d.end(), {
                              0x06, 0x00, 0xFF,  // usage page: vendor defined
                              0x09, 0x01,        // usage 1
                              0x15, 0x00,        // logical minimum 0
                              0x26, 0xFF, 0x00,  // logical maximum 255
                              0x75, 0x08,        // report size 8
                              0x95, static_cast<uint8_t>(featureLength - 1), 0xB1,
                              0x02,  // feature: data, variable, absolute
                          });
    }
    d.push_back(0xC0);  // end collection
    return d;
}

}  // namespace Orv::Sim
