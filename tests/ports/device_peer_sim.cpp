// The device peer on the simulation platform: a loopback device on the
// virtual device bus, opened through its display interface path.
#include "platform/sim/sim_devices.h"
#include "tests/ports/device_peer.h"

namespace Orv::PortTest {
namespace {

class LoopbackPeer final : public DevicePeer {
public:
    explicit LoopbackPeer(Sim::DeviceId id) : id_(id), path_(Sim::DisplayInterfacePath(id)) {}
    ~LoopbackPeer() override { Disconnect(); }

    const std::wstring& Path() const override { return path_; }
    bool Send(const std::vector<uint8_t>& bytes) override {
        return plugged_ && Sim::LoopbackPush(id_, bytes);
    }
    std::vector<uint8_t> Take() override { return Sim::LoopbackTake(id_); }
    void Disconnect() override {
        if (plugged_)
            Sim::UnplugDevice(id_);
        plugged_ = false;
    }

private:
    Sim::DeviceId id_;
    std::wstring path_;
    bool plugged_ = true;
};

}  // namespace

std::unique_ptr<DevicePeer> DevicePeer::Create() {
    Sim::DeviceId id = Sim::PlugLoopbackDevice();
    if (id == 0)
        return nullptr;
    return std::make_unique<LoopbackPeer>(id);
}

}  // namespace Orv::PortTest
