// The device models of sim/devices: the kinds as the host plugs them, and
// the display interface stub of the display devices.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/device_io.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_platform.h"
#include "platform/sync.h"
#include "sim/devices/device_kinds.h"
#include "sim/devices/glasslink_stub.h"

namespace Orv::SimDevices {
namespace {

class DeviceModels : public ::testing::Test {
protected:
    void SetUp() override { Sim::Reset(Sim::TimeMode::Virtual); }
    void TearDown() override { Sim::Reset(Sim::TimeMode::Virtual); }
};

TEST_F(DeviceModels, KindsAndTheirInterfaces) {
    EXPECT_EQ(SupportedKindNames(),
              (std::vector<std::string>{"toggle", "tuner", "mode", "wap", "z7hotas", "gdp"}));
    EXPECT_EQ(FindDeviceKind("lamp"), nullptr);
    for (const char* name :
         {"toggle", "tuner", "mode", "wap", "z7hotas", "gdp", "foreign", "unsupported"}) {
        SCOPED_TRACE(name);
        const DeviceKind* kind = FindDeviceKind(name);
        ASSERT_NE(kind, nullptr);
        auto model = kind->make(kind->describe());
        EXPECT_TRUE(model->Parsed());
        Sim::DeviceId id = Sim::PlugDevice(model);
        bool display = std::string(name) == "z7hotas" || std::string(name) == "gdp";
        EXPECT_EQ(!Sim::DisplayInterfacePath(id).empty(), display);
        Platform::ScopedDevice hid(
            Platform::DeviceIo().Open(Sim::HidInterfacePath(id).c_str(), false));
        EXPECT_TRUE(hid);
    }
}

TEST_F(DeviceModels, DisplayStubAnswersControlAndWriteAndHoldsReads) {
    for (const char* name : {"z7hotas", "gdp"}) {
        SCOPED_TRACE(name);
        const DeviceKind* kind = FindDeviceKind(name);
        Sim::DeviceId id = Sim::PlugDevice(kind->make(kind->describe()));
        Platform::ScopedDevice device(
            Platform::DeviceIo().Open(Sim::DisplayInterfacePath(id).c_str(), true));
        ASSERT_TRUE(device);
        Platform::Overlapped block;
        uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        uint32_t n = 99;
        ASSERT_TRUE(
            Platform::DeviceIo().IoControl(device.get(), 0x222000, bytes, 2, bytes, 8, &n, &block));
        EXPECT_EQ(n, 0u);
        ASSERT_TRUE(Platform::DeviceIo().Write(device.get(), bytes, 5, &n, &block));
        EXPECT_EQ(n, 5u);

        Platform::Overlapped first, second;
        EXPECT_FALSE(Platform::DeviceIo().Read(device.get(), bytes, 8, nullptr, &first));
        EXPECT_EQ(Platform::Sync().GetLastError(), Platform::kErrorIoPending);
        EXPECT_FALSE(Platform::DeviceIo().Read(device.get(), bytes, 8, nullptr, &second));
        ASSERT_TRUE(Platform::DeviceIo().CancelIoEx(device.get(), &first));
        EXPECT_FALSE(Platform::DeviceIo().GetOverlappedResult(device.get(), &first, &n, false));
        EXPECT_EQ(Platform::Sync().GetLastError(), Platform::kErrorOperationAborted);
        size_t held = 0;
        Sim::WithModel(id, [&](Sim::VirtualDevice& model, Sim::PendingRequests&) {
            held = dynamic_cast<GlassLinkStubDevice&>(model).PendingReads().size();
        });
        EXPECT_EQ(held, 1u);  // the cancelled read is forgotten

        ASSERT_TRUE(Sim::UnplugDevice(id));
        EXPECT_FALSE(Platform::DeviceIo().GetOverlappedResult(device.get(), &second, &n, false));
        EXPECT_EQ(Platform::Sync().GetLastError(), Platform::kErrorDeviceNotConnected);
    }
}

}  // namespace
}  // namespace Orv::SimDevices
