// The device interface port on the virtual device bus: the interfaces of
// the devices present, as SetupAPI lists them.
#include "platform/device_interfaces.h"

#include "common/device_ids.h"
#include "platform/sim/device_bus.h"

namespace Orv::Sim {
namespace {

using Bus::Guard;
using Bus::InterfaceListObject;

constexpr uint32_t kErrorNoMoreItems = 259;

class SimDeviceInterfaces final : public Platform::IDeviceInterfaces {
public:
    Platform::InterfaceList OpenInterfaceList(const Platform::Guid& interfaceClass) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        auto* list = new InterfaceListObject;
        for (const auto& [id, device] : bus.devices) {
            if (!device->present)
                continue;
            const VirtualHidDevice& desc = device->Desc();
            if (desc.hasHidInterface && interfaceClass == GUID_HID_INTERFACE)
                list->items.push_back({device->hidPath, device->pdoName});
            else if (desc.hasDisplayInterface && interfaceClass == desc.displayClass)
                list->items.push_back({device->displayPath, device->pdoName});
        }
        bus.lists.insert(list);
        return list;
    }

    bool HasInterface(Platform::InterfaceList list, uint32_t index) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        auto* object = Valid(bus, list);
        if (object == nullptr || index >= object->items.size()) {
            Bus::SetError(kErrorNoMoreItems);
            return false;
        }
        return true;
    }

    uint32_t GetInterfaceDetailSize(Platform::InterfaceList list, uint32_t index) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        auto* object = Valid(bus, list);
        if (object == nullptr || index >= object->items.size())
            return 0;
        // The detail structure's fixed part and the terminated UTF-16 path.
        return static_cast<uint32_t>(4 + (object->items[index].path.size() + 1) * 2);
    }

    bool GetInterfacePath(Platform::InterfaceList list, uint32_t index,
                          std::wstring* path) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        if (path != nullptr)
            path->clear();
        auto* object = Valid(bus, list);
        if (object == nullptr || index >= object->items.size() || path == nullptr) {
            Bus::SetError(Platform::kErrorInvalidParameter);
            return false;
        }
        *path = object->items[index].path;
        return true;
    }

    std::wstring GetPhysicalDeviceObjectName(Platform::InterfaceList list,
                                             uint32_t index) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        auto* object = Valid(bus, list);
        if (object == nullptr || index >= object->items.size())
            return {};
        return object->items[index].pdo;
    }

    void CloseInterfaceList(Platform::InterfaceList list) override {
        Bus::State& bus = Bus::Get();
        Guard lk(bus.mu);
        auto* object = Valid(bus, list);
        if (object == nullptr)
            return;
        bus.lists.erase(object);
        delete object;
    }

private:
    static InterfaceListObject* Valid(Bus::State& bus, Platform::InterfaceList list) {
        auto* object = static_cast<InterfaceListObject*>(list);
        return bus.lists.count(object) != 0 ? object : nullptr;
    }
};

}  // namespace
}  // namespace Orv::Sim

namespace Orv::Platform {

IDeviceInterfaces& DeviceInterfaces() {
    static IDeviceInterfaces* interfaces = new Sim::SimDeviceInterfaces;
    return *interfaces;
}

}  // namespace Orv::Platform
