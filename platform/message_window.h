// A message-only window on the calling thread, with device-interface
// arrival and removal notices (user32: window class, CreateWindowExW with
// HWND_MESSAGE, RegisterDeviceNotificationW, the GetMessageW loop,
// PostThreadMessageW, DestroyWindow), and COM for that thread.
//
// The backend delivers the window's messages to its window procedure, on
// the thread that created the window: WM_CREATE from inside
// CreateMessageWindow, WM_DEVICECHANGE through the thread's message queue
// (GetMessage, then DispatchMessage).  GetMessage blocks only through the
// sync port's waits.
#pragma once

#include <cstdint>

#include "platform/types.h"
#include "platform/unique_handle.h"

namespace Orv::Platform {

using WindowHandle = void*;
using DeviceNotification = void*;

// Message numbers.
constexpr uint32_t kWmCreate = 0x0001;
constexpr uint32_t kWmDestroy = 0x0002;
constexpr uint32_t kWmQuit = 0x0012;
constexpr uint32_t kWmDeviceChange = 0x0219;

// WM_DEVICECHANGE events (wParam).
constexpr uintptr_t kDbtDeviceArrival = 0x8000;
constexpr uintptr_t kDbtDeviceQueryRemove = 0x8001;
constexpr uintptr_t kDbtDeviceQueryRemoveFailed = 0x8002;
constexpr uintptr_t kDbtDeviceRemovePending = 0x8003;
constexpr uintptr_t kDbtDeviceRemoveComplete = 0x8004;
// The device type of an interface notice.
constexpr uint32_t kDbtDevtypDeviceInterface = 5;

// A window procedure: window, message, wParam, lParam.
using WindowProc = intptr_t (*)(WindowHandle window, uint32_t message, uintptr_t wParam,
                                intptr_t lParam);

// The lParam of WM_CREATE points to a structure whose first member is the
// creation parameter given to CreateMessageWindow (CREATESTRUCTW on Windows).
struct WindowCreateInfo {
    void* createParams;
};

// The lParam of WM_DEVICECHANGE points to a header; an interface notice
// (deviceType kDbtDevtypDeviceInterface) is a DeviceInterfaceNotice, with
// the interface path as a terminated wide string in name.  The layout is
// DEV_BROADCAST_HDR / DEV_BROADCAST_DEVICEINTERFACE_W.
struct DeviceNoticeHeader {
    uint32_t size;
    uint32_t deviceType;
    uint32_t reserved;
};
struct DeviceInterfaceNotice {
    uint32_t size;
    uint32_t deviceType;
    uint32_t reserved;
    Guid classGuid;
    wchar_t name[1];
};

// One queued message (MSG).
struct WindowMessage {
    WindowHandle window = nullptr;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

class IMessageWindow {
public:
    virtual ~IMessageWindow() = default;

    // RegisterClassExW: a window class of the module that contains
    // moduleAddress, with proc as its window procedure.  False on failure
    // (a class registered before stays usable).
    virtual bool RegisterWindowClass(const wchar_t* className, WindowProc proc,
                                     const void* moduleAddress) = 0;
    // UnregisterClassW: a module's classes outlive it otherwise, with a
    // window procedure in unloaded code.
    virtual bool UnregisterWindowClass(const wchar_t* className, const void* moduleAddress) = 0;
    // CreateWindowExW with HWND_MESSAGE as parent: the window procedure gets
    // WM_CREATE before this returns.  Null on failure (last error set).
    virtual WindowHandle CreateMessageWindow(const wchar_t* className, void* createParams) = 0;
    virtual bool DestroyWindow(WindowHandle window) = 0;
    virtual intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam) = 0;
    // GWLP_USERDATA.
    virtual void SetWindowUserData(WindowHandle window, void* data) = 0;
    virtual void* GetWindowUserData(WindowHandle window) = 0;

    // GetMessageW for every window of the calling thread: 1 for a message,
    // 0 for WM_QUIT, -1 on failure.
    virtual int32_t GetMessage(WindowMessage* message) = 0;
    // TranslateMessage and DispatchMessageW: the window procedure runs.
    virtual void DispatchMessage(const WindowMessage& message) = 0;
    // PostThreadMessageW.
    virtual bool PostThreadMessage(uint32_t threadId, uint32_t message, uintptr_t wParam,
                                   intptr_t lParam) = 0;

    // RegisterDeviceNotificationW for the interfaces of one class, to a
    // window.  Null on failure (last error set).
    virtual DeviceNotification RegisterDeviceInterfaceNotification(WindowHandle window,
                                                                   const Guid& interfaceClass) = 0;
    virtual bool UnregisterDeviceNotification(DeviceNotification notification) = 0;
};

IMessageWindow& MessageWindow();

// A device-notification registration, unregistered through this port.
struct DeviceNotificationTraits {
    using Value = DeviceNotification;
    static constexpr Value None() { return nullptr; }
    static void Release(Value notification) {
        MessageWindow().UnregisterDeviceNotification(notification);
    }
};
using ScopedDeviceNotification = UniqueHandle<DeviceNotificationTraits>;

}  // namespace Orv::Platform
