#include "sim/host/device_faults.h"

namespace Orv::Host {

namespace {

const FaultName kFaults[] = {
    {"open", true, true, Sim::DeviceFault::Open, 0},
    {"read", true, true, Sim::DeviceFault::Read, 0},
    {"feature", true, true, Sim::DeviceFault::Feature, 0},
    {"pending", true, true, Sim::DeviceFault::Pending, 0},
    {"serial", false, true, Sim::DeviceFault::Serial, 1},
    // The display interface's faults, for the display devices to come.
    {"ioctl", true, false, Sim::DeviceFault::Open, 0},
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
