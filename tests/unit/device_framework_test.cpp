// The device manager and the HID panel base on the virtual device bus, in
// virtual time: discovery and hot-plug, input reads and their failures,
// bad input, the locks' effect on frames, display devices, shut-down.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/message_window.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_devices_internal.h"
#include "platform/sim/sim_platform.h"
#include "platform/sync.h"
#include "plugin/core/device_enum.h"
#include "plugin/devices/avionex.h"
#include "sdk/xplm.h"
#include "sim/xplane/world.h"
#include "tests/unit/device_test_support.h"
#include "tests/unit/trace_fixture.h"

namespace Orv::Test {
namespace {

// What the test panels saw.
struct Seen {
    std::vector<std::tuple<std::wstring, uint16_t, int32_t>> buttons;
    std::vector<std::wstring> notified;  // one entry per OnNotify
    std::vector<std::wstring> uninitialized;
    uint32_t blockUninitializeMs = 0;
    bool hangInitialize = false;
    int alive = 0;
};
Seen g_seen;

// The lives of the test panels and display devices, in order:
// "init PATH", "uninit PATH", "gone PATH".
std::vector<std::wstring> g_lives;

// Registers usages 1 to 8.
class TestPanel : public CPanel {
public:
    explicit TestPanel(const std::wstring& path) : CPanel(path) { ++g_seen.alive; }
    ~TestPanel() override {
        --g_seen.alive;
        g_lives.push_back(L"gone " + GetDevicePath());
    }
    void OnInitialize() override {
        g_lives.push_back(L"init " + GetDevicePath());
        for (uint16_t usage = 1; usage <= 8; ++usage)
            buttonStates[usage] = 0;
        if (g_seen.hangInitialize)
            Platform::Sync().Sleep(Platform::kInfinite);
    }
    void OnUninitialize() override {
        g_lives.push_back(L"uninit " + GetDevicePath());
        g_seen.uninitialized.push_back(GetDevicePath());
        if (g_seen.blockUninitializeMs != 0)
            Platform::Sync().Sleep(g_seen.blockUninitializeMs);
    }
    void OnNotify() override { g_seen.notified.push_back(GetDevicePath()); }
    void OnButton(uint16_t usage, int32_t on) override {
        g_seen.buttons.emplace_back(GetDevicePath(), usage, on);
    }
};

std::unique_ptr<CPanel> MakeTestPanel(const std::wstring& path, const std::wstring&, CAvionex*) {
    return std::make_unique<TestPanel>(path);
}

// A display device that counts its lives and can hold displayLock (its
// Uninitialize runs under it) for a while.
struct DisplaySeen {
    int alive = 0;
    int uninitialized = 0;
    uint32_t blockUninitializeMs = 0;
};
DisplaySeen g_display;

class TestDisplay : public CGlassLink {
public:
    explicit TestDisplay(const std::wstring& path) : CGlassLink(path) { ++g_display.alive; }
    ~TestDisplay() override {
        --g_display.alive;
        g_lives.push_back(L"gone " + GetDevicePath());
    }
    bool Initialize() override {
        g_lives.push_back(L"init " + GetDevicePath());
        return true;
    }
    void Uninitialize() override {
        g_lives.push_back(L"uninit " + GetDevicePath());
        ++g_display.uninitialized;
        if (g_display.blockUninitializeMs != 0)
            Platform::Sync().Sleep(g_display.blockUninitializeMs);
    }
};

std::shared_ptr<CGlassLink> MakeTestDisplay(const std::wstring& path) {
    return std::make_shared<TestDisplay>(path);
}

class DeviceFrameworkTest : public TraceFixture {
protected:
    void SetUp() override {
        TraceFixture::SetUp();
        Sim::ResetDevices();
        g_seen = Seen{};
        g_display = DisplaySeen{};
        g_lives.clear();
        Attach(3, 0x7FFFFFFFFFFFFFFFull);
    }
    void TearDown() override {
        if (started_)
            Stop();
        TraceFixture::TearDown();
        Sim::ResetDevices();
    }

    void Start() {
        ASSERT_EQ(manager_->Initialize(), 0u);
        started_ = true;
        Sim::Settle();
    }
    void Stop() {
        manager_->Uninitialize();
        started_ = false;
        Sim::Settle();
    }
    Sim::DeviceId Plug(const Sim::VirtualHidDevice& device) {
        Sim::DeviceId id = Sim::PlugDevice(device);
        Sim::Settle();
        return id;
    }
    void Unplug(Sim::DeviceId id) {
        Sim::UnplugDevice(id);
        Sim::Settle();
    }
    void Press(Sim::DeviceId id, std::vector<uint16_t> usages, bool down = true) {
        ASSERT_TRUE(Sim::SetButtons(id, usages, down));
        Sim::Settle();
    }
    void Frame(int count = 1) {
        for (int i = 0; i < count; ++i)
            manager_->NotifyPanels();
    }
    // Whether some trace line contains text.
    bool Traced(const std::wstring& text) const {
        return std::any_of(records_.begin(), records_.end(), [&](const Sim::TraceRecord& r) {
            return r.text.find(text) != std::wstring::npos;
        });
    }
    // A joystick with its display interface.
    Sim::DeviceId PlugJoystick() {
        Sim::VirtualHidDevice joystick = PanelDevice(PRODUCT_ID_Z7HOTAS);
        joystick.hasDisplayInterface = true;
        joystick.displayClass = GUID_Z7HOTAS_GLASSLINK_INTERFACE;
        return Plug(joystick);
    }
    static std::wstring DisplayPathOf(Sim::DeviceId id) {
        return UTILITY::ConvertStringToLower(Sim::DisplayInterfacePath(id));
    }
    static std::wstring DisplayKeyOf(Sim::DeviceId id) {
        return UTILITY::ConvertStringToLower(Sim::PhysicalDeviceObjectName(id));
    }
    int NotifiedCount(const std::wstring& path) const {
        return static_cast<int>(std::count(g_seen.notified.begin(), g_seen.notified.end(), path));
    }

    std::unique_ptr<CAvionex> manager_ = std::make_unique<CAvionex>(TestKinds(
        {PRODUCT_ID_TOGGLE, PRODUCT_ID_TUNER, PRODUCT_ID_WAP}, &MakeTestPanel, &MakeTestDisplay));
    bool started_ = false;
};

TEST_F(DeviceFrameworkTest, FollowsExactlyTheDeviceThatArrivesOrLeaves) {
    Sim::DeviceId a = Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    Sim::DeviceId b = Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    Start();
    EXPECT_EQ(manager_->PanelCount(), 2u);

    Sim::DeviceId c = Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    EXPECT_EQ(manager_->PanelCount(), 3u);
    EXPECT_EQ(g_seen.alive, 3);
    EXPECT_TRUE(Traced(L"The toggle panel of the Avionex is attached: " + KeyOf(c)));

    Unplug(b);
    EXPECT_EQ(manager_->PanelCount(), 2u);
    EXPECT_EQ(g_seen.uninitialized, std::vector<std::wstring>{KeyOf(b)});
    EXPECT_EQ(g_seen.alive, 2);

    g_seen.notified.clear();
    Frame();
    // In ascending path order, the removed one no more.
    std::vector<std::wstring> expected = {KeyOf(a), KeyOf(c)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(g_seen.notified, expected);
    // Two handles per panel, nothing else left open.
    EXPECT_EQ(Sim::BusUsage().openHandles, 4);
    EXPECT_EQ(Sim::BusUsage().interfaceLists, 0);

    Stop();
    EXPECT_EQ(g_seen.alive, 0);
    Sim::DeviceBusUsage usage = Sim::BusUsage();
    EXPECT_EQ(usage.openHandles, 0);
    EXPECT_EQ(usage.preparsedData, 0);
    EXPECT_EQ(usage.pendingReads, 0);
}

TEST_F(DeviceFrameworkTest, ReportsBecomeButtonChangesInUsageOrder) {
    Sim::DeviceId id = Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    Start();
    std::wstring path = KeyOf(id);
    Frame();  // the first read is issued

    Press(id, {5, 3, 12});  // 12 is not registered
    Frame();
    using B = std::tuple<std::wstring, uint16_t, int32_t>;
    EXPECT_EQ(g_seen.buttons, (std::vector<B>{{path, 3, 1}, {path, 5, 1}}));

    g_seen.buttons.clear();
    Press(id, {3}, false);
    Frame();
    EXPECT_EQ(g_seen.buttons, (std::vector<B>{{path, 3, 0}}));

    // Each frame collects at most one report; OnNotify comes every frame.
    g_seen.buttons.clear();
    Press(id, {1});
    Press(id, {2});
    g_seen.notified.clear();
    Frame();
    EXPECT_EQ(g_seen.buttons, (std::vector<B>{{path, 1, 1}}));
    Frame();
    EXPECT_EQ(g_seen.buttons, (std::vector<B>{{path, 1, 1}, {path, 2, 1}}));
    EXPECT_EQ(NotifiedCount(path), 2);
}

TEST_F(DeviceFrameworkTest, AReadPendingForThreePollsCompletesOnTheThirdFrame) {
    Sim::DeviceId id = Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    Sim::SetDeviceFault(id, Sim::DeviceFault::Pending, 3);
    Start();
    Press(id, {4});
    Frame(2);
    EXPECT_TRUE(g_seen.buttons.empty());
    EXPECT_EQ(Sim::BusUsage().pendingReads, 1);  // the same read, not a new one
    Frame();
    ASSERT_EQ(g_seen.buttons.size(), 1u);
    EXPECT_EQ(std::get<1>(g_seen.buttons[0]), 4);
}

TEST_F(DeviceFrameworkTest, AFailingReadIsRetriedOnTheNextFrame) {
    Sim::DeviceId id = Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    Sim::SetDeviceFault(id, Sim::DeviceFault::Read, 31);
    Start();
    Frame();
    EXPECT_TRUE(Traced(L"Failed in reading the data from the panel due to 31"));
    EXPECT_EQ(Sim::BusUsage().pendingReads, 0);
    EXPECT_EQ(NotifiedCount(KeyOf(id)), 1);  // output goes on while input fails
    Frame();
    EXPECT_EQ(Sim::BusUsage().pendingReads, 1);
    Press(id, {2});
    Frame();
    EXPECT_EQ(g_seen.buttons.size(), 1u);
}

TEST_F(DeviceFrameworkTest, APanelWithoutInputReportsNeverReads) {
    Sim::DeviceId id = Plug(PanelDevice(PRODUCT_ID_WAP, 0, 6));
    Start();
    EXPECT_EQ(manager_->PanelCount(), 1u);
    Frame(3);
    EXPECT_EQ(NotifiedCount(KeyOf(id)), 3);
    EXPECT_EQ(Sim::BusUsage().pendingReads, 0);
    EXPECT_FALSE(Sim::SetButtons(id, {1}, true));
    EXPECT_TRUE(g_seen.buttons.empty());
}

// Reports that do not fit the descriptor: a failure line each, no button
// change, and the next good report is still read.
TEST_F(DeviceFrameworkTest, BadInputReportsAreReportedAndSkipped) {
    struct Case {
        std::vector<uint8_t> report;
        const wchar_t* line;
    } cases[] = {
        {{0x00, 0x01}, L"Failed in reading a whole input report: 2 of 4 bytes"},
        {{0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00},
         L"Failed in calling GetOverlappedResult due to 1784"},
        {{0x07, 0x01, 0x00, 0x00}, L"Failed in getting the buttons on list due to 0xc011000a"},
    };
    Sim::DeviceId id = Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    Start();
    Frame();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.report));
        Clear();
        ASSERT_TRUE(Sim::SendInputReport(id, c.report));
        Frame(2);
        EXPECT_TRUE(Traced(c.line));
        EXPECT_TRUE(g_seen.buttons.empty());
    }
    Press(id, {8});
    Frame(2);
    EXPECT_EQ(g_seen.buttons.size(), 1u);
}

TEST_F(DeviceFrameworkTest, ADescriptorThatCannotBeParsedLeavesTheDeviceAlone) {
    Sim::VirtualHidDevice device = PanelDevice(PRODUCT_ID_TOGGLE);
    device.reportDescriptor = {0x05, 0x01, 0xA1, 0x01, 0xFE,
                               0x02, 0x00, 0x00, 0xC0};  // a long item
    Plug(device);
    Start();
    EXPECT_TRUE(Traced(L"Failed in retrieving HID report descriptor due to: 13"));
    EXPECT_TRUE(Traced(L"Failed in initializing the panel object"));
    EXPECT_EQ(manager_->PanelCount(), 0u);
    EXPECT_EQ(g_seen.alive, 0);
    EXPECT_EQ(Sim::BusUsage().openHandles, 0);
}

TEST_F(DeviceFrameworkTest, ADeviceThatVanishesDuringARead) {
    Sim::DeviceId id = Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    Start();
    Frame();
    // The read ends before the removal notice is handled.
    Sim::UnplugDevice(id);
    Frame();
    EXPECT_TRUE(Traced(L"Failed in calling GetOverlappedResult due to 1167"));
    Sim::Settle();
    EXPECT_EQ(manager_->PanelCount(), 0u);
    EXPECT_EQ(Sim::BusUsage().openHandles, 0);
}

TEST_F(DeviceFrameworkTest, ASecondArrivalForAPathReplacesItsPanel) {
    Sim::DeviceId id = Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    Start();
    Frame();
    Sim::Detail::BroadcastDeviceInterface(GUID_HID_INTERFACE, Sim::HidInterfacePath(id),
                                          Platform::kDbtDeviceArrival);
    Sim::Settle();
    EXPECT_EQ(manager_->PanelCount(), 1u);
    EXPECT_EQ(g_seen.alive, 1);
    EXPECT_EQ(g_seen.uninitialized, std::vector<std::wstring>{KeyOf(id)});
    EXPECT_TRUE(Traced(L"arrived again and replaces the previous one"));
    // The old panel's handles and read are gone with it.
    EXPECT_EQ(Sim::BusUsage().openHandles, 2);
    EXPECT_EQ(Sim::BusUsage().pendingReads, 0);
    Frame();
    Press(id, {1});
    Frame();
    EXPECT_EQ(g_seen.buttons.size(), 1u);
}

// A path that arrives again, with no removal between: the device there
// ends (uninitialised and gone) before the new one starts.
TEST_F(DeviceFrameworkTest, ASecondArrivalEndsTheOldDeviceBeforeTheNewOneStarts) {
    Sim::DeviceId panel = Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    Sim::DeviceId joystick = PlugJoystick();
    Start();
    struct Case {
        Platform::Guid interfaceClass;
        std::wstring interfacePath;  // as the notice names it
        std::wstring path;           // as the device holds it
    } cases[] = {
        {GUID_HID_INTERFACE, Sim::HidInterfacePath(panel), KeyOf(panel)},
        {GUID_Z7HOTAS_GLASSLINK_INTERFACE, Sim::DisplayInterfacePath(joystick),
         DisplayPathOf(joystick)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Sim::ToUtf8(c.path));
        g_lives.clear();
        Sim::Detail::BroadcastDeviceInterface(c.interfaceClass, c.interfacePath,
                                              Platform::kDbtDeviceArrival);
        Sim::Settle();
        EXPECT_EQ(g_lives, (std::vector<std::wstring>{L"uninit " + c.path, L"gone " + c.path,
                                                      L"init " + c.path}));
    }
    EXPECT_EQ(manager_->PanelCount(), 2u);
    EXPECT_EQ(manager_->DisplayDeviceCount(), 1u);
    EXPECT_NE(manager_->GetGlassLink(DisplayKeyOf(joystick)), nullptr);
}

// At stop each device ends before the next one does: the panels in path
// order, then the display devices in key order.
TEST_F(DeviceFrameworkTest, StopEndsOneDeviceAfterTheOther) {
    Sim::DeviceId a = Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    Sim::DeviceId b = Plug(PanelDevice(PRODUCT_ID_TUNER));
    Sim::DeviceId j1 = PlugJoystick();
    Sim::DeviceId j2 = PlugJoystick();
    Start();
    ASSERT_EQ(manager_->DisplayDeviceCount(), 2u);
    g_lives.clear();
    Stop();

    std::vector<std::wstring> panels = {KeyOf(a), KeyOf(b)};
    std::sort(panels.begin(), panels.end());
    std::vector<std::pair<std::wstring, std::wstring>> displays = {
        {DisplayKeyOf(j1), DisplayPathOf(j1)}, {DisplayKeyOf(j2), DisplayPathOf(j2)}};
    std::sort(displays.begin(), displays.end());
    std::vector<std::wstring> expected;
    for (const std::wstring& path : panels)
        expected.insert(expected.end(), {L"uninit " + path, L"gone " + path});
    for (const auto& [key, path] : displays)
        expected.insert(expected.end(), {L"uninit " + path, L"gone " + path});
    EXPECT_EQ(g_lives, expected);
}

TEST_F(DeviceFrameworkTest, BusyLocksSkipTheFrameAndGetGlassLink) {
    Sim::DeviceId panel = Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    Sim::DeviceId other = Plug(PanelDevice(PRODUCT_ID_TUNER));
    Start();

    // The message thread removes a panel and holds panelLock meanwhile.
    g_seen.blockUninitializeMs = 100;
    g_seen.notified.clear();
    Sim::UnplugDevice(other);
    Sim::Settle();
    Frame();
    EXPECT_TRUE(g_seen.notified.empty());
    Sim::Advance(100);
    Frame();
    EXPECT_EQ(g_seen.notified, std::vector<std::wstring>{KeyOf(panel)});

    // The same for displayLock, held by a display device's removal.
    Sim::VirtualHidDevice joystick = PanelDevice(PRODUCT_ID_Z7HOTAS);
    joystick.hasDisplayInterface = true;
    joystick.displayClass = GUID_Z7HOTAS_GLASSLINK_INTERFACE;
    Sim::DeviceId j = Plug(joystick);
    std::wstring key = UTILITY::ConvertStringToLower(Sim::PhysicalDeviceObjectName(j));
    std::shared_ptr<CGlassLink> held = manager_->GetGlassLink(key);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->GetDevicePath(), UTILITY::ConvertStringToLower(Sim::DisplayInterfacePath(j)));

    g_display.blockUninitializeMs = 100;
    g_seen.notified.clear();
    Sim::UnplugDevice(j);
    Sim::Settle();
    EXPECT_EQ(manager_->GetGlassLink(key), nullptr);
    Frame();
    EXPECT_TRUE(g_seen.notified.empty());
    Sim::Advance(100);
    EXPECT_EQ(g_display.uninitialized, 1);
    // The reference keeps the removed device alive until it is dropped.
    EXPECT_EQ(g_display.alive, 1);
    held.reset();
    EXPECT_EQ(g_display.alive, 0);
    EXPECT_EQ(manager_->DisplayDeviceCount(), 0u);
}

TEST_F(DeviceFrameworkTest, AHungMessageThreadIsTerminatedAtShutDown) {
    Start();
    g_seen.hangInitialize = true;
    Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    uint64_t before = Sim::Now();
    Stop();
    EXPECT_EQ(Sim::Now() - before, 5000u);
    EXPECT_TRUE(Traced(L"returns with time out, terminate the thread instead"));
    EXPECT_EQ(Sim::LiveThreadCount(), 0);
}

TEST_F(DeviceFrameworkTest, AMessageThreadThatNeverSignalsFailsTheStartWith554) {
    // A class of that name exists already, with a procedure that ignores
    // the creation message.
    Platform::MessageWindow().RegisterWindowClass(
        L"ORV.AVIONEX.MSG.WINDOW",
        [](Platform::WindowHandle, uint32_t, uintptr_t, intptr_t) -> intptr_t { return 0; },
        nullptr);
    EXPECT_EQ(manager_->Initialize(), 554u);
    EXPECT_TRUE(Traced(L"Failed in waiting for the event signalled by the message window thread"));
    // The thread that did not come up is ended with the failed start.
    EXPECT_EQ(Sim::LiveThreadCount(), 0);
    started_ = true;
}

TEST_F(DeviceFrameworkTest, ForeignAndUnsupportedDevicesAreSkipped) {
    Sim::VirtualHidDevice foreign = PanelDevice(PRODUCT_ID_TOGGLE);
    foreign.vendorId = 0x7F00;
    Sim::VirtualHidDevice unsupported = PanelDevice(0x0DFF);
    Sim::DeviceId f = Plug(foreign);
    Start();
    Sim::DeviceId u = Plug(unsupported);
    EXPECT_TRUE(Traced(L"It's not Brokmar product: " + KeyOf(f)));
    EXPECT_TRUE(
        Traced(L"It is the Brokmar product but not the supported panel device of the Avionex: " +
               KeyOf(u)));
    EXPECT_EQ(manager_->PanelCount(), 0u);
    EXPECT_EQ(Sim::BusUsage().openHandles, 0);
}

TEST_F(DeviceFrameworkTest, SerialNumberAndFeatureReports) {
    Sim::DeviceId id = Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    TestPanel panel(KeyOf(id));
    ASSERT_TRUE(panel.Initialize());
    EXPECT_EQ(panel.GetSerialNumberString(), L"OV" + std::to_wstring(PRODUCT_ID_TOGGLE));
    Sim::SetDeviceFault(id, Sim::DeviceFault::Serial, 1);
    EXPECT_EQ(panel.GetSerialNumberString(), L"");
    EXPECT_TRUE(
        Traced(L"Failed in retrieving HID serial number string due to: 31 but ignore this error"));

    const uint8_t lamps[] = {0x00, 0x0A};
    panel.SendReport(lamps, 2);
    Sim::SetDeviceFault(id, Sim::DeviceFault::Feature, 1167);
    panel.SendReport(lamps, 2);
    EXPECT_TRUE(Traced(L"Failed in sending the SET_FEATURE due to 1167"));
    EXPECT_EQ(Sim::TakeFeatureReports(id), (std::vector<std::vector<uint8_t>>{{0x00, 0x0A}}));
    panel.Uninitialize();
}

TEST_F(DeviceFrameworkTest, EnumDeviceInterfaceListsLowerCasePathsAndNames) {
    struct Visit {
        std::vector<std::pair<std::wstring, std::wstring>> seen;
        int stopAfter = 100;
    } visit;
    auto proc = [](const Platform::Guid*, const std::wstring& path, const std::wstring& name,
                   void* context, const wchar_t*) -> int32_t {
        auto* v = static_cast<Visit*>(context);
        v->seen.emplace_back(path, name);
        return static_cast<int32_t>(v->seen.size()) < v->stopAfter ? 1 : 0;
    };
    EXPECT_EQ(UTILITY::EnumDeviceInterface(&GUID_GDP_GLASSLINK_INTERFACE, proc, &visit, nullptr),
              1);
    EXPECT_TRUE(visit.seen.empty());

    Sim::DeviceId a = Plug(PanelDevice(PRODUCT_ID_TOGGLE));
    Sim::DeviceId b = Plug(PanelDevice(PRODUCT_ID_TUNER));
    EXPECT_EQ(UTILITY::EnumDeviceInterface(&GUID_HID_INTERFACE, proc, &visit, nullptr), 1);
    using Listed = std::vector<std::pair<std::wstring, std::wstring>>;
    EXPECT_EQ(
        visit.seen,
        (Listed{{KeyOf(a), UTILITY::ConvertStringToLower(Sim::PhysicalDeviceObjectName(a))},
                {KeyOf(b), UTILITY::ConvertStringToLower(Sim::PhysicalDeviceObjectName(b))}}));
    EXPECT_TRUE(Traced(L"The required byte size of the device path is "));

    // The procedure ends the walk; the list is released either way.
    visit = Visit{{}, 1};
    EXPECT_EQ(UTILITY::EnumDeviceInterface(&GUID_HID_INTERFACE, proc, &visit, nullptr), 1);
    EXPECT_EQ(visit.seen.size(), 1u);
    EXPECT_EQ(Sim::BusUsage().interfaceLists, 0);
}

}  // namespace
}  // namespace Orv::Test

namespace Orv::Test {
namespace {

// A fresh simulation platform (a new run, a new test) starts the plugin's
// device manager again, with no state left from the previous run.
TEST(DeviceManagerRestartTest, StartsAgainAfterAPlatformReset) {
    for (int run = 0; run < 2; ++run) {
        Sim::Reset(Sim::TimeMode::Virtual);
        XSim::Reset();
        DllEntry(DLL_REASON_PROCESS_ATTACH);
        char name[256], signature[256], description[256];
        EXPECT_EQ(XPluginStart(name, signature, description), 1) << "run " << run;
        EXPECT_EQ(XSim::FlightLoopCount(), 1) << "run " << run;
        XPluginStop();
        DllEntry(DLL_REASON_PROCESS_DETACH);
    }
}

}  // namespace
}  // namespace Orv::Test
