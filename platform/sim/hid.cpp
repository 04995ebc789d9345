// The HID port on the virtual device bus: hid.dll's calls on an open HID
// interface, answered from the device's model and its parsed report
// descriptor.
#include "platform/hid.h"

#include <algorithm>

#include "common/device_ids.h"
#include "platform/sim/device_bus.h"

namespace Orv::Sim {
namespace {

using Bus::Guard;
using Bus::OpenHandle;
using Bus::Preparsed;
using Platform::Handle;
using Platform::HidReportType;

// A HID interface handle whose device is still present; else null with the
// last error set.
OpenHandle* HidHandle(Bus::State& bus, Handle handle) {
    OpenHandle* open = Bus::Usable(bus, handle);
    if (open != nullptr && open->iface != Bus::Interface::Hid) {
        Bus::SetError(Platform::kErrorInvalidFunction);
        return nullptr;
    }
    return open;
}

// The same, for a call whose output must not be null.
OpenHandle* HidHandle(Bus::State& bus, Handle handle, const void* output) {
    OpenHandle* open = HidHandle(bus, handle);
    if (open != nullptr && output == nullptr) {
        Bus::SetError(Platform::kErrorInvalidParameter);
        return nullptr;
    }
    return open;
}

const Preparsed* ValidPreparsed(Bus::State& bus, Platform::HidPreparsedData data) {
    auto* p = static_cast<Preparsed*>(data);
    return bus.preparsed.count(p) != 0 ? p : nullptr;
}

class SimHid final : public Platform::IHid {
public:
    Platform::Guid GetHidGuid() override { return GUID_HID_INTERFACE; }

    bool GetAttributes(Handle handle, Platform::HidAttributes* attributes) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        OpenHandle* open = HidHandle(bus, handle, attributes);
        if (open == nullptr)
            return false;
        const VirtualHidDevice& desc = open->device->Desc();
        attributes->vendorId = desc.vendorId;
        attributes->productId = desc.productId;
        attributes->versionNumber = desc.versionNumber;
        return true;
    }

    bool GetPreparsedData(Handle handle, Platform::HidPreparsedData* data) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        OpenHandle* open = HidHandle(bus, handle, data);
        if (open == nullptr)
            return false;
        const VirtualDevice& model = *open->device->model;
        if (!model.Parsed()) {
            Bus::SetError(Platform::kErrorInvalidData);
            return false;
        }
        auto* p = new Preparsed{model.Descriptor()};
        bus.preparsed.insert(p);
        *data = p;
        return true;
    }

    bool FreePreparsedData(Platform::HidPreparsedData data) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        auto* p = static_cast<Preparsed*>(data);
        if (bus.preparsed.erase(p) == 0)
            return false;
        delete p;
        return true;
    }

    uint32_t GetCaps(Platform::HidPreparsedData data, Platform::HidCaps* caps) override {
        Bus::State& bus = Bus::Get();
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
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        const Preparsed* p = ValidPreparsed(bus, data);
        return p == nullptr ? 0 : p->descriptor.MaxUsageListLength(type, usagePage);
    }

    uint32_t GetUsages(HidReportType type, uint16_t usagePage, uint16_t /*linkCollection*/,
                       uint16_t* usages, uint32_t* usageLength, Platform::HidPreparsedData data,
                       const uint8_t* report, uint32_t reportLength) override {
        Bus::State& bus = Bus::Get();
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
            Bus::State& bus = Bus::Get();
            Guard lk(bus.mu);
            OpenHandle* open = HidHandle(bus, handle);
            if (open == nullptr)
                return false;
            if (report == nullptr || length == 0) {
                Bus::SetError(Platform::kErrorInvalidParameter);
                return false;
            }
            Bus::Device& device = *open->device;
            const auto* p = static_cast<const uint8_t*>(report);
            bytes.assign(p, p + length);
            if (uint32_t error = device.model->OnFeature(bytes); error != 0) {
                Bus::SetError(error);
                return false;
            }
            device.features.push_back(bytes);
            id = device.id;
            observer = bus.featureObserver;
        }
        if (observer)
            observer(id, bytes);
        return true;
    }

    bool GetSerialNumberString(Handle handle, wchar_t* buffer, uint32_t bufferBytes) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        OpenHandle* open = HidHandle(bus, handle);
        if (open == nullptr)
            return false;
        const std::wstring& serial = open->device->Desc().serial;
        if (open->device->model->Faults().noSerial || serial.empty()) {
            Bus::SetError(Platform::kErrorGenFailure);
            return false;
        }
        if (buffer == nullptr) {
            Bus::SetError(Platform::kErrorInvalidParameter);
            return false;
        }
        size_t room = bufferBytes / sizeof(wchar_t);
        size_t n = std::min(room, serial.size());
        std::copy_n(serial.begin(), n, buffer);
        if (n < room)
            buffer[n] = L'\0';
        return true;
    }
};

}  // namespace
}  // namespace Orv::Sim

namespace Orv::Platform {

IHid& Hid() {
    static IHid* hid = new Sim::SimHid;
    return *hid;
}

}  // namespace Orv::Platform
