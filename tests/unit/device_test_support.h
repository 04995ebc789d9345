// Virtual devices and test panels for the tests of the device framework.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/device_ids.h"
#include "platform/sim/sim_devices.h"
#include "plugin/core/device_registry.h"
#include "plugin/core/lower_case.h"
#include "plugin/devices/device_kinds.h"

namespace Orv::Test {

inline Sim::VirtualHidDevice PanelDevice(uint16_t productId, uint8_t buttons = 20,
                                         uint8_t featureBytes = 1) {
    Sim::VirtualHidDevice device;
    device.vendorId = VENDOR_ID_PANELS;
    device.productId = productId;
    device.serial = L"OV" + std::to_wstring(productId);
    device.reportDescriptor = Sim::PanelReportDescriptor(buttons, featureBytes + 1);
    return device;
}

// The plugin's device kinds with the given products made by panel and,
// when display is given, the joystick's display made by it (keyed by its
// physical-device-object name).
inline DeviceKinds TestKinds(const std::vector<uint16_t>& products, PanelFactory panel,
                             GlassLinkFactory display = nullptr) {
    DeviceKinds kinds = PluginDeviceKinds();
    for (PanelKind& kind : kinds.panels)
        for (uint16_t product : products)
            if (kind.productId == product)
                kind.create = panel;
    if (display) {
        // In place of the plugin's own joystick display.
        std::erase_if(kinds.displays, [](const DisplayKind& kind) {
            return kind.interfaceClass == GUID_Z7HOTAS_GLASSLINK_INTERFACE;
        });
        kinds.displays.push_back({GUID_Z7HOTAS_GLASSLINK_INTERFACE, display, nullptr});
    }
    return kinds;
}

// The panel map's key of a device: its path in lower case.
inline std::wstring KeyOf(Sim::DeviceId id) {
    return UTILITY::ConvertStringToLower(Sim::HidInterfacePath(id));
}

}  // namespace Orv::Test
