#include "sim/devices/device_kinds.h"

namespace Orv::SimDevices {

namespace {

// In the order --frames plugs the supported ones.
const DeviceKind* const kKinds[] = {
    &TogglePanelKind(), &TunerPanelKind(), &ModePanelKind(),     &WapPanelKind(),
    &Z7HotasKind(),     &GdpKind(),        &ForeignDeviceKind(), &UnsupportedDeviceKind(),
};

}  // namespace

const DeviceKind* FindDeviceKind(const std::string& name) {
    for (const DeviceKind* kind : kKinds)
        if (name == kind->name)
            return kind;
    return nullptr;
}

std::vector<std::string> SupportedKindNames() {
    std::vector<std::string> names;
    for (const DeviceKind* kind : kKinds)
        if (kind->supported)
            names.push_back(kind->name);
    return names;
}

Sim::VirtualHidDevice PanelDescription(uint16_t vendorId, uint16_t productId, int buttons,
                                       int featureLength) {
    Sim::VirtualHidDevice device;
    device.vendorId = vendorId;
    device.productId = productId;
    device.reportDescriptor = Sim::PanelReportDescriptor(buttons, featureLength);
    return device;
}

}  // namespace Orv::SimDevices
