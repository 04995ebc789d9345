// The virtual devices that the host plugs: one report descriptor per kind,
// fitted to what the panel of that kind reads and sends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/sim_devices.h"

namespace Orv::Host {

struct DeviceKind {
    const char* name;
    uint16_t vendorId;
    uint16_t productId;
    int buttons;        // Button-page usages 1 to buttons in the input report
    int featureLength;  // bytes of the feature report, report id included (0: none)
    bool display;       // has a display interface
    Platform::Guid displayClass;
};

// The kind of that name, or null.  Kinds: toggle, tuner, mode, wap,
// z7hotas, gdp, foreign (another vendor), unsupported (the maker's vendor,
// an unknown product).
const DeviceKind* FindDeviceKind(const std::string& name);
// The supported kinds, in the order --frames plugs them.
std::vector<std::string> SupportedKindNames();

}  // namespace Orv::Host
