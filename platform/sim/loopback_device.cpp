// The loopback device: a display interface that behaves as a byte-mode
// pipe whose other end is the control surface (LoopbackPush, LoopbackTake).
// The device I/O conformance suite runs on it where Windows has a pipe.
#include <algorithm>
#include <deque>
#include <utility>

#include "platform/sim/device_bus.h"

namespace Orv::Sim {
namespace {

// The pipe peek control code, and the reply's size: four 32-bit words
// (the pipe state, the bytes waiting, the messages waiting, the bytes
// left of this message).
constexpr uint32_t kPeekCode = 0x0011400Cu;
constexpr uint32_t kPeekBytes = 16;
constexpr uint32_t kPipeConnected = 3;
constexpr uint32_t kErrorInsufficientBuffer = 122;

constexpr Platform::Guid kLoopbackClass = {
    0x4f56100b, 0x0001, 0x4c50, {0x8b, 0x00, 0x6c, 0x6f, 0x6f, 0x70, 0x62, 0x6b}};

VirtualHidDevice LoopbackDescription() {
    VirtualHidDevice desc;
    desc.vendorId = 0x0000;
    desc.productId = 0x0001;
    desc.hasHidInterface = false;
    desc.hasDisplayInterface = true;
    desc.displayClass = kLoopbackClass;
    return desc;
}

void AppendWord(std::vector<uint8_t>* out, uint32_t word) {
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<uint8_t>(word >> (8 * i)));
}

class LoopbackDevice final : public VirtualDevice {
public:
    LoopbackDevice() : VirtualDevice(LoopbackDescription()) {}

    RequestResult OnDisplayRequest(const DisplayRequest& request,
                                   PendingRequests& /*pending*/) override {
        switch (request.op) {
            case DisplayRequest::Op::Write:
                written_.insert(written_.end(), request.input.begin(), request.input.end());
                return RequestResult::Written(static_cast<uint32_t>(request.input.size()));
            case DisplayRequest::Op::Read:
                if (!waiting_.empty())
                    return RequestResult::Output(TakeWaiting(request.outputBytes));
                reads_.push_back({request.id, request.outputBytes});
                return RequestResult::Pending();
            case DisplayRequest::Op::IoControl:
                if (request.code != kPeekCode)
                    return RequestResult::Fail(Platform::kErrorInvalidFunction);
                if (request.outputBytes < kPeekBytes)
                    return RequestResult::Fail(kErrorInsufficientBuffer);
                std::vector<uint8_t> peek;
                AppendWord(&peek, kPipeConnected);
                AppendWord(&peek, static_cast<uint32_t>(waiting_.size()));
                AppendWord(&peek, 0);
                AppendWord(&peek, 0);
                return RequestResult::Output(std::move(peek));
        }
        return RequestResult::Fail(Platform::kErrorInvalidFunction);
    }

    void OnRequestEnded(RequestId id) override {
        std::erase_if(reads_, [&](const PendingRead& read) { return read.id == id; });
    }

    bool OnFault(DeviceFault /*fault*/, uint32_t /*arg*/) override { return false; }

    void Push(const std::vector<uint8_t>& bytes, PendingRequests& pending) {
        waiting_.insert(waiting_.end(), bytes.begin(), bytes.end());
        while (!reads_.empty() && !waiting_.empty()) {
            PendingRead read = reads_.front();
            reads_.pop_front();
            pending.End(read.id, RequestResult::Output(TakeWaiting(read.room)));
        }
    }

    std::vector<uint8_t> Take() { return std::exchange(written_, {}); }

private:
    struct PendingRead {
        RequestId id;
        uint32_t room;
    };

    std::vector<uint8_t> TakeWaiting(uint32_t room) {
        size_t n = std::min<size_t>(room, waiting_.size());
        std::vector<uint8_t> out(waiting_.begin(), waiting_.begin() + static_cast<ptrdiff_t>(n));
        waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<ptrdiff_t>(n));
        return out;
    }

    std::deque<uint8_t> waiting_;    // sent by the peer, not read yet
    std::deque<PendingRead> reads_;  // oldest first
    std::vector<uint8_t> written_;   // written to the device, not taken yet
};

}  // namespace

DeviceId PlugLoopbackDevice() {
    return PlugDevice(std::make_shared<LoopbackDevice>());
}

bool LoopbackPush(DeviceId id, const std::vector<uint8_t>& bytes) {
    Bus::State& bus = Bus::Get();
    Bus::Guard lk(bus.mu);
    std::shared_ptr<Bus::Device> device = Bus::Present(bus, id);
    auto* loopback = device ? dynamic_cast<LoopbackDevice*>(device->model.get()) : nullptr;
    if (loopback == nullptr)
        return false;
    Bus::ModelRequests pending(bus, *device);
    loopback->Push(bytes, pending);
    return true;
}

std::vector<uint8_t> LoopbackTake(DeviceId id) {
    std::vector<uint8_t> taken;
    WithModel(id, [&](VirtualDevice& model, PendingRequests&) {
        if (auto* loopback = dynamic_cast<LoopbackDevice*>(&model))
            taken = loopback->Take();
    });
    return taken;
}

}  // namespace Orv::Sim
