#include "sim/host/device_faults.h"

namespace Orv::Host {

namespace {

const FaultName kFaults[] = {
    {"open", true, true, Sim::DeviceFault::Open, 0},
    {"read", true, true, Sim::DeviceFault::Read, 0},
    {"feature", true, true, Sim::DeviceFault::Feature, 0},
    {"pending", true, true, Sim::DeviceFault::Pending, 0},
    {"serial", false, true, Sim::DeviceFault::Serial, 1},
    {"ioctl", true, true, Sim::DeviceFault::IoControl, 0},
    // The gauge display's fault, for its model to come.
    {"silent", false, false, Sim::DeviceFault::Open, 0},
};

}  // namespace

const FaultName* FindFault(const std::string& name) {
    for (const FaultName& fault : kFaults)
        if (name == fault.name)
            return &fault;
    return nullptr;
}

}  // namespace Orv::Host
