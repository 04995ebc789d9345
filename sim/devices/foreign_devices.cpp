// Devices the plugin must pass over: another vendor's (foreign), and the
// maker's with a product it does not support (unsupported).  Plain HID
// devices with 8 Button-page inputs.
#include "common/device_ids.h"
#include "sim/devices/device_kinds.h"

namespace Orv::SimDevices {

namespace {

constexpr uint16_t kForeignVendor = 0x7F00;
constexpr uint16_t kUnsupportedProduct = 0x0DFF;

Sim::VirtualHidDevice DescribeForeign() {
    return PanelDescription(kForeignVendor, 0x0001, 8, 0);
}

Sim::VirtualHidDevice DescribeUnsupported() {
    return PanelDescription(VENDOR_ID_PANELS, kUnsupportedProduct, 8, 0);
}

// The generic model: nothing more than its description.
std::shared_ptr<Sim::VirtualDevice> Make(const Sim::VirtualHidDevice& description) {
    return std::make_shared<Sim::VirtualDevice>(description);
}

}  // namespace

const DeviceKind& ForeignDeviceKind() {
    static const DeviceKind kind{"foreign", false, &DescribeForeign, &Make};
    return kind;
}

const DeviceKind& UnsupportedDeviceKind() {
    static const DeviceKind kind{"unsupported", false, &DescribeUnsupported, &Make};
    return kind;
}

}  // namespace Orv::SimDevices
