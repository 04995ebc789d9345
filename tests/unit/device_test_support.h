// Virtual devices and test panels for the tests of the device framework.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/device_ids.h"
#include "platform/sim/sim_devices.h"
#include "plugin/core/utility.h"

namespace Orv::Test {

// One application collection: `buttons` Button-page usages from 1 as 1-bit
// variables, padded to whole bytes, and a vendor feature report of
// featureBytes data bytes.
inline std::vector<uint8_t> ButtonDescriptor(uint8_t buttons, uint8_t featureBytes) {
    std::vector<uint8_t> d = {0x05, 0x01, 0x09, 0x04, 0xA1, 0x01};
    if (buttons != 0) {
        d.insert(d.end(), {0x05, 0x09, 0x19, 0x01, 0x29, buttons, 0x15, 0x00, 0x25, 0x01, 0x75,
                           0x01, 0x95, buttons, 0x81, 0x02});
        uint8_t pad = static_cast<uint8_t>((8 - buttons % 8) % 8);
        if (pad != 0)
            d.insert(d.end(), {0x75, 0x01, 0x95, pad, 0x81, 0x03});
    }
    if (featureBytes != 0)
        d.insert(d.end(), {0x06, 0x00, 0xFF, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
                           0x95, featureBytes, 0xB1, 0x02});
    d.push_back(0xC0);
    return d;
}

inline Sim::VirtualHidDevice PanelDevice(uint16_t productId, uint8_t buttons = 20,
                                         uint8_t featureBytes = 1) {
    Sim::VirtualHidDevice device;
    device.vendorId = VENDOR_ID_PANELS;
    device.productId = productId;
    device.serial = L"OV" + std::to_wstring(productId);
    device.reportDescriptor = ButtonDescriptor(buttons, featureBytes);
    return device;
}

// The panel map's key of a device: its path in lower case.
inline std::wstring KeyOf(Sim::DeviceId id) {
    return UTILITY::ConvertStringToLower(Sim::HidInterfacePath(id));
}

}  // namespace Orv::Test
