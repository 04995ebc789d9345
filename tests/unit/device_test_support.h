// Virtual devices and test panels for the tests of the device framework.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/device_ids.h"
#include "platform/sim/sim_devices.h"
#include "plugin/core/lower_case.h"

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

// The panel map's key of a device: its path in lower case.
inline std::wstring KeyOf(Sim::DeviceId id) {
    return UTILITY::ConvertStringToLower(Sim::HidInterfacePath(id));
}

}  // namespace Orv::Test
