// The joystick of the Avionex: 40 Button-page inputs, and the display
// interface of its MFD.
#include "common/device_ids.h"
#include "sim/devices/device_kinds.h"
#include "sim/devices/glasslink_stub.h"

namespace Orv::SimDevices {

namespace {

// The display interface is the stub for now (glasslink_stub.h).
class Z7HotasDevice final : public GlassLinkStubDevice {
public:
    using GlassLinkStubDevice::GlassLinkStubDevice;
};

Sim::VirtualHidDevice Describe() {
    Sim::VirtualHidDevice device = PanelDescription(VENDOR_ID_PANELS, PRODUCT_ID_Z7HOTAS, 40, 0);
    device.hasDisplayInterface = true;
    device.displayClass = GUID_Z7HOTAS_GLASSLINK_INTERFACE;
    return device;
}

std::shared_ptr<Sim::VirtualDevice> Make(const Sim::VirtualHidDevice& description) {
    return std::make_shared<Z7HotasDevice>(description);
}

}  // namespace

const DeviceKind& Z7HotasKind() {
    static const DeviceKind kind{"z7hotas", true, &Describe, &Make};
    return kind;
}

}  // namespace Orv::SimDevices
