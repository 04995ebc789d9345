// The joystick of the Avionex: 40 Button-page inputs, and the display
// interface of its MFD.
#include "sim/devices/z7hotas.h"

#include <algorithm>

#include "common/device_ids.h"
#include "platform/device_io.h"
#include "sim/devices/device_kinds.h"

namespace Orv::SimDevices {

namespace {

constexpr uint32_t kSetString = 0x00223004;
constexpr uint32_t kSetShiftIndicator = 0x00223084;
constexpr uint32_t kErrorInvalidParameter = 87;

// The clear and write commands of lines 0, 1 and 2.
constexpr uint16_t kClear[3] = {0x00D9, 0x00DA, 0x00DC};
constexpr uint16_t kWrite[3] = {0x00D1, 0x00D2, 0x00D4};

uint16_t CommandOf(const std::vector<uint8_t>& input, size_t word) {
    return static_cast<uint16_t>(input[4 * word] | (input[4 * word + 1] << 8));
}

// The line a command acts on and whether it clears; -1 for another command.
int LineOf(uint16_t command, bool* clear) {
    for (int line = 0; line < 3; ++line) {
        if (command == kClear[line] || command == kWrite[line]) {
            *clear = command == kClear[line];
            return line;
        }
    }
    return -1;
}

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

uint32_t Z7HotasDevice::Check(uint32_t code, const std::vector<uint8_t>& input) {
    if (code == kSetShiftIndicator)
        return input.size() == 4 ? 0 : kErrorInvalidParameter;
    if (code != kSetString)
        return Platform::kErrorInvalidFunction;
    if (input.empty() || input.size() % 4 != 0)
        return kErrorInvalidParameter;
    bool clear = false;
    for (size_t word = 0; word < input.size() / 4; ++word)
        if (LineOf(CommandOf(input, word), &clear) < 0)
            return kErrorInvalidParameter;
    return 0;
}

void Z7HotasDevice::Apply(uint32_t code, const std::vector<uint8_t>& input) {
    if (code == kSetShiftIndicator) {
        shift_ = static_cast<uint32_t>(input[0] | (input[1] << 8) | (input[2] << 16)) |
                 (static_cast<uint32_t>(input[3]) << 24);
        if (observer_.shift)
            observer_.shift(shift_);
        return;
    }
    std::array<std::string, 3> before = lines_;
    for (size_t word = 0; word < input.size() / 4; ++word) {
        bool clear = false;
        int line = LineOf(CommandOf(input, word), &clear);
        if (line < 0)
            continue;  // Check refused such requests
        std::string& text = lines_[static_cast<size_t>(line)];
        if (clear) {
            text.clear();
            continue;
        }
        text.push_back(static_cast<char>(input[4 * word + 3]));
        if (input[4 * word + 2] != 0)
            text.push_back(static_cast<char>(input[4 * word + 2]));
    }
    for (size_t line = 0; line < lines_.size(); ++line)
        if (lines_[line] != before[line] && observer_.line)
            observer_.line(static_cast<int>(line), lines_[line]);
}

Sim::RequestResult Z7HotasDevice::OnDisplayRequest(const Sim::DisplayRequest& request,
                                                   Sim::PendingRequests& /*pending*/) {
    if (request.op != Sim::DisplayRequest::Op::IoControl)
        return Sim::RequestResult::Fail(Platform::kErrorInvalidFunction);
    ++requests_;
    lastInput_ = request.input;
    if (ioctlError_ != 0)
        return Sim::RequestResult::Fail(ioctlError_);
    if (uint32_t error = Check(request.code, request.input); error != 0)
        return Sim::RequestResult::Fail(error);
    if (pendingFrames_ != 0) {
        held_.push_back({request.id, framesEnded_ + pendingFrames_, request.code, request.input});
        return Sim::RequestResult::Pending();
    }
    Apply(request.code, request.input);
    return Sim::RequestResult::Output({});
}

void Z7HotasDevice::FrameEnded(Sim::PendingRequests& pending) {
    ++framesEnded_;
    // Ending a request may call OnRequestEnded: take the due ones out first.
    std::vector<Held> due;
    auto notDue = [this](const Held& held) { return held.dueFrame > framesEnded_; };
    auto split = std::stable_partition(held_.begin(), held_.end(), notDue);
    due.assign(std::make_move_iterator(split), std::make_move_iterator(held_.end()));
    held_.erase(split, held_.end());
    for (const Held& request : due)
        if (pending.End(request.id, Sim::RequestResult::Output({})))
            Apply(request.code, request.input);
}

void Z7HotasDevice::OnRequestEnded(Sim::RequestId id) {
    std::erase_if(held_, [id](const Held& held) { return held.id == id; });
}

bool Z7HotasDevice::OnFault(Sim::DeviceFault fault, uint32_t arg) {
    switch (fault) {
        case Sim::DeviceFault::IoControl:
            ioctlError_ = arg;
            return true;
        case Sim::DeviceFault::Pending:
            pendingFrames_ = arg;
            break;
        default:
            break;
    }
    return VirtualDevice::OnFault(fault, arg);
}

const DeviceKind& Z7HotasKind() {
    static const DeviceKind kind{"z7hotas", true, &Describe, &Make};
    return kind;
}

}  // namespace Orv::SimDevices
