// The device faults that a scenario sets ("fault DEVICE NAME [NUMBER]"),
// listed once for the parser and the host.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sim/sim_devices.h"

namespace Orv::Host {

struct FaultName {
    const char* name;
    bool takesNumber;  // NUMBER is required; without, it is refused
    bool available;    // false: parsed, but the run fails ("not yet available")
    Sim::DeviceFault fault;
    uint32_t value;  // what a fault without a number sets
};

// The fault of that name, or null.
const FaultName* FindFault(const std::string& name);

}  // namespace Orv::Host
