// Fuzz target: the panel base's reading and parsing of input reports from a
// virtual device.  The input is a report descriptor, the two bytes 0xEE 0xEE,
// and then input reports, each a length byte and that many bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_platform.h"
#include "plugin/devices/panel.h"

namespace {

class FuzzPanel : public Orv::CPanel {
public:
    using CPanel::CPanel;
    void OnInitialize() override {
        for (uint16_t usage = 1; usage <= 64; ++usage)
            buttonStates[usage] = 0;
    }
    void OnButton(uint16_t usage, int32_t on) override { sum += usage * (on + 1); }
    uint64_t sum = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool once = [] {
        Orv::Sim::Reset(Orv::Sim::TimeMode::Virtual);
        return true;
    }();
    (void)once;
    Orv::Sim::ResetDevices();
    size_t split = size;
    for (size_t i = 0; i + 1 < size; ++i)
        if (data[i] == 0xEE && data[i + 1] == 0xEE) {
            split = i;
            break;
        }
    Orv::Sim::VirtualHidDevice device;
    device.vendorId = 1;
    device.productId = 2;
    device.reportDescriptor.assign(data, data + split);
    Orv::Sim::DeviceId id = Orv::Sim::PlugDevice(device);
    {
        FuzzPanel panel(Orv::Sim::HidInterfacePath(id));
        if (panel.Initialize()) {
            panel.Notify();
            size_t at = split + 2;
            while (at < size) {
                size_t n = data[at++];
                if (at + n > size)
                    n = size - at;
                Orv::Sim::SendInputReport(id, std::vector<uint8_t>(data + at, data + at + n));
                at += n;
                panel.Notify();
            }
            panel.Uninitialize();
        }
    }
    Orv::Sim::UnplugDevice(id);
    return 0;
}
