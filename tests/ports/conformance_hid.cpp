// What every backend of the HID port must do: the HID interface class, the
// hid.dll calls on a device (attributes, preparsed data and capabilities,
// the usages on in a report, feature reports, the serial number string),
// and their failures without a device.
//
// A plugged device is needed for the calls' successes: the simulation
// platform plugs one on its device bus; Wine has no HID device of ours, so
// those cases are skipped there.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/device_ids.h"
#include "platform/hid.h"
#include "platform/sync.h"

#ifndef _WIN32
#include "platform/device_io.h"
#include "platform/sim/sim_devices.h"
#endif

namespace Orv::Platform {
namespace {

TEST(HidConformance, HidClassIsTheHidInterfaceGuid) {
    EXPECT_TRUE(Hid().GetHidGuid() == GUID_HID_INTERFACE);
}

TEST(HidConformance, CallsWithoutADeviceFail) {
    struct Case {
        const char* call;
        bool (*run)();
    };
    const Case cases[] = {
        {"GetAttributes",
         [] {
             HidAttributes attributes;
             return Hid().GetAttributes(nullptr, &attributes);
         }},
        {"GetPreparsedData",
         [] {
             HidPreparsedData data = nullptr;
             return Hid().GetPreparsedData(nullptr, &data);
         }},
        {"SetFeature",
         [] {
             const uint8_t report[] = {0, 1, 2};
             return Hid().SetFeature(nullptr, report, sizeof report);
         }},
        {"GetSerialNumberString",
         [] {
             wchar_t serial[32];
             return Hid().GetSerialNumberString(nullptr, serial, sizeof serial);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        Sync().SetLastError(0);
        EXPECT_FALSE(c.run());
        EXPECT_EQ(Sync().GetLastError(), kErrorInvalidHandle);
    }
}

TEST(HidConformance, ParserCallsRefuseDataThatIsNotPreparsed) {
    // Zeroed memory of the size of real preparsed data: no backend's.
    alignas(8) unsigned char bogus[256] = {};
    HidPreparsedData data = bogus;
    HidCaps caps;
    EXPECT_EQ(Hid().GetCaps(data, &caps), kHidpStatusInvalidPreparsedData);
    EXPECT_EQ(Hid().MaxUsageListLength(HidReportType::Input, kHidUsagePageButton, data), 0u);
    const uint8_t report[] = {0, 0xFF, 0xFF};
    uint16_t usages[16];
    uint32_t length = 16;
    EXPECT_EQ(Hid().GetUsages(HidReportType::Input, kHidUsagePageButton, 0, usages, &length, data,
                              report, sizeof report),
              kHidpStatusInvalidPreparsedData);
}

#ifdef _WIN32

TEST(HidConformance, PluggedDeviceCases) {
    GTEST_SKIP() << "Wine has no HID device of ours: attributes, capabilities, usages, feature "
                    "reports and the serial number string run on the simulation platform only";
}

#else

// A tuner-like panel: 12 buttons in two input bytes after the report id, a
// feature report of 5 bytes with its id.
class HidDeviceConformance : public ::testing::Test {
protected:
    void SetUp() override {
        Sim::VirtualHidDevice desc;
        desc.vendorId = VENDOR_ID_PANELS;
        desc.productId = PRODUCT_ID_TUNER;
        desc.versionNumber = 0x0123;
        desc.serial = L"TN-0042";
        desc.reportDescriptor = Sim::PanelReportDescriptor(12, 5);
        id_ = Sim::PlugDevice(desc);
        ASSERT_NE(id_, 0u);
        device_ = Open(Sim::HidInterfacePath(id_));
        ASSERT_NE(device_, nullptr);
    }
    void TearDown() override {
        if (device_ != nullptr)
            Close(device_);
        Sim::UnplugDevice(id_);
    }

    // The HID handle, opened as the core opens it.
    static Handle Open(const std::wstring& path) { return DeviceIo().Open(path.c_str(), true); }
    static void Close(Handle device) { DeviceIo().Close(device); }

    Sim::DeviceId id_ = 0;
    Handle device_ = nullptr;
};

TEST_F(HidDeviceConformance, AttributesCapabilitiesAndUsages) {
    HidAttributes attributes;
    ASSERT_TRUE(Hid().GetAttributes(device_, &attributes));
    EXPECT_EQ(attributes.vendorId, VENDOR_ID_PANELS);
    EXPECT_EQ(attributes.productId, PRODUCT_ID_TUNER);
    EXPECT_EQ(attributes.versionNumber, 0x0123);

    HidPreparsedData raw = nullptr;
    ASSERT_TRUE(Hid().GetPreparsedData(device_, &raw));
    ScopedPreparsedData data(raw);
    HidCaps caps;
    ASSERT_EQ(Hid().GetCaps(data.get(), &caps), kHidpStatusSuccess);
    EXPECT_EQ(caps.usagePage, 0x01);
    EXPECT_EQ(caps.usage, 0x04);
    EXPECT_EQ(caps.inputReportByteLength, 3);
    EXPECT_EQ(caps.outputReportByteLength, 0);
    EXPECT_EQ(caps.featureReportByteLength, 5);
    EXPECT_EQ(Hid().MaxUsageListLength(HidReportType::Input, kHidUsagePageButton, data.get()), 12u);
    EXPECT_EQ(Hid().MaxUsageListLength(HidReportType::Input, 0x08, data.get()), 0u);

    // Buttons 1, 3 and 12 on.
    const uint8_t report[] = {0x00, 0x05, 0x08};
    struct Case {
        const char* what;
        uint32_t room;
        uint32_t reportLength;
        uint32_t status;
        std::vector<uint16_t> usages;
    };
    const Case cases[] = {
        {"whole report", 16, 3, kHidpStatusSuccess, {1, 3, 12}},
        {"too little room", 2, 3, kHidpStatusBufferTooSmall, {}},
        {"short report", 16, 2, kHidpStatusInvalidReportLength, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        uint16_t usages[16] = {};
        uint32_t length = c.room;
        ASSERT_EQ(Hid().GetUsages(HidReportType::Input, kHidUsagePageButton, 0, usages, &length,
                                  data.get(), report, c.reportLength),
                  c.status);
        if (c.status != kHidpStatusSuccess)
            continue;
        std::vector<uint16_t> found(usages, usages + length);
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, c.usages);
    }
    data.reset();
    EXPECT_EQ(Hid().GetCaps(raw, &caps), kHidpStatusInvalidPreparsedData) << "freed";
}

TEST_F(HidDeviceConformance, FeatureReportsAndTheSerialNumber) {
    const std::vector<uint8_t> feature = {0x00, 0x11, 0x22, 0x33, 0x44};
    ASSERT_TRUE(Hid().SetFeature(device_, feature.data(), 5));
    EXPECT_EQ(Sim::TakeFeatureReports(id_), std::vector<std::vector<uint8_t> >{feature});

    wchar_t serial[32];
    std::fill(std::begin(serial), std::end(serial), L'#');
    ASSERT_TRUE(Hid().GetSerialNumberString(device_, serial, sizeof serial));
    EXPECT_EQ(std::wstring(serial), L"TN-0042");

    ASSERT_TRUE(Sim::SetDeviceFault(id_, Sim::DeviceFault::Serial, 1));
    Sync().SetLastError(0);
    EXPECT_FALSE(Hid().GetSerialNumberString(device_, serial, sizeof serial));
    EXPECT_NE(Sync().GetLastError(), 0u);
}

TEST_F(HidDeviceConformance, AnUnpluggedDeviceFailsWithNotConnected) {
    ASSERT_TRUE(Sim::UnplugDevice(id_));
    HidAttributes attributes;
    const uint8_t feature[] = {0, 1, 2, 3, 4};
    Sync().SetLastError(0);
    EXPECT_FALSE(Hid().GetAttributes(device_, &attributes));
    EXPECT_EQ(Sync().GetLastError(), kErrorDeviceNotConnected);
    Sync().SetLastError(0);
    EXPECT_FALSE(Hid().SetFeature(device_, feature, sizeof feature));
    EXPECT_EQ(Sync().GetLastError(), kErrorDeviceNotConnected);
}

#endif

}  // namespace
}  // namespace Orv::Platform
