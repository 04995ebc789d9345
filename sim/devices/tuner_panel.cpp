// The tuner panel of the Avionex: 24 Button-page inputs, a 24-byte feature report.
#include "common/device_ids.h"
#include "sim/devices/device_kinds.h"

namespace Orv::SimDevices {

namespace {

// A plain HID panel: the buttons its report descriptor declares, feature
// reports taken (the host logs them), every HID fault.
class TunerPanelDevice final : public Sim::VirtualDevice {
public:
    using VirtualDevice::VirtualDevice;
};

Sim::VirtualHidDevice Describe() {
    return PanelDescription(VENDOR_ID_PANELS, PRODUCT_ID_TUNER, 24, 24);
}

std::shared_ptr<Sim::VirtualDevice> Make(const Sim::VirtualHidDevice& description) {
    return std::make_shared<TunerPanelDevice>(description);
}

}  // namespace

const DeviceKind& TunerPanelKind() {
    static const DeviceKind kind{"tuner", true, &Describe, &Make};
    return kind;
}

}  // namespace Orv::SimDevices
