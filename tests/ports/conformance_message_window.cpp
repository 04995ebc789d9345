// What every backend of the message-window port must do: window classes,
// the message-only window with WM_CREATE from inside its creation and its
// user data, the thread's message loop with posted messages and WM_QUIT,
// device-notification registration, and the notices of devices that come
// and go.
//
// Device notices need devices that come and go: the simulation platform
// plugs them on its device bus; Wine has none of ours, so that case is
// skipped there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/device_ids.h"
#include "platform/message_window.h"
#include "platform/sync.h"
#include "tests/ports/port_test_support.h"

#ifndef _WIN32
#include "platform/sim/sim_devices.h"
#endif

namespace Orv::Platform {
namespace {

using PortTest::Event;
using PortTest::PortThread;

constexpr uint32_t kWmUser = 0x0400;
constexpr uint32_t kErrorInvalidWindowHandle = 1400;
constexpr uint32_t kErrorCannotFindWndClass = 1407;
constexpr uint32_t kErrorClassAlreadyExists = 1410;

// A window destroyed before fails DestroyWindow with
// ERROR_INVALID_WINDOW_HANDLE on Windows and on the simulation platform;
// Wine fails it with ERROR_ACCESS_DENIED.  The core relies on the failure
// only.
#ifdef _WIN32
constexpr bool kDestroyedWindowHasItsError = false;
#else
constexpr bool kDestroyedWindowHasItsError = true;
#endif

// What the window procedure saw, for the test that runs it.
struct Seen {
    uint32_t createThread = 0;
    void* createParams = nullptr;
    WindowHandle createWindow = nullptr;
    // The interface notices of WM_DEVICECHANGE: the event and the path.
    std::vector<uintptr_t> notices;
    std::vector<std::wstring> paths;
    Handle noticeEvent = nullptr;
};
Seen* g_seen = nullptr;

intptr_t RecordingProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == kWmCreate && g_seen != nullptr) {
        g_seen->createThread = Sync().GetCurrentThreadId();
        g_seen->createParams = reinterpret_cast<const WindowCreateInfo*>(lParam)->createParams;
        g_seen->createWindow = window;
        return 0;
    }
    if (message == kWmDeviceChange && g_seen != nullptr && lParam != 0) {
        const auto* header = reinterpret_cast<const DeviceNoticeHeader*>(lParam);
        if (header->deviceType == kDbtDevtypDeviceInterface) {
            g_seen->notices.push_back(wParam);
            g_seen->paths.push_back(reinterpret_cast<const DeviceInterfaceNotice*>(lParam)->name);
            Sync().SetEvent(g_seen->noticeEvent);
        }
        return 1;
    }
    return MessageWindow().DefWindowProc(window, message, wParam, lParam);
}

// A window class registered for one test, unregistered at its end.
class WindowClass {
public:
    explicit WindowClass(const wchar_t* name) : name_(name) {
        registered_ = MessageWindow().RegisterWindowClass(name, &RecordingProc, &g_seen);
    }
    ~WindowClass() {
        if (registered_)
            MessageWindow().UnregisterWindowClass(name_, &g_seen);
    }
    bool registered() const { return registered_; }
    const wchar_t* name() const { return name_; }

private:
    const wchar_t* name_;
    bool registered_;
};

class MessageWindowConformance : public ::testing::Test {
protected:
    void SetUp() override { g_seen = &seen_; }
    void TearDown() override { g_seen = nullptr; }
    Seen seen_;
};

TEST_F(MessageWindowConformance, ClassesRegisterOnceAndWindowsNeedOne) {
    const wchar_t* name = L"ORV.CONFORMANCE.CLASSES";
    {
        WindowClass first(name);
        ASSERT_TRUE(first.registered()) << Sync().GetLastError();
        Sync().SetLastError(0);
        EXPECT_FALSE(MessageWindow().RegisterWindowClass(name, &RecordingProc, &g_seen));
        EXPECT_EQ(Sync().GetLastError(), kErrorClassAlreadyExists);
    }
    // Unregistered at the scope's end: no window of it, and it registers
    // anew.
    Sync().SetLastError(0);
    EXPECT_EQ(MessageWindow().CreateMessageWindow(name, nullptr), nullptr);
    EXPECT_EQ(Sync().GetLastError(), kErrorCannotFindWndClass);
    EXPECT_FALSE(MessageWindow().UnregisterWindowClass(name, &g_seen));
    WindowClass again(name);
    EXPECT_TRUE(again.registered());
}

TEST_F(MessageWindowConformance, CreationSendsWmCreateFromInsideAndUserDataSticks) {
    WindowClass windowClass(L"ORV.CONFORMANCE.CREATE");
    ASSERT_TRUE(windowClass.registered());
    int params = 0;
    WindowHandle window = MessageWindow().CreateMessageWindow(windowClass.name(), &params);
    ASSERT_NE(window, nullptr) << Sync().GetLastError();
    EXPECT_EQ(seen_.createWindow, window);
    EXPECT_EQ(seen_.createParams, &params);
    EXPECT_EQ(seen_.createThread, Sync().GetCurrentThreadId());

    EXPECT_EQ(MessageWindow().GetWindowUserData(window), nullptr);
    MessageWindow().SetWindowUserData(window, &seen_);
    EXPECT_EQ(MessageWindow().GetWindowUserData(window), &seen_);

    EXPECT_TRUE(MessageWindow().DestroyWindow(window));
    Sync().SetLastError(0);
    EXPECT_FALSE(MessageWindow().DestroyWindow(window));
    if (kDestroyedWindowHasItsError) {
        EXPECT_EQ(Sync().GetLastError(), kErrorInvalidWindowHandle);
    }
}

// The device manager's message thread in small: a window with a device
// notification, then the message loop until WM_QUIT.
struct MessageThread {
    explicit MessageThread(const wchar_t* className, const Guid& interfaceClass)
        : thread([this, className, interfaceClass] {
              WindowHandle window = MessageWindow().CreateMessageWindow(className, nullptr);
              DeviceNotification notification =
                  window != nullptr
                      ? MessageWindow().RegisterDeviceInterfaceNotification(window, interfaceClass)
                      : nullptr;
              registered = notification != nullptr;
              ready.Set();
              WindowMessage message;
              while ((result = MessageWindow().GetMessage(&message)) == 1) {
                  if (message.window == nullptr)
                      posted.push_back(message);
                  MessageWindow().DispatchMessage(message);
              }
              quitCode = message.wParam;
              bool unregistered = notification != nullptr &&
                                  MessageWindow().UnregisterDeviceNotification(notification);
              bool destroyed = window != nullptr && MessageWindow().DestroyWindow(window);
              return unregistered && destroyed ? 0u : 1u;
          }) {}

    Event ready;
    bool registered = false;
    std::vector<WindowMessage> posted;
    int32_t result = -2;
    uintptr_t quitCode = 0;
    PortThread thread;
};

TEST_F(MessageWindowConformance, MessageLoopTakesPostedMessagesUntilQuit) {
    WindowClass windowClass(L"ORV.CONFORMANCE.LOOP");
    ASSERT_TRUE(windowClass.registered());
    MessageThread loop(windowClass.name(), GUID_HID_INTERFACE);
    ASSERT_EQ(loop.ready.Wait(5000), kWaitObject0);
    EXPECT_TRUE(loop.registered);

    EXPECT_TRUE(MessageWindow().PostThreadMessage(loop.thread.id(), kWmUser + 1, 7, 9));
    EXPECT_TRUE(MessageWindow().PostThreadMessage(loop.thread.id(), kWmUser + 2, 8, -1));
    EXPECT_TRUE(MessageWindow().PostThreadMessage(loop.thread.id(), kWmQuit, 5, 0));
    ASSERT_EQ(loop.thread.Join(5000), kWaitObject0);
    EXPECT_EQ(loop.thread.ExitCode(), 0u) << "unregistering or destroying failed";
    EXPECT_EQ(loop.result, 0);
    EXPECT_EQ(loop.quitCode, 5u);
    ASSERT_EQ(loop.posted.size(), 2u);
    EXPECT_EQ(loop.posted[0].message, kWmUser + 1);
    EXPECT_EQ(loop.posted[0].wParam, 7u);
    EXPECT_EQ(loop.posted[0].lParam, 9);
    EXPECT_EQ(loop.posted[1].message, kWmUser + 2);
    EXPECT_EQ(loop.posted[1].lParam, -1);
}

#ifdef _WIN32

TEST_F(MessageWindowConformance, DeviceNoticesCases) {
    GTEST_SKIP() << "Wine has no device of ours to plug or unplug: arrival and removal notices "
                    "run on the simulation platform only";
}

#else

TEST_F(MessageWindowConformance, DeviceNoticesReachTheWindowsOfTheirClass) {
    Sim::ResetDevices();
    Event notice;
    seen_.noticeEvent = notice.get();
    WindowClass windowClass(L"ORV.CONFORMANCE.NOTICES");
    ASSERT_TRUE(windowClass.registered());
    MessageThread loop(windowClass.name(), GUID_GDP_GLASSLINK_INTERFACE);
    ASSERT_EQ(loop.ready.Wait(5000), kWaitObject0);
    ASSERT_TRUE(loop.registered);

    // A panel has no interface of the class: no notice for it.
    Sim::VirtualHidDevice panel;
    panel.vendorId = VENDOR_ID_PANELS;
    panel.productId = PRODUCT_ID_TOGGLE;
    panel.reportDescriptor = Sim::PanelReportDescriptor(8, 0);
    Sim::VirtualHidDevice gdp = panel;
    gdp.productId = PRODUCT_ID_GDP;
    gdp.hasDisplayInterface = true;
    gdp.displayClass = GUID_GDP_GLASSLINK_INTERFACE;
    Sim::DeviceId panelId = Sim::PlugDevice(panel);
    Sim::DeviceId gdpId = Sim::PlugDevice(gdp);
    ASSERT_EQ(notice.Wait(5000), kWaitObject0);
    ASSERT_TRUE(Sim::UnplugDevice(panelId));
    ASSERT_TRUE(Sim::UnplugDevice(gdpId));
    ASSERT_EQ(notice.Wait(5000), kWaitObject0);

    EXPECT_TRUE(MessageWindow().PostThreadMessage(loop.thread.id(), kWmQuit, 0, 0));
    ASSERT_EQ(loop.thread.Join(5000), kWaitObject0);
    std::wstring path = Sim::DisplayInterfacePath(gdpId);
    EXPECT_EQ(seen_.notices, (std::vector<uintptr_t>{kDbtDeviceArrival, kDbtDeviceRemoveComplete}));
    EXPECT_EQ(seen_.paths, (std::vector<std::wstring>{path, path}));
    Sim::ResetDevices();
}

#endif

}  // namespace
}  // namespace Orv::Platform
