// The toggle panel of the Avionex: 20 Button-page inputs, a 2-byte feature report.
#include "common/device_ids.h"
#include "sim/devices/device_kinds.h"

namespace Orv::SimDevices {

namespace {

// A plain HID panel: the buttons its report descriptor declares, feature
// reports taken (the host logs them), every HID fault.
class TogglePanelDevice final : public Sim::VirtualDevice {
public:
    using VirtualDevice::VirtualDevice;
};

Sim::VirtualHidDevice Describe() {
    return PanelDescription(VENDOR_ID_PANELS, PRODUCT_ID_TOGGLE, 20, 2);
}

std::shared_ptr<Sim::VirtualDevice> Make(const Sim::VirtualHidDevice& description) {
    return std::make_shared<TogglePanelDevice>(description);
}

}  // namespace

const DeviceKind& TogglePanelKind() {
    static const DeviceKind kind{"toggle", true, &Describe, &Make};
    return kind;
}

}  // namespace Orv::SimDevices
