// The virtual device bus and the device ports on it: interface enumeration
// (SetupAPI) and the HID operations (CreateFileW, hid.dll, overlapped
// reads).
//
// All bus state is guarded by one mutex, which is never held across a
// platform wait: a read that must wait (GetOverlappedResult with wait)
// waits for its event through the sync port, after the mutex is released.
// Events are signalled with the mutex held; the kernel never calls back.
#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <utility>

#include "common/device_ids.h"
#include "platform/device_interfaces.h"
#include "platform/hid.h"
#include "platform/message_window.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_devices_internal.h"
#include "platform/sim/sim_hid_descriptor.h"
#include "platform/sim/sim_internal.h"
#include "platform/sync.h"

namespace Orv::Sim {
namespace {

using Platform::Handle;
using Platform::HidReportType;

constexpr size_t kQueuedReports = 32;
constexpr uint32_t kErrorNoMoreItems = 259;

struct Device {
    DeviceId id = 0;
    VirtualHidDevice desc;
    std::wstring hidPath;
    std::wstring displayPath;
    std::wstring pdoName;
    bool present = true;
    bool descriptorOk = false;
    HidDescriptor descriptor;
    std::deque<std::vector<uint8_t>> queue;
    std::vector<uint16_t> down;  // Button-page usages held down
    uint32_t openError = 0;
    uint32_t readError = 0;
    uint32_t featureError = 0;
    uint32_t pendingPolls = 0;
    bool noSerial = false;
    std::vector<std::vector<uint8_t>> features;
};

struct Read {
    Platform::Overlapped* overlapped = nullptr;
    uint8_t* buffer = nullptr;
    uint32_t bytes = 0;
    uint32_t pollsLeft = 0;
    bool done = false;
    uint32_t error = 0;
    uint32_t transferred = 0;
    Handle event = nullptr;
};

struct OpenDevice {
    std::shared_ptr<Device> device;
    bool overlapped = false;
    std::vector<Read> reads;
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

struct Bus {
    std::mutex mu;
    DeviceId nextId = 1;
    std::map<DeviceId, std::shared_ptr<Device>> devices;
    uintptr_t nextHandle = 0xD0000000u;
    std::map<uintptr_t, OpenDevice> handles;
    std::set<Preparsed*> preparsed;
    std::set<InterfaceListObject*> lists;
    FeatureObserver featureObserver;
};

Bus& B() {
    static Bus* bus = new Bus;
    return *bus;
}

using Guard = std::unique_lock<std::mutex>;

void SetError(uint32_t error) {
    Platform::Sync().SetLastError(error);
}

std::wstring GuidText(const Platform::Guid& g) {
    wchar_t buf[48];
    std::swprintf(buf, 48, L"{%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}", g.data1, g.data2,
                  g.data3, g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5],
                  g.data4[6], g.data4[7]);
    return buf;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
            return false;
    return true;
}

OpenDevice* Find(Bus& bus, Handle handle) {
    auto it = bus.handles.find(reinterpret_cast<uintptr_t>(handle));
    return it == bus.handles.end() ? nullptr : &it->second;
}

void Complete(Read& read, uint32_t error, uint32_t transferred) {
    read.done = true;
    read.error = error;
    read.transferred = transferred;
    read.buffer = nullptr;
    if (read.event != nullptr)
        Platform::Sync().SetEvent(read.event);
}

// Ends every read of the handle still in flight with the error.
void EndReads(OpenDevice& open, uint32_t error) {
    for (Read& read : open.reads)
        if (!read.done)
            Complete(read, error, 0);
}

// Hands a report to a waiting read.
void Deliver(Read& read, const std::vector<uint8_t>& report) {
    if (report.size() > read.bytes) {
        Complete(read, Platform::kErrorInvalidUserBuffer, 0);
        return;
    }
    std::copy(report.begin(), report.end(), read.buffer);
    Complete(read, 0, static_cast<uint32_t>(report.size()));
}

// A waiting read of the device that may complete now: not delayed by the
// pending fault.
Read* WaitingRead(Bus& bus, const Device& device) {
    for (auto& [value, open] : bus.handles) {
        if (open.device.get() != &device)
            continue;
        for (Read& read : open.reads)
            if (!read.done && read.pollsLeft == 0)
                return &read;
    }
    return nullptr;
}

void Queue(Bus& bus, Device& device, std::vector<uint8_t> report) {
    if (Read* read = WaitingRead(bus, device)) {
        Deliver(*read, report);
        return;
    }
    device.queue.push_back(std::move(report));
    if (device.queue.size() > kQueuedReports)
        device.queue.pop_front();
}

std::shared_ptr<Device> Present(Bus& bus, DeviceId id) {
    auto it = bus.devices.find(id);
    if (it == bus.devices.end() || !it->second->present)
        return nullptr;
    return it->second;
}

// ---- IDeviceInterfaces --------------------------------------------------------------

class SimDeviceInterfaces final : public Platform::IDeviceInterfaces {
public:
    Platform::InterfaceList OpenInterfaceList(const Platform::Guid& interfaceClass) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        auto* list = new InterfaceListObject;
        for (const auto& [id, device] : bus.devices) {
            if (!device->present)
                continue;
            if (interfaceClass == GUID_HID_INTERFACE)
                list->items.push_back({device->hidPath, device->pdoName});
            else if (device->desc.hasDisplayInterface &&
                     interfaceClass == device->desc.displayClass)
                list->items.push_back({device->displayPath, device->pdoName});
        }
        bus.lists.insert(list);
        return list;
    }

    bool HasInterface(Platform::InterfaceList list, uint32_t index) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        auto* object = Valid(bus, list);
        if (object == nullptr || index >= object->items.size()) {
            SetError(kErrorNoMoreItems);
            return false;
        }
        return true;
    }

    uint32_t GetInterfaceDetailSize(Platform::InterfaceList list, uint32_t index) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        auto* object = Valid(bus, list);
        if (object == nullptr || index >= object->items.size())
            return 0;
        // The detail structure's fixed part and the terminated UTF-16 path.
        return static_cast<uint32_t>(4 + (object->items[index].path.size() + 1) * 2);
    }

    bool GetInterfacePath(Platform::InterfaceList list, uint32_t index,
                          std::wstring* path) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        if (path != nullptr)
            path->clear();
        auto* object = Valid(bus, list);
        if (object == nullptr || index >= object->items.size() || path == nullptr) {
            SetError(Platform::kErrorInvalidParameter);
            return false;
        }
        *path = object->items[index].path;
        return true;
    }

    std::wstring GetPhysicalDeviceObjectName(Platform::InterfaceList list,
                                             uint32_t index) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        auto* object = Valid(bus, list);
        if (object == nullptr || index >= object->items.size())
            return {};
        return object->items[index].pdo;
    }

    void CloseInterfaceList(Platform::InterfaceList list) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        auto* object = Valid(bus, list);
        if (object == nullptr)
            return;
        bus.lists.erase(object);
        delete object;
    }

private:
    static InterfaceListObject* Valid(Bus& bus, Platform::InterfaceList list) {
        auto* object = static_cast<InterfaceListObject*>(list);
        return bus.lists.count(object) != 0 ? object : nullptr;
    }
};

// ---- IHid -----------------------------------------------------------------------------

class SimHid final : public Platform::IHid {
public:
    Platform::Guid GetHidGuid() override { return GUID_HID_INTERFACE; }

    Handle OpenDevice(const wchar_t* path, bool overlapped) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        if (path == nullptr) {
            SetError(Platform::kErrorInvalidParameter);
            return nullptr;
        }
        for (auto& [id, device] : bus.devices) {
            if (!device->present || !SamePath(device->hidPath, path))
                continue;
            if (device->openError != 0) {
                SetError(device->openError);
                return nullptr;
            }
            uintptr_t value = bus.nextHandle;
            bus.nextHandle += 4;
            bus.handles[value] = Sim::OpenDevice{device, overlapped, {}};
            return reinterpret_cast<Handle>(value);
        }
        SetError(Platform::kErrorFileNotFound);
        return nullptr;
    }

    bool CloseDevice(Handle handle) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        auto it = bus.handles.find(reinterpret_cast<uintptr_t>(handle));
        if (it == bus.handles.end()) {
            SetError(Platform::kErrorInvalidHandle);
            return false;
        }
        // Closing ends the handle's reads; nothing is written any more.
        EndReads(it->second, Platform::kErrorOperationAborted);
        bus.handles.erase(it);
        return true;
    }

    bool GetAttributes(Handle handle, Platform::HidAttributes* attributes) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        Sim::OpenDevice* open = Usable(bus, handle, attributes);
        if (open == nullptr)
            return false;
        attributes->vendorId = open->device->desc.vendorId;
        attributes->productId = open->device->desc.productId;
        attributes->versionNumber = open->device->desc.versionNumber;
        return true;
    }

    bool GetPreparsedData(Handle handle, Platform::HidPreparsedData* data) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        Sim::OpenDevice* open = Usable(bus, handle, data);
        if (open == nullptr)
            return false;
        if (!open->device->descriptorOk) {
            SetError(Platform::kErrorInvalidData);
            return false;
        }
        auto* p = new Preparsed{open->device->descriptor};
        bus.preparsed.insert(p);
        *data = p;
        return true;
    }

    bool FreePreparsedData(Platform::HidPreparsedData data) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        auto* p = static_cast<Preparsed*>(data);
        if (bus.preparsed.erase(p) == 0)
            return false;
        delete p;
        return true;
    }

    uint32_t GetCaps(Platform::HidPreparsedData data, Platform::HidCaps* caps) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        const Preparsed* p = ValidPreparsed(bus, data);
        if (p == nullptr)
            return Platform::kHidpStatusInvalidPreparsedData;
        if (caps == nullptr)
            return Platform::kHidpStatusNull;
        *caps = p->descriptor.Caps();
        return Platform::kHidpStatusSuccess;
    }

    uint32_t MaxUsageListLength(HidReportType type, uint16_t usagePage,
                                Platform::HidPreparsedData data) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        const Preparsed* p = ValidPreparsed(bus, data);
        return p == nullptr ? 0 : p->descriptor.MaxUsageListLength(type, usagePage);
    }

    uint32_t GetUsages(HidReportType type, uint16_t usagePage, uint16_t /*linkCollection*/,
                       uint16_t* usages, uint32_t* usageLength, Platform::HidPreparsedData data,
                       const uint8_t* report, uint32_t reportLength) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        const Preparsed* p = ValidPreparsed(bus, data);
        if (p == nullptr)
            return Platform::kHidpStatusInvalidPreparsedData;
        return p->descriptor.GetUsages(type, usagePage, usages, usageLength, report, reportLength);
    }

    bool SetFeature(Handle handle, const void* report, uint32_t length) override {
        FeatureObserver observer;
        DeviceId id = 0;
        std::vector<uint8_t> bytes;
        {
            Bus& bus = B();
            Guard lk(bus.mu);
            Sim::OpenDevice* open = Usable(bus, handle);
            if (open == nullptr)
                return false;
            if (report == nullptr || length == 0) {
                SetError(Platform::kErrorInvalidParameter);
                return false;
            }
            Device& device = *open->device;
            if (device.featureError != 0) {
                SetError(device.featureError);
                device.featureError = 0;
                return false;
            }
            const auto* p = static_cast<const uint8_t*>(report);
            bytes.assign(p, p + length);
            device.features.push_back(bytes);
            id = device.id;
            observer = bus.featureObserver;
        }
        if (observer)
            observer(id, bytes);
        return true;
    }

    bool GetSerialNumberString(Handle handle, wchar_t* buffer, uint32_t bufferBytes) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        Sim::OpenDevice* open = Usable(bus, handle);
        if (open == nullptr)
            return false;
        const Device& device = *open->device;
        if (device.noSerial || device.desc.serial.empty()) {
            SetError(Platform::kErrorGenFailure);
            return false;
        }
        if (buffer == nullptr) {
            SetError(Platform::kErrorInvalidParameter);
            return false;
        }
        size_t room = bufferBytes / sizeof(wchar_t);
        size_t n = std::min(room, device.desc.serial.size());
        std::copy_n(device.desc.serial.begin(), n, buffer);
        if (n < room)
            buffer[n] = L'\0';
        return true;
    }

    bool ReadFile(Handle handle, void* buffer, uint32_t bytes,
                  Platform::Overlapped* overlapped) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        Sim::OpenDevice* open = Usable(bus, handle);
        if (open == nullptr)
            return false;
        if (!open->overlapped || overlapped == nullptr || buffer == nullptr) {
            SetError(Platform::kErrorInvalidParameter);
            return false;
        }
        Device& device = *open->device;
        if (device.readError != 0) {
            SetError(device.readError);
            device.readError = 0;
            return false;
        }
        if (bytes < device.descriptor.ReportLength(HidReportType::Input)) {
            SetError(Platform::kErrorInvalidUserBuffer);
            return false;
        }
        std::erase_if(open->reads, [&](const Read& r) { return r.overlapped == overlapped; });
        Read read;
        read.overlapped = overlapped;
        read.buffer = static_cast<uint8_t*>(buffer);
        read.bytes = bytes;
        read.pollsLeft = device.pendingPolls;
        read.event = overlapped->event;
        if (read.pollsLeft == 0 && !device.queue.empty()) {
            std::vector<uint8_t> report = std::move(device.queue.front());
            device.queue.pop_front();
            Deliver(read, report);
            open->reads.push_back(read);
            return read.error == 0 ? true : (SetError(read.error), false);
        }
        open->reads.push_back(read);
        SetError(Platform::kErrorIoPending);
        return false;
    }

    bool GetOverlappedResult(Handle handle, Platform::Overlapped* overlapped, uint32_t* transferred,
                             bool wait) override {
        Handle event = nullptr;
        {
            Bus& bus = B();
            Guard lk(bus.mu);
            Sim::OpenDevice* open = Find(bus, handle);
            if (open == nullptr) {
                SetError(Platform::kErrorInvalidHandle);
                return false;
            }
            auto it = std::find_if(open->reads.begin(), open->reads.end(),
                                   [&](const Read& r) { return r.overlapped == overlapped; });
            if (it == open->reads.end()) {
                SetError(Platform::kErrorInvalidParameter);
                return false;
            }
            Read& read = *it;
            if (!read.done && read.pollsLeft > 0 && --read.pollsLeft == 0 &&
                !open->device->queue.empty()) {
                std::vector<uint8_t> report = std::move(open->device->queue.front());
                open->device->queue.pop_front();
                Deliver(read, report);
            }
            if (read.done)
                return Collect(*open, it, transferred);
            if (!wait) {
                SetError(Platform::kErrorIoIncomplete);
                return false;
            }
            event = read.event;
        }
        // Only an ending read is waited for (after CancelIo or an unplug).
        if (event != nullptr)
            Platform::Sync().WaitForSingleObject(event, Platform::kInfinite);
        return GetOverlappedResult(handle, overlapped, transferred, false);
    }

    bool CancelIo(Handle handle) override {
        Bus& bus = B();
        Guard lk(bus.mu);
        Sim::OpenDevice* open = Find(bus, handle);
        if (open == nullptr) {
            SetError(Platform::kErrorInvalidHandle);
            return false;
        }
        EndReads(*open, Platform::kErrorOperationAborted);
        return true;
    }

private:
    // A handle whose device is still present.
    static Sim::OpenDevice* Usable(Bus& bus, Handle handle) {
        Sim::OpenDevice* open = Find(bus, handle);
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

    // The same, for a call whose output must not be null.
    static Sim::OpenDevice* Usable(Bus& bus, Handle handle, const void* output) {
        Sim::OpenDevice* open = Usable(bus, handle);
        if (open != nullptr && output == nullptr) {
            SetError(Platform::kErrorInvalidParameter);
            return nullptr;
        }
        return open;
    }

    static const Preparsed* ValidPreparsed(Bus& bus, Platform::HidPreparsedData data) {
        auto* p = static_cast<Preparsed*>(data);
        return bus.preparsed.count(p) != 0 ? p : nullptr;
    }

    static bool Collect(Sim::OpenDevice& open, std::vector<Read>::iterator it,
                        uint32_t* transferred) {
        uint32_t error = it->error;
        if (transferred != nullptr)
            *transferred = it->transferred;
        open.reads.erase(it);
        if (error != 0) {
            SetError(error);
            return false;
        }
        return true;
    }
};

}  // namespace

// ---- Control surface ------------------------------------------------------------------

DeviceId PlugDevice(const VirtualHidDevice& desc) {
    std::wstring hidPath, displayPath;
    Platform::Guid displayClass = desc.displayClass;
    bool display = desc.hasDisplayInterface;
    DeviceId id = 0;
    {
        Bus& bus = B();
        Guard lk(bus.mu);
        auto device = std::make_shared<Device>();
        id = device->id = bus.nextId++;
        device->desc = desc;
        std::string error;
        device->descriptorOk = device->descriptor.Parse(desc.reportDescriptor.data(),
                                                        desc.reportDescriptor.size(), &error);
        wchar_t buf[160];
        std::swprintf(buf, 160, L"\\\\?\\HID#VID_%04X&PID_%04X#7&2A%05X&0&0000#", desc.vendorId,
                      desc.productId, id);
        device->hidPath = buf + GuidText(GUID_HID_INTERFACE);
        std::swprintf(buf, 160, L"\\\\?\\USB#VID_%04X&PID_%04X&MI_01#8&3B%05X&0&0001#",
                      desc.vendorId, desc.productId, id);
        if (display)
            device->displayPath = buf + GuidText(displayClass);
        std::swprintf(buf, 160, L"\\Device\\%08X", 0x60 + id);
        device->pdoName = buf;
        hidPath = device->hidPath;
        displayPath = device->displayPath;
        bus.devices[id] = device;
    }
    Detail::BroadcastDeviceInterface(GUID_HID_INTERFACE, hidPath, Platform::kDbtDeviceArrival);
    if (display)
        Detail::BroadcastDeviceInterface(displayClass, displayPath, Platform::kDbtDeviceArrival);
    return id;
}

bool UnplugDevice(DeviceId id) {
    std::wstring hidPath, displayPath;
    Platform::Guid displayClass{};
    bool display = false;
    {
        Bus& bus = B();
        Guard lk(bus.mu);
        std::shared_ptr<Device> device = Present(bus, id);
        if (!device)
            return false;
        device->present = false;
        device->queue.clear();
        for (auto& [value, open] : bus.handles)
            if (open.device == device)
                EndReads(open, Platform::kErrorDeviceNotConnected);
        hidPath = device->hidPath;
        displayPath = device->displayPath;
        display = device->desc.hasDisplayInterface;
        displayClass = device->desc.displayClass;
    }
    Detail::BroadcastDeviceInterface(GUID_HID_INTERFACE, hidPath,
                                     Platform::kDbtDeviceRemoveComplete);
    if (display)
        Detail::BroadcastDeviceInterface(displayClass, displayPath,
                                         Platform::kDbtDeviceRemoveComplete);
    return true;
}

namespace {
template <typename F>
std::wstring DeviceText(DeviceId id, F field) {
    Bus& bus = B();
    Guard lk(bus.mu);
    auto it = bus.devices.find(id);
    return it == bus.devices.end() ? std::wstring() : field(*it->second);
}
}  // namespace

std::wstring HidInterfacePath(DeviceId id) {
    return DeviceText(id, [](const Device& d) { return d.hidPath; });
}
std::wstring DisplayInterfacePath(DeviceId id) {
    return DeviceText(id, [](const Device& d) { return d.displayPath; });
}
std::wstring PhysicalDeviceObjectName(DeviceId id) {
    return DeviceText(id, [](const Device& d) { return d.pdoName; });
}

bool SetButtons(DeviceId id, const std::vector<uint16_t>& usages, bool down) {
    Bus& bus = B();
    Guard lk(bus.mu);
    std::shared_ptr<Device> device = Present(bus, id);
    if (!device || !device->descriptorOk)
        return false;
    for (uint16_t usage : usages) {
        auto it = std::find(device->down.begin(), device->down.end(), usage);
        if (down && it == device->down.end())
            device->down.push_back(usage);
        if (!down && it != device->down.end())
            device->down.erase(it);
    }
    std::vector<uint8_t> report =
        device->descriptor.BuildInputReport(Platform::kHidUsagePageButton, device->down);
    if (report.empty())
        return false;
    Queue(bus, *device, std::move(report));
    return true;
}

bool SendInputReport(DeviceId id, const std::vector<uint8_t>& report) {
    Bus& bus = B();
    Guard lk(bus.mu);
    std::shared_ptr<Device> device = Present(bus, id);
    if (!device)
        return false;
    Queue(bus, *device, report);
    return true;
}

bool SetDeviceFault(DeviceId id, DeviceFault fault, uint32_t arg) {
    Bus& bus = B();
    Guard lk(bus.mu);
    auto it = bus.devices.find(id);
    if (it == bus.devices.end())
        return false;
    Device& device = *it->second;
    switch (fault) {
        case DeviceFault::Open:
            device.openError = arg;
            break;
        case DeviceFault::Read:
            device.readError = arg;
            break;
        case DeviceFault::Feature:
            device.featureError = arg;
            break;
        case DeviceFault::Pending:
            device.pendingPolls = arg;
            break;
        case DeviceFault::Serial:
            device.noSerial = arg != 0;
            break;
    }
    return true;
}

void SetFeatureObserver(FeatureObserver observer) {
    Bus& bus = B();
    Guard lk(bus.mu);
    bus.featureObserver = std::move(observer);
}

std::vector<std::vector<uint8_t>> TakeFeatureReports(DeviceId id) {
    Bus& bus = B();
    Guard lk(bus.mu);
    auto it = bus.devices.find(id);
    if (it == bus.devices.end())
        return {};
    return std::exchange(it->second->features, {});
}

DeviceBusUsage BusUsage() {
    Bus& bus = B();
    Guard lk(bus.mu);
    DeviceBusUsage usage;
    usage.openHandles = static_cast<int>(bus.handles.size());
    usage.preparsedData = static_cast<int>(bus.preparsed.size());
    usage.interfaceLists = static_cast<int>(bus.lists.size());
    for (const auto& [value, open] : bus.handles)
        for (const Read& read : open.reads)
            if (!read.done)
                ++usage.pendingReads;
    return usage;
}

void ResetDevices() {
    {
        Bus& bus = B();
        Guard lk(bus.mu);
        bus.devices.clear();
        bus.handles.clear();
        for (Preparsed* p : bus.preparsed)
            delete p;
        bus.preparsed.clear();
        for (InterfaceListObject* l : bus.lists)
            delete l;
        bus.lists.clear();
        bus.nextId = 1;
        bus.nextHandle = 0xD0000000u;
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

namespace Orv::Platform {

IDeviceInterfaces& DeviceInterfaces() {
    static IDeviceInterfaces* interfaces = new Sim::SimDeviceInterfaces;
    return *interfaces;
}

IHid& Hid() {
    static IHid* hid = new Sim::SimHid;
    return *hid;
}

}  // namespace Orv::Platform
