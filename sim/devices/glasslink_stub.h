// The display interface of the display devices (z7hotas, gdp) as a stub,
// until their protocols are modelled: every I/O control request completes
// at once with no output, every write completes at once with all its
// bytes, every read stays pending until it is cancelled, its handle is
// closed or the device is unplugged.  The HID part is the generic one.
#pragma once

#include <vector>

#include "platform/sim/virtual_device.h"

namespace Orv::SimDevices {

class GlassLinkStubDevice : public Sim::VirtualDevice {
public:
    using VirtualDevice::VirtualDevice;

    Sim::RequestResult OnDisplayRequest(const Sim::DisplayRequest& request,
                                        Sim::PendingRequests& pending) override;
    void OnRequestEnded(Sim::RequestId id) override;

    // The reads in flight, oldest first.
    const std::vector<Sim::RequestId>& PendingReads() const { return reads_; }

private:
    std::vector<Sim::RequestId> reads_;
};

}  // namespace Orv::SimDevices
