// The kinds of virtual device that the host plugs and the tests use, each
// with its model (one file per kind in this folder).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_devices.h"
#include "platform/sim/virtual_device.h"

namespace Orv::SimDevices {

struct DeviceKind {
    const char* name;
    // A kind the plugin drives (the maker's supported products).
    bool supported;
    // A device of the kind as it comes: identity, report descriptor fitted
    // to what the panel of that kind reads and sends, display interface.
    Sim::VirtualHidDevice (*describe)();
    // The kind's model for a description (the kind's own, or one changed by
    // the host: serial, vendor, product, report descriptor).
    std::shared_ptr<Sim::VirtualDevice> (*make)(const Sim::VirtualHidDevice& description);
};

// The kind of that name, or null.  Kinds: toggle, tuner, mode, wap,
// z7hotas, gdp, foreign (another vendor), unsupported (the maker's vendor,
// an unknown product).
const DeviceKind* FindDeviceKind(const std::string& name);
// The supported kinds, in the order --frames plugs them.
std::vector<std::string> SupportedKindNames();

// The kinds, from their files.
const DeviceKind& TogglePanelKind();
const DeviceKind& TunerPanelKind();
const DeviceKind& ModePanelKind();
const DeviceKind& WapPanelKind();
const DeviceKind& Z7HotasKind();
const DeviceKind& GdpKind();
const DeviceKind& ForeignDeviceKind();
const DeviceKind& UnsupportedDeviceKind();

// A HID panel's description: Button-page usages 1 to buttons in the input
// report, a feature report of featureLength bytes (report id included; 0:
// none), no serial (the host gives one).
Sim::VirtualHidDevice PanelDescription(uint16_t vendorId, uint16_t productId, int buttons,
                                       int featureLength);

}  // namespace Orv::SimDevices
