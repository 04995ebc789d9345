// The message-window port on user32: a message-only window whose messages
// reach the port's window procedure, device-interface notifications and
// COM for the thread.
#include "platform/message_window.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <string>

#include "platform/win32/win32.h"

#include <dbt.h>

namespace Orv::Platform {

static_assert(offsetof(CREATESTRUCTW, lpCreateParams) == offsetof(WindowCreateInfo, createParams));
static_assert(sizeof(wchar_t) == sizeof(WCHAR));
static_assert(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_classguid) ==
              offsetof(DeviceInterfaceNotice, classGuid));
static_assert(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) ==
              offsetof(DeviceInterfaceNotice, name));
static_assert(kDbtDevtypDeviceInterface == DBT_DEVTYP_DEVICEINTERFACE);
static_assert(kDbtDeviceArrival == DBT_DEVICEARRIVAL &&
              kDbtDeviceRemoveComplete == DBT_DEVICEREMOVECOMPLETE);

namespace {

struct WindowClass {
    WindowProc proc;
    HINSTANCE module;
};

std::mutex g_mutex;
std::map<std::wstring, WindowClass> g_classes;

bool FindClass(const std::wstring& name, WindowClass* found) {
    std::lock_guard lock(g_mutex);
    auto it = g_classes.find(name);
    if (it == g_classes.end())
        return false;
    *found = it->second;
    return true;
}

// Every window of a port class starts here: the port's procedure is found
// by the window's class name.
LRESULT CALLBACK Trampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    wchar_t name[256];
    int length = ::GetClassNameW(window, name, 256);
    WindowClass c{};
    if (length > 0 && FindClass(std::wstring(name, static_cast<size_t>(length)), &c))
        return c.proc(window, message, wParam, lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HINSTANCE ModuleOf(const void* address) {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        static_cast<LPCWSTR>(address), &module);
    return module;
}

class Win32MessageWindow final : public IMessageWindow {
public:
    bool RegisterWindowClass(const wchar_t* className, WindowProc proc,
                             const void* moduleAddress) override {
        HINSTANCE module = ModuleOf(
            moduleAddress != nullptr ? moduleAddress : reinterpret_cast<const void*>(&Trampoline));
        {
            std::lock_guard lock(g_mutex);
            g_classes[className] = WindowClass{proc, module};
        }
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = &Trampoline;
        wc.hInstance = module;
        wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
        wc.lpszClassName = className;
        return ::RegisterClassExW(&wc) != 0;
    }

    bool UnregisterWindowClass(const wchar_t* className, const void* moduleAddress) override {
        HINSTANCE module = ModuleOf(
            moduleAddress != nullptr ? moduleAddress : reinterpret_cast<const void*>(&Trampoline));
        bool done = ::UnregisterClassW(className, module) != FALSE;
        if (done) {
            std::lock_guard lock(g_mutex);
            g_classes.erase(className);
        }
        return done;
    }

    WindowHandle CreateMessageWindow(const wchar_t* className, void* createParams) override {
        WindowClass c{};
        if (!FindClass(className, &c)) {
            ::SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        return ::CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, c.module,
                                 createParams);
    }

    bool DestroyWindow(WindowHandle window) override {
        return ::DestroyWindow(static_cast<HWND>(window)) != FALSE;
    }

    intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) override {
        return ::DefWindowProcW(static_cast<HWND>(window), message, wParam, lParam);
    }

    void SetWindowUserData(WindowHandle window, void* data) override {
        ::SetWindowLongPtrW(static_cast<HWND>(window), GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(data));
    }

    void* GetWindowUserData(WindowHandle window) override {
        return reinterpret_cast<void*>(
            ::GetWindowLongPtrW(static_cast<HWND>(window), GWLP_USERDATA));
    }

    int32_t GetMessage(WindowMessage* message) override {
        MSG msg{};
        BOOL result = ::GetMessageW(&msg, nullptr, 0, 0);
        if (result == -1)
            return -1;
        message->window = msg.hwnd;
        message->message = msg.message;
        message->wParam = msg.wParam;
        message->lParam = msg.lParam;
        return result == 0 ? 0 : 1;
    }

    void DispatchMessage(const WindowMessage& message) override {
        MSG msg{};
        msg.hwnd = static_cast<HWND>(message.window);
        msg.message = message.message;
        msg.wParam = message.wParam;
        msg.lParam = message.lParam;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }

    bool PostThreadMessage(uint32_t threadId, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) override {
        return ::PostThreadMessageW(threadId, message, wParam, lParam) != FALSE;
    }

    DeviceNotification RegisterDeviceInterfaceNotification(WindowHandle window,
                                                           const Guid& interfaceClass) override {
        DEV_BROADCAST_DEVICEINTERFACE_W filter{};
        filter.dbcc_size = sizeof filter;
        filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        memcpy(&filter.dbcc_classguid, &interfaceClass, sizeof(GUID));
        return ::RegisterDeviceNotificationW(static_cast<HWND>(window), &filter,
                                             DEVICE_NOTIFY_WINDOW_HANDLE);
    }

    bool UnregisterDeviceNotification(DeviceNotification notification) override {
        return ::UnregisterDeviceNotification(notification) != FALSE;
    }
};

}  // namespace

IMessageWindow& MessageWindow() {
    static IMessageWindow* windows = new Win32MessageWindow;
    return *windows;
}

}  // namespace Orv::Platform
