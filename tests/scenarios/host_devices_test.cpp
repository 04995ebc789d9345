// The host's virtual devices in the event log: attach and detach lines, and
// a feature report that reaches a device (sent here through the HID port,
// as a panel sends it).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/device_interfaces.h"
#include "platform/hid.h"
#include "sim/host/host.h"

namespace Orv::Host {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(HostDevices, LogsAttachDetachAndFeatureReports) {
    std::string log =
        (std::filesystem::temp_directory_path() / "orv_host_devices_test.log").string();
    Options options;
    options.log = log;
    options.plugin = ORV_STUB_PLUGIN;
    Host host(options);
    std::string error;
    ASSERT_TRUE(host.Setup(&error)) << error;
    ASSERT_TRUE(host.Plug({"toggle", "t", "serial=S1"}, &error)) << error;
    EXPECT_FALSE(host.Plug({"toggle", "t"}, &error));
    EXPECT_FALSE(host.Plug({"lamp"}, &error));
    EXPECT_EQ(error, "unknown device kind 'lamp'");

    Platform::InterfaceList list =
        Platform::DeviceInterfaces().OpenInterfaceList(Platform::Hid().GetHidGuid());
    std::wstring path;
    ASSERT_TRUE(Platform::DeviceInterfaces().GetInterfacePath(list, 0, &path));
    Platform::DeviceInterfaces().CloseInterfaceList(list);
    Platform::ScopedDevice device(Platform::DeviceIo().Open(path.c_str(), false));
    ASSERT_NE(device.get(), nullptr);
    const uint8_t lamps[] = {0x00, 0x0A};
    EXPECT_TRUE(Platform::Hid().SetFeature(device.get(), lamps, 2));
    device.reset();

    EXPECT_TRUE(host.Unplug("t", &error)) << error;
    EXPECT_FALSE(host.Unplug("t", &error));
    host.Finish();

    std::string text = ReadFile(log);
    std::filesystem::remove(log);
    EXPECT_NE(
        text.find(
            R"({"frame":0,"ev":"attach","device":"t","kind":"toggle","path":"\\\\?\\hid#vid_4f56&pid_0d01#)"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find(R"({"frame":0,"ev":"feature","device":"t","bytes":"000a"})"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(R"({"frame":0,"ev":"detach","device":"t","kind":"toggle")"),
              std::string::npos)
        << text;
}

}  // namespace
}  // namespace Orv::Host
