// The device ports on the real Windows APIs (under Wine no HID device is
// present): interface enumeration, opening a path that is not there, and
// the message thread's window with its notifications, creation message and
// quit message.
#include <gtest/gtest.h>

#include <string>

#include "common/device_ids.h"
#include "platform/com.h"
#include "platform/device_interfaces.h"
#include "platform/device_io.h"
#include "platform/hid.h"
#include "platform/message_window.h"
#include "platform/sync.h"

namespace P = Orv::Platform;

namespace {

TEST(Win32Devices, EnumeratesTheInterfaceClasses) {
    EXPECT_TRUE(P::Hid().GetHidGuid() == Orv::GUID_HID_INTERFACE);
    for (const P::Guid& guid : {Orv::GUID_HID_INTERFACE, Orv::GUID_Z7HOTAS_GLASSLINK_INTERFACE,
                                Orv::GUID_GDP_GLASSLINK_INTERFACE}) {
        P::InterfaceList list = P::DeviceInterfaces().OpenInterfaceList(guid);
        ASSERT_NE(list, nullptr) << P::Sync().GetLastError();
        for (uint32_t i = 0; P::DeviceInterfaces().HasInterface(list, i); ++i) {
            std::wstring path;
            EXPECT_GT(P::DeviceInterfaces().GetInterfaceDetailSize(list, i), 0u);
            EXPECT_TRUE(P::DeviceInterfaces().GetInterfacePath(list, i, &path));
            EXPECT_FALSE(path.empty());
        }
        P::DeviceInterfaces().CloseInterfaceList(list);
    }
}

TEST(Win32Devices, OpeningAMissingDeviceFails) {
    P::Handle device = P::DeviceIo().Open(L"\\\\?\\hid#vid_4f56&pid_0d01#0&0&0&0#{none}", false);
    EXPECT_EQ(device, nullptr);
    EXPECT_NE(P::Sync().GetLastError(), 0u);
}

struct ThreadState {
    P::Handle ready = nullptr;
    void* createParams = nullptr;
    bool notification = false;
    int quitResult = -2;
};
ThreadState* g_state = nullptr;

intptr_t TestWindowProc(P::WindowHandle window, uint32_t message, uintptr_t wParam,
                        intptr_t lParam) {
    if (message == P::kWmCreate) {
        g_state->createParams = reinterpret_cast<P::WindowCreateInfo*>(lParam)->createParams;
        return 0;
    }
    return P::MessageWindow().DefWindowProc(window, message, wParam, lParam);
}

uint32_t MessageThread(void* context) {
    auto* state = static_cast<ThreadState*>(context);
    P::IMessageWindow& windows = P::MessageWindow();
    windows.RegisterWindowClass(L"ORV.TEST.MSG.WINDOW", &TestWindowProc, &g_state);
    P::WindowHandle window = windows.CreateMessageWindow(L"ORV.TEST.MSG.WINDOW", state);
    if (window == nullptr) {
        P::Sync().SetEvent(state->ready);
        return 1;
    }
    P::DeviceNotification n =
        windows.RegisterDeviceInterfaceNotification(window, Orv::GUID_HID_INTERFACE);
    state->notification = n != nullptr;
    P::Com().InitializeCom();
    P::Sync().SetEvent(state->ready);
    P::WindowMessage message;
    int result;
    while ((result = windows.GetMessage(&message)) == 1)
        windows.DispatchMessage(message);
    state->quitResult = result;
    if (n != nullptr)
        windows.UnregisterDeviceNotification(n);
    windows.DestroyWindow(window);
    P::Com().UninitializeCom();
    return 0;
}

TEST(Win32Devices, MessageThreadWindowStartsAndQuits) {
    ThreadState state;
    g_state = &state;
    state.ready = P::Sync().CreateEvent(false, false);
    uint32_t threadId = 0;
    P::Handle thread = P::Sync().CreateThread(&MessageThread, &state, &threadId);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(P::Sync().WaitForSingleObject(state.ready, 5000), P::kWaitObject0);
    EXPECT_EQ(state.createParams, &state);
    EXPECT_TRUE(state.notification);
    EXPECT_TRUE(P::MessageWindow().PostThreadMessage(threadId, P::kWmQuit, 0, 0));
    ASSERT_EQ(P::Sync().WaitForSingleObject(thread, 5000), P::kWaitObject0);
    EXPECT_EQ(state.quitResult, 0);
    P::Sync().CloseHandle(thread);
    P::Sync().CloseHandle(state.ready);
    g_state = nullptr;
}

}  // namespace
