// What every backend of the device-interface port must do: a list of the
// present interfaces of a class, its members' paths, detail sizes and
// physical-device-object names, and the failures past the end or without a
// list.
//
// Listing members needs present devices: the simulation platform plugs them
// on its device bus; Wine has none of ours, so those cases are skipped
// there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/device_ids.h"
#include "platform/device_interfaces.h"
#include "platform/sync.h"

#ifndef _WIN32
#include "platform/sim/sim_devices.h"
#endif

namespace Orv::Platform {
namespace {

constexpr uint32_t kErrorNoMoreItems = 259;

// A class that no device has.
constexpr Guid kNoDevicesClass = {
    0x6F0A3E51, 0x2C4B, 0x4D7E, {0x9A, 0x13, 0x5E, 0x80, 0x4B, 0x21, 0xC7, 0x0D}};

TEST(DeviceInterfacesConformance, AClassWithoutDevicesListsNothing) {
    InterfaceList list = DeviceInterfaces().OpenInterfaceList(kNoDevicesClass);
    ASSERT_NE(list, nullptr) << Sync().GetLastError();
    Sync().SetLastError(0);
    EXPECT_FALSE(DeviceInterfaces().HasInterface(list, 0));
    EXPECT_EQ(Sync().GetLastError(), kErrorNoMoreItems);
    EXPECT_EQ(DeviceInterfaces().GetInterfaceDetailSize(list, 0), 0u);
    std::wstring path = L"stale";
    EXPECT_FALSE(DeviceInterfaces().GetInterfacePath(list, 0, &path));
    EXPECT_TRUE(path.empty());
    EXPECT_TRUE(DeviceInterfaces().GetPhysicalDeviceObjectName(list, 0).empty());
    DeviceInterfaces().CloseInterfaceList(list);
}

TEST(DeviceInterfacesConformance, CallsWithoutAListFail) {
    std::wstring path = L"stale";
    EXPECT_FALSE(DeviceInterfaces().HasInterface(nullptr, 0));
    EXPECT_EQ(DeviceInterfaces().GetInterfaceDetailSize(nullptr, 0), 0u);
    EXPECT_FALSE(DeviceInterfaces().GetInterfacePath(nullptr, 0, &path));
    EXPECT_TRUE(path.empty());
    EXPECT_TRUE(DeviceInterfaces().GetPhysicalDeviceObjectName(nullptr, 0).empty());
    DeviceInterfaces().CloseInterfaceList(nullptr);
}

#ifdef _WIN32

TEST(DeviceInterfacesConformance, PresentDevicesCases) {
    GTEST_SKIP() << "Wine has no device of ours: the members of a list (paths, detail sizes, "
                    "device object names) run on the simulation platform only";
}

#else

struct Member {
    std::wstring path;
    uint32_t detailSize;
    std::wstring pdo;
    bool operator==(const Member&) const = default;
};

std::vector<Member> Members(const Guid& interfaceClass) {
    std::vector<Member> members;
    InterfaceList list = DeviceInterfaces().OpenInterfaceList(interfaceClass);
    if (list == nullptr)
        return members;
    for (uint32_t i = 0; DeviceInterfaces().HasInterface(list, i); ++i) {
        Member m{{}, DeviceInterfaces().GetInterfaceDetailSize(list, i), {}};
        EXPECT_TRUE(DeviceInterfaces().GetInterfacePath(list, i, &m.path));
        m.pdo = DeviceInterfaces().GetPhysicalDeviceObjectName(list, i);
        members.push_back(m);
    }
    DeviceInterfaces().CloseInterfaceList(list);
    return members;
}

// The detail structure's fixed part (its size field) and the terminated
// UTF-16 path.
uint32_t DetailSize(const std::wstring& path) {
    return static_cast<uint32_t>(4 + (path.size() + 1) * 2);
}

Member HidMember(Sim::DeviceId id) {
    std::wstring path = Sim::HidInterfacePath(id);
    return {path, DetailSize(path), Sim::PhysicalDeviceObjectName(id)};
}

class PresentDevices : public ::testing::Test {
protected:
    void SetUp() override {
        Sim::ResetDevices();
        Sim::VirtualHidDevice panel;
        panel.vendorId = VENDOR_ID_PANELS;
        panel.productId = PRODUCT_ID_TOGGLE;
        panel.reportDescriptor = Sim::PanelReportDescriptor(8, 0);
        Sim::VirtualHidDevice gdp = panel;
        gdp.productId = PRODUCT_ID_GDP;
        gdp.hasDisplayInterface = true;
        gdp.displayClass = GUID_GDP_GLASSLINK_INTERFACE;
        panel_ = Sim::PlugDevice(panel);
        gdp_ = Sim::PlugDevice(gdp);
    }
    void TearDown() override { Sim::ResetDevices(); }

    Sim::DeviceId panel_ = 0;
    Sim::DeviceId gdp_ = 0;
};

TEST_F(PresentDevices, EachClassListsItsInterfaces) {
    EXPECT_EQ(Members(GUID_HID_INTERFACE),
              (std::vector<Member>{HidMember(panel_), HidMember(gdp_)}));

    // The display interface shares its device's object name.
    std::wstring display = Sim::DisplayInterfacePath(gdp_);
    EXPECT_EQ(Members(GUID_GDP_GLASSLINK_INTERFACE),
              (std::vector<Member>{{display, DetailSize(display), HidMember(gdp_).pdo}}));
    EXPECT_TRUE(Members(GUID_Z7HOTAS_GLASSLINK_INTERFACE).empty());
}

TEST_F(PresentDevices, AListKeepsWhatWasPresentWhenItWasMade) {
    InterfaceList before = DeviceInterfaces().OpenInterfaceList(GUID_HID_INTERFACE);
    ASSERT_NE(before, nullptr);
    ASSERT_TRUE(Sim::UnplugDevice(panel_));
    std::wstring path;
    EXPECT_TRUE(DeviceInterfaces().GetInterfacePath(before, 0, &path));
    EXPECT_EQ(path, Sim::HidInterfacePath(panel_));
    EXPECT_TRUE(DeviceInterfaces().HasInterface(before, 1));
    DeviceInterfaces().CloseInterfaceList(before);

    EXPECT_EQ(Members(GUID_HID_INTERFACE), std::vector<Member>{HidMember(gdp_)});
}

#endif

}  // namespace
}  // namespace Orv::Platform
