// The device models of sim/devices: the kinds as the host plugs them, and
// the display interface stub of the display devices.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/device_io.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_platform.h"
#include "platform/sync.h"
#include "sim/devices/device_kinds.h"
#include "sim/devices/glasslink_stub.h"
#include "sim/devices/z7hotas.h"

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
    // The joystick's display is its MFD model now (below).
    for (const char* name : {"gdp"}) {
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

TEST_F(DeviceModels, MfdTakesWellFormedRequestsOnlyAndKeepsItsLines) {
    const DeviceKind* kind = FindDeviceKind("z7hotas");
    Sim::DeviceId id = Sim::PlugDevice(kind->make(kind->describe()));
    Platform::ScopedDevice device(
        Platform::DeviceIo().Open(Sim::DisplayInterfacePath(id).c_str(), true));
    ASSERT_TRUE(device);
    auto lines = [&] {
        std::array<std::string, 3> shown;
        Sim::WithModel(id, [&](Sim::VirtualDevice& model, Sim::PendingRequests&) {
            shown = dynamic_cast<Z7HotasDevice&>(model).Lines();
        });
        return shown;
    };
    constexpr uint32_t kSetString = 0x00223004;
    struct Case {
        uint32_t code;
        std::vector<uint8_t> input;
        uint32_t error;
        std::array<std::string, 3> after;
    };
    const Case cases[] = {
        // Words of several lines in one request; a write word whose first
        // character is 0 still adds it.
        {kSetString,
         {0xD9, 0, 0, 0, 0xD1, 0, 'B', 'A', 0xD4, 0, 0, 'C', 0xD2, 0, 'x', 0},
         0,
         {"AB", std::string("\0x", 2), "C"}},
        // Writes append to what the line shows; a clear blanks it.
        {kSetString, {0xD1, 0, 0, 'D', 0xDC, 0, 0, 0}, 0, {"ABD", std::string("\0x", 2), ""}},
        // Refused whole: an unknown command, a cut word, no word, another code.
        {kSetString, {0xD9, 0, 0, 0, 0xD3, 0, 'Z', 'Z'}, 87, {"ABD", std::string("\0x", 2), ""}},
        {kSetString, {0xD9, 0, 0}, 87, {"ABD", std::string("\0x", 2), ""}},
        {kSetString, {}, 87, {"ABD", std::string("\0x", 2), ""}},
        {0x00223084, {1, 0}, 87, {"ABD", std::string("\0x", 2), ""}},
        {0x00222000, {0xD9, 0, 0, 0}, 1, {"ABD", std::string("\0x", 2), ""}},
    };
    for (const Case& c : cases) {
        Platform::Overlapped block;
        uint32_t n = 0;
        bool done = Platform::DeviceIo().IoControl(device.get(), c.code, c.input.data(),
                                                   static_cast<uint32_t>(c.input.size()), nullptr,
                                                   0, &n, &block);
        EXPECT_EQ(done, c.error == 0);
        if (!done) {
            EXPECT_EQ(Platform::Sync().GetLastError(), c.error);
        }
        EXPECT_EQ(lines(), c.after);
    }
}

}  // namespace
}  // namespace Orv::SimDevices
