// The joystick's virtual MFD, behind the display interface of a plugged
// z7hotas: it takes the set-string and shift-indicator control requests and
// keeps the three lines as the MFD shows them.  A clear word blanks its
// line; a write word adds its first character, then its second unless 0.
//
// Faults (OnFault): Open fails every open of the device, the display
// interface's too; IoControl N fails every request with N when it is issued
// (0: off); Pending N leaves every request pending until N frame ends have
// passed (FrameEnded; 0: off), and the device's HID reads as the generic
// model does.  A request ended before (cancelled, its handle closed, the
// device unplugged) changes nothing.
//
// Threading: as every model, called under the bus lock (see
// virtual_device.h); the observer is called there too and must not call
// the bus.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/sim/virtual_device.h"

namespace Orv::SimDevices {

class Z7HotasDevice final : public Sim::VirtualDevice {
public:
    struct Observer {
        // A line's text changed (after a whole request).
        std::function<void(int line, const std::string& text)> line;
        // The shift indicator was set.
        std::function<void(uint32_t value)> shift;
    };

    using VirtualDevice::VirtualDevice;

    void SetObserver(Observer observer) { observer_ = std::move(observer); }
    // A frame has ended: the requests held by the pending fault that are
    // due complete now, oldest first.
    void FrameEnded(Sim::PendingRequests& pending);

    const std::array<std::string, 3>& Lines() const { return lines_; }
    uint32_t Shift() const { return shift_; }
    // Requests left pending by the pending fault and not ended yet.
    size_t HeldRequests() const { return held_.size(); }
    // The control requests that reached the device, failed ones too, and
    // the input of the last.
    size_t Requests() const { return requests_; }
    const std::vector<uint8_t>& LastInput() const { return lastInput_; }

    Sim::RequestResult OnDisplayRequest(const Sim::DisplayRequest& request,
                                        Sim::PendingRequests& pending) override;
    void OnRequestEnded(Sim::RequestId id) override;
    bool OnFault(Sim::DeviceFault fault, uint32_t arg) override;

private:
    struct Held {
        Sim::RequestId id;
        uint64_t dueFrame;
        uint32_t code;
        std::vector<uint8_t> input;
    };

    // 0 when the request is well formed, else the error it fails with.
    static uint32_t Check(uint32_t code, const std::vector<uint8_t>& input);
    void Apply(uint32_t code, const std::vector<uint8_t>& input);

    Observer observer_;
    std::array<std::string, 3> lines_;
    uint32_t shift_ = 0;
    uint32_t ioctlError_ = 0;
    uint32_t pendingFrames_ = 0;
    uint64_t framesEnded_ = 0;
    std::vector<Held> held_;
    size_t requests_ = 0;
    std::vector<uint8_t> lastInput_;
};

}  // namespace Orv::SimDevices
