// The gauge display panel of the Avionex: 12 Button-page inputs, and its
// display interface.
#include "common/device_ids.h"
#include "sim/devices/device_kinds.h"
#include "sim/devices/glasslink_stub.h"

namespace Orv::SimDevices {

namespace {

// The display interface is the stub for now (glasslink_stub.h).
class GdpDevice final : public GlassLinkStubDevice {
public:
    using GlassLinkStubDevice::GlassLinkStubDevice;
};

Sim::VirtualHidDevice Describe() {
    Sim::VirtualHidDevice device = PanelDescription(VENDOR_ID_PANELS, PRODUCT_ID_GDP, 12, 0);
    device.hasDisplayInterface = true;
    device.displayClass = GUID_GDP_GLASSLINK_INTERFACE;
    return device;
}

std::shared_ptr<Sim::VirtualDevice> Make(const Sim::VirtualHidDevice& description) {
    return std::make_shared<GdpDevice>(description);
}

}  // namespace

const DeviceKind& GdpKind() {
    static const DeviceKind kind{"gdp", true, &Describe, &Make};
    return kind;
}

}  // namespace Orv::SimDevices
