// Message-only windows, thread message queues and device-interface
// notifications on the simulation platform.
//
// A queue belongs to a thread (by its sync-port thread id) and has a
// manual-reset event of the sync port that is signalled while the queue
// holds messages; GetMessage waits for it through the sync port.  The
// window procedure always runs on the window's thread, outside the mutex.
#include <cstddef>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/message_window.h"
#include "platform/sim/sim_devices.h"
#include "platform/sim/sim_devices_internal.h"
#include "platform/sync.h"

namespace Orv::Sim {
namespace {

using Platform::Handle;
using Platform::WindowHandle;

constexpr uint32_t kErrorInvalidWindowHandle = 1400;
constexpr uint32_t kErrorCannotFindWndClass = 1407;
constexpr uint32_t kErrorClassAlreadyExists = 1410;
constexpr uint32_t kErrorInvalidThreadId = 1444;

struct Queued {
    Platform::WindowMessage message;
    std::shared_ptr<std::vector<unsigned char>> payload;  // what lParam points to
};

struct Queue {
    std::deque<Queued> messages;
    Handle event = nullptr;
};

struct Window {
    uint32_t threadId = 0;
    Platform::WindowProc proc = nullptr;
    void* userData = nullptr;
};

struct Registration {
    WindowHandle window;
    Platform::Guid interfaceClass;
};

struct Windows {
    std::mutex mu;
    std::map<std::wstring, Platform::WindowProc> classes;
    std::map<uintptr_t, Window> windows;
    uintptr_t nextWindow = 0xE0000000u;
    std::map<uint32_t, Queue> queues;
    std::map<uintptr_t, Registration> registrations;
    uintptr_t nextRegistration = 0xE8000000u;
};

Windows& W() {
    static Windows* windows = new Windows;
    return *windows;
}

using Guard = std::unique_lock<std::mutex>;

// The payload of the message that GetMessage handed out last on this
// thread; kept until the next GetMessage.
thread_local std::shared_ptr<std::vector<unsigned char>> t_current;

void SetError(uint32_t error) {
    Platform::Sync().SetLastError(error);
}

Queue& QueueOf(Windows& w, uint32_t threadId) {
    Queue& q = w.queues[threadId];
    if (q.event == nullptr)
        q.event = Platform::Sync().CreateEvent(true, false);
    return q;
}

void Post(Queue& q, Queued item) {
    q.messages.push_back(std::move(item));
    Platform::Sync().SetEvent(q.event);
}

class SimMessageWindow final : public Platform::IMessageWindow {
public:
    bool RegisterWindowClass(const wchar_t* className, Platform::WindowProc proc,
                             const void* /*moduleAddress*/) override {
        Windows& w = W();
        Guard lk(w.mu);
        if (className == nullptr || proc == nullptr) {
            SetError(Platform::kErrorInvalidParameter);
            return false;
        }
        if (w.classes.count(className) != 0) {
            SetError(kErrorClassAlreadyExists);
            return false;
        }
        w.classes[className] = proc;
        return true;
    }

    bool UnregisterWindowClass(const wchar_t* className, const void* /*moduleAddress*/) override {
        Windows& w = W();
        Guard lk(w.mu);
        if (className == nullptr || w.classes.erase(className) == 0) {
            SetError(kErrorCannotFindWndClass);
            return false;
        }
        return true;
    }

    WindowHandle CreateMessageWindow(const wchar_t* className, void* createParams) override {
        uint32_t threadId = Platform::Sync().GetCurrentThreadId();
        WindowHandle window = nullptr;
        Platform::WindowProc proc = nullptr;
        {
            Windows& w = W();
            Guard lk(w.mu);
            auto it = className != nullptr ? w.classes.find(className) : w.classes.end();
            if (it == w.classes.end()) {
                SetError(kErrorCannotFindWndClass);
                return nullptr;
            }
            proc = it->second;
            uintptr_t value = w.nextWindow;
            w.nextWindow += 0x10;
            w.windows[value] = Window{threadId, proc, nullptr};
            QueueOf(w, threadId);
            window = reinterpret_cast<WindowHandle>(value);
        }
        Platform::WindowCreateInfo info{createParams};
        if (proc(window, Platform::kWmCreate, 0, reinterpret_cast<intptr_t>(&info)) == -1) {
            DestroyWindow(window);
            return nullptr;
        }
        return window;
    }

    bool DestroyWindow(WindowHandle window) override {
        Windows& w = W();
        Guard lk(w.mu);
        if (w.windows.erase(reinterpret_cast<uintptr_t>(window)) == 0) {
            SetError(kErrorInvalidWindowHandle);
            return false;
        }
        return true;
    }

    intptr_t DefWindowProc(WindowHandle, uint32_t, uintptr_t, intptr_t) override { return 0; }

    void SetWindowUserData(WindowHandle window, void* data) override {
        Windows& w = W();
        Guard lk(w.mu);
        auto it = w.windows.find(reinterpret_cast<uintptr_t>(window));
        if (it != w.windows.end())
            it->second.userData = data;
    }

    void* GetWindowUserData(WindowHandle window) override {
        Windows& w = W();
        Guard lk(w.mu);
        auto it = w.windows.find(reinterpret_cast<uintptr_t>(window));
        return it == w.windows.end() ? nullptr : it->second.userData;
    }

    int32_t GetMessage(Platform::WindowMessage* message) override {
        uint32_t threadId = Platform::Sync().GetCurrentThreadId();
        t_current.reset();
        for (;;) {
            Handle event = nullptr;
            {
                Windows& w = W();
                Guard lk(w.mu);
                Queue& q = QueueOf(w, threadId);
                if (!q.messages.empty()) {
                    Queued item = std::move(q.messages.front());
                    q.messages.pop_front();
                    if (q.messages.empty())
                        Platform::Sync().ResetEvent(q.event);
                    if (message != nullptr)
                        *message = item.message;
                    t_current = std::move(item.payload);
                    return item.message.message == Platform::kWmQuit ? 0 : 1;
                }
                event = q.event;
            }
            if (Platform::Sync().WaitForSingleObject(event, Platform::kInfinite) !=
                Platform::kWaitObject0)
                return -1;
        }
    }

    void DispatchMessage(const Platform::WindowMessage& message) override {
        Platform::WindowProc proc = nullptr;
        {
            Windows& w = W();
            Guard lk(w.mu);
            auto it = w.windows.find(reinterpret_cast<uintptr_t>(message.window));
            if (it == w.windows.end())
                return;
            proc = it->second.proc;
        }
        proc(message.window, message.message, message.wParam, message.lParam);
    }

    bool PostThreadMessage(uint32_t threadId, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) override {
        Windows& w = W();
        Guard lk(w.mu);
        auto it = w.queues.find(threadId);
        if (it == w.queues.end()) {
            SetError(kErrorInvalidThreadId);
            return false;
        }
        Post(it->second,
             Queued{Platform::WindowMessage{nullptr, message, wParam, lParam}, nullptr});
        return true;
    }

    Platform::DeviceNotification RegisterDeviceInterfaceNotification(
        WindowHandle window, const Platform::Guid& interfaceClass) override {
        Windows& w = W();
        Guard lk(w.mu);
        if (w.windows.count(reinterpret_cast<uintptr_t>(window)) == 0) {
            SetError(kErrorInvalidWindowHandle);
            return nullptr;
        }
        uintptr_t value = w.nextRegistration;
        w.nextRegistration += 0x10;
        w.registrations[value] = Registration{window, interfaceClass};
        return reinterpret_cast<Platform::DeviceNotification>(value);
    }

    bool UnregisterDeviceNotification(Platform::DeviceNotification notification) override {
        Windows& w = W();
        Guard lk(w.mu);
        if (w.registrations.erase(reinterpret_cast<uintptr_t>(notification)) == 0) {
            SetError(Platform::kErrorInvalidHandle);
            return false;
        }
        return true;
    }
};

}  // namespace

namespace Detail {

void BroadcastDeviceInterface(const Platform::Guid& interfaceClass, const std::wstring& path,
                              uintptr_t event) {
    Windows& w = W();
    Guard lk(w.mu);
    for (const auto& [value, r] : w.registrations) {
        if (!(r.interfaceClass == interfaceClass))
            continue;
        auto window = w.windows.find(reinterpret_cast<uintptr_t>(r.window));
        if (window == w.windows.end())
            continue;
        size_t bytes =
            offsetof(Platform::DeviceInterfaceNotice, name) + (path.size() + 1) * sizeof(wchar_t);
        auto payload = std::make_shared<std::vector<unsigned char>>(bytes, 0);
        auto* notice = reinterpret_cast<Platform::DeviceInterfaceNotice*>(payload->data());
        notice->size = static_cast<uint32_t>(bytes);
        notice->deviceType = Platform::kDbtDevtypDeviceInterface;
        notice->classGuid = interfaceClass;
        std::memcpy(notice->name, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        Platform::WindowMessage message{r.window, Platform::kWmDeviceChange, event,
                                        reinterpret_cast<intptr_t>(payload->data())};
        Post(QueueOf(w, window->second.threadId), Queued{message, std::move(payload)});
    }
}

void ResetMessageWindows() {
    Windows& w = W();
    Guard lk(w.mu);
    w.classes.clear();
    w.windows.clear();
    w.queues.clear();
    w.registrations.clear();
}

}  // namespace Detail

int MessageWindowCount() {
    Windows& w = W();
    Guard lk(w.mu);
    return static_cast<int>(w.windows.size());
}

int DeviceNotificationCount() {
    Windows& w = W();
    Guard lk(w.mu);
    return static_cast<int>(w.registrations.size());
}

}  // namespace Orv::Sim

namespace Orv::Platform {

IMessageWindow& MessageWindow() {
    static IMessageWindow* windows = new Sim::SimMessageWindow;
    return *windows;
}

}  // namespace Orv::Platform
