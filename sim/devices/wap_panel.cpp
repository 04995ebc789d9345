// The warning annunciator panel of the Avionex: lamps only (no input report),
// a 7-byte feature report.
#include "common/device_ids.h"
#include "sim/devices/device_kinds.h"

namespace Orv::SimDevices {

namespace {

// A plain HID panel: the buttons its report descriptor declares, feature
// reports taken (the host logs them), every HID fault.
class WapPanelDevice final : public Sim::VirtualDevice {
public:
    using VirtualDevice::VirtualDevice;
};

Sim::VirtualHidDevice Describe() {
    return PanelDescription(VENDOR_ID_PANELS, PRODUCT_ID_WAP, 0, 7);
}

std::shared_ptr<Sim::VirtualDevice> Make(const Sim::VirtualHidDevice& description) {
    return std::make_shared<WapPanelDevice>(description);
}

}  // namespace

const DeviceKind& WapPanelKind() {
    static const DeviceKind kind{"wap", true, &Describe, &Make};
    return kind;
}

}  // namespace Orv::SimDevices
