// The behaviour of one device on the simulation platform's virtual device
// bus.  The bus (device_bus.cpp) owns the transport: handles, input report
// queue, requests in flight, their completion and cancellation, and the
// report descriptor parser that answers the HID queries.  A model decides
// what the device is and does: its identity and report descriptor, the
// input report for a change of buttons, what a feature report does, and how
// each request on its display interface ends.
//
// Threading: the bus calls a model only with its lock held, from whichever
// thread issued the call, so a model needs no lock of its own.  A model
// never calls the bus's control surface or a port; it ends a request it
// left pending through the PendingRequests it is handed, during a hook or
// during a control-surface call that reaches it (WithModel, LoopbackPush);
// it keeps no pointer to it beyond that call.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_hid_descriptor.h"

namespace Orv::Sim {

// A request on a display interface, as the model sees it.
struct DisplayRequest {
    enum class Op { IoControl, Read, Write };
    Op op = Op::IoControl;
    RequestId id = 0;
    uint32_t code = 0;           // IoControl: the control code
    std::vector<uint8_t> input;  // IoControl: the input bytes; Write: the bytes written
    uint32_t outputBytes = 0;    // IoControl: room in the output; Read: room in the buffer
};

// How a request ends (or that it stays pending).
struct RequestResult {
    bool pending = false;
    uint32_t error = 0;           // not 0: the request fails with it
    std::vector<uint8_t> output;  // IoControl and Read: the bytes returned (cut to the room)
    uint32_t written = 0;         // Write: the bytes the device took

    static RequestResult Pending() { return {true, 0, {}, 0}; }
    static RequestResult Fail(uint32_t error) { return {false, error, {}, 0}; }
    static RequestResult Output(std::vector<uint8_t> bytes) {
        return {false, 0, std::move(bytes), 0};
    }
    static RequestResult Written(uint32_t bytes) { return {false, 0, {}, bytes}; }
};

// The bus's side of the requests a model left pending.
class PendingRequests {
public:
    // Ends the request with result (not pending).  False when it has ended
    // already (cancelled, its handle closed, the device unplugged).
    virtual bool End(RequestId id, const RequestResult& result) = 0;

protected:
    ~PendingRequests() = default;
};

// The faults the bus acts on for a device's HID interface (see DeviceFault).
struct HidFaults {
    uint32_t openError = 0;
    uint32_t readError = 0;     // one read
    uint32_t featureError = 0;  // one feature report
    uint32_t pendingPolls = 0;
    bool noSerial = false;
};

// A device model.  This base is also the generic model of a plain HID
// device made from a description: buttons as its report descriptor
// declares them, feature reports taken, every fault, and a display
// interface (if described) that fails every request with
// ERROR_INVALID_FUNCTION.
class VirtualDevice {
public:
    explicit VirtualDevice(VirtualHidDevice description);
    virtual ~VirtualDevice() = default;
    VirtualDevice(const VirtualDevice&) = delete;
    VirtualDevice& operator=(const VirtualDevice&) = delete;

    // Identity, serial, report descriptor and interfaces; read at plug.
    const VirtualHidDevice& Description() const { return description_; }
    // The parsed report descriptor; Parsed() false when the parser refused it.
    const HidDescriptor& Descriptor() const { return descriptor_; }
    bool Parsed() const { return parsed_; }

    // Button-page usages go down or up: the input report that the device
    // sends, with every usage held down so far.  Empty: it sends none.
    virtual std::vector<uint8_t> OnButtons(const std::vector<uint16_t>& usages, bool down);
    // A feature report (report id first) reached the device: 0 takes it,
    // anything else fails HidD_SetFeature with that error.
    virtual uint32_t OnFeature(const std::vector<uint8_t>& report);
    // A request on the display interface: complete it, fail it, or leave it
    // pending and end it later through pending.
    virtual RequestResult OnDisplayRequest(const DisplayRequest& request, PendingRequests& pending);
    // A request the model left pending ended without it (cancelled, its
    // handle closed, the device unplugged): forget it.
    virtual void OnRequestEnded(RequestId id);
    // A fault set from the control surface.  False for one the model does
    // not know.
    virtual bool OnFault(DeviceFault fault, uint32_t arg);

    HidFaults& Faults() { return faults_; }

private:
    VirtualHidDevice description_;
    HidDescriptor descriptor_;
    bool parsed_ = false;
    std::vector<uint16_t> down_;  // Button-page usages held down
    HidFaults faults_;
};

// Runs fn on the model of a device (plugged or unplugged since) with the
// bus lock held and the bus's PendingRequests for it: how the host and the
// tests drive a model (end what it left pending, read its state).  fn must
// not call the bus.  False for an unknown device.
bool WithModel(DeviceId id, const std::function<void(VirtualDevice&, PendingRequests&)>& fn);

}  // namespace Orv::Sim
