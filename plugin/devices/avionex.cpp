#include "plugin/devices/avionex.h"

#include <utility>

#include "common/device_ids.h"
#include "platform/com.h"
#include "platform/hid.h"
#include "plugin/core/trace.h"
#include "plugin/core/utility.h"
#include "plugin/devices/panel_kinds.h"

namespace Orv {

CAvionex g_avionex;

namespace {

constexpr int32_t kKeyword = TRACE_KEYWORD_DEVICE_MANAGER;
constexpr uint32_t kThreadWaitMs = 5000;
constexpr uint32_t kErrorThreadNotReady = 554;
constexpr uint32_t kTerminatedExitCode = 555;
constexpr wchar_t kWindowClassName[] = L"ORV.AVIONEX.MSG.WINDOW";

void Line(int32_t level, const wchar_t* format, auto... args) {
    WriteTrace(level, kKeyword, TRACE_KIND_MESSAGE, format, args...);
}

struct GlassLinkClass {
    GlassLinkFactory create = nullptr;
    GlassLinkKey key = nullptr;
};
GlassLinkClass g_z7HotasClass;
GlassLinkClass g_gdpClass;

}  // namespace

CAvionex::CAvionex() {
    ORV_TRACE_SCOPE(kKeyword);
}

CAvionex::~CAvionex() {
    ORV_TRACE_SCOPE(kKeyword);
    ReleaseDevices();
    Platform::IMessageWindow& windows = Platform::MessageWindow();
    for (Platform::DeviceNotification* n :
         {&hidNotification, &z7HotasNotification, &gdpNotification}) {
        if (*n != nullptr)
            windows.UnregisterDeviceNotification(*n);
        *n = nullptr;
    }
    if (messageThread != nullptr)
        Platform::Sync().CloseHandle(messageThread);
    if (readyEvent != nullptr)
        Platform::Sync().CloseHandle(readyEvent);
    messageThread = readyEvent = nullptr;
}

PanelFactory CAvionex::SetPanelFactory(uint16_t productId, PanelFactory factory) {
    ORV_TRACE_SCOPE(kKeyword);
    PanelKind* kind = FindPanelKind(productId);
    if (kind == nullptr)
        return nullptr;
    PanelFactory previous = kind->Factory();
    kind->override = factory;
    return previous;
}

void CAvionex::SetGlassLinkFactory(GlassLinkKind kind, GlassLinkFactory factory, GlassLinkKey key) {
    ORV_TRACE_SCOPE(kKeyword);
    GlassLinkClass& target = kind == GlassLinkKind::Z7Hotas ? g_z7HotasClass : g_gdpClass;
    target.create = factory;
    target.key = key;
}

uint32_t CAvionex::Initialize() {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::ISync& sync = Platform::Sync();
    if (panelLock == nullptr)
        panelLock = sync.CreateLock();
    if (displayLock == nullptr)
        displayLock = sync.CreateLock();

    Platform::Handle event = sync.CreateEvent(false, false);
    if (event == nullptr) {
        uint32_t error = sync.GetLastError();
        Line(TRACE_LEVEL_FAILURE, L"Failed in creating the event for message window due to %d",
             error);
        return error;
    }
    if (readyEvent != nullptr)
        sync.CloseHandle(readyEvent);
    readyEvent = event;

    uint32_t threadId = 0;
    Platform::Handle thread = sync.CreateThread(&CAvionex::MsgThreadRoutine, this, &threadId);
    if (thread == nullptr) {
        uint32_t error = sync.GetLastError();
        Line(TRACE_LEVEL_FAILURE, L"Failed in calling creating the message thread due to %d",
             error);
        return error;
    }
    if (messageThread != nullptr)
        sync.CloseHandle(messageThread);
    messageThread = thread;
    messageThreadId = threadId;

    if (sync.WaitForSingleObject(readyEvent, kThreadWaitMs) != Platform::kWaitObject0) {
        Line(TRACE_LEVEL_FAILURE,
             L"Failed in waiting for the event signalled by the message window thread");
        // The plugin does not start, and no XPluginStop follows: the thread
        // must not outlive the module it runs in.
        sync.TerminateThread(messageThread, kTerminatedExitCode);
        messageThreadId = 0;
        return kErrorThreadNotReady;
    }

    hidGuid = Platform::Hid().GetHidGuid();
    struct {
        const Platform::Guid* guid;
        Platform::DeviceNotification* notification;
    } classes[] = {{&hidGuid, &hidNotification},
                   {&GUID_Z7HOTAS_GLASSLINK_INTERFACE, &z7HotasNotification},
                   {&GUID_GDP_GLASSLINK_INTERFACE, &gdpNotification}};
    for (auto& c : classes) {
        UTILITY::EnumDeviceInterface(c.guid, &CAvionex::CreateDeviceEnumProc, this, nullptr);
        Platform::DeviceNotification registration = RegisterDeviceInterfaceNotification(*c.guid);
        if (*c.notification != nullptr)
            Platform::MessageWindow().UnregisterDeviceNotification(*c.notification);
        *c.notification = registration;
    }
    return 0;
}

Platform::DeviceNotification CAvionex::RegisterDeviceInterfaceNotification(
    const Platform::Guid& guid) {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::DeviceNotification notification =
        Platform::MessageWindow().RegisterDeviceInterfaceNotification(messageWindow, guid);
    if (notification == nullptr)
        Line(TRACE_LEVEL_FAILURE, L"Failed in registering HID notification due to 0x%x",
             Platform::Sync().GetLastError());
    return notification;
}

uint32_t CAvionex::MsgThreadRoutine(void* parameter) {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::IMessageWindow& windows = Platform::MessageWindow();
    windows.RegisterWindowClass(kWindowClassName, &CAvionex::MsgWndProc, parameter);
    Platform::WindowHandle window = windows.CreateMessageWindow(kWindowClassName, parameter);
    if (window != nullptr) {
        Line(TRACE_LEVEL_DETAIL, L"The message window handle is 0x%p", window);
        Platform::Com().InitializeCom();
        Platform::WindowMessage message;
        while (windows.GetMessage(&message) == 1)
            windows.DispatchMessage(message);
        windows.DestroyWindow(window);
        Platform::Com().UninitializeCom();
    }
    // The class goes with the thread: its window procedure is in this
    // module, which may be unloaded and loaded again elsewhere.
    windows.UnregisterWindowClass(kWindowClassName, parameter);
    return 0;
}

intptr_t CAvionex::MsgWndProc(Platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                              intptr_t lParam) {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::IMessageWindow& windows = Platform::MessageWindow();
    Line(TRACE_LEVEL_DETAIL, L"The message is 0x%x", message);
    if (message == Platform::kWmCreate) {
        auto* info = reinterpret_cast<const Platform::WindowCreateInfo*>(lParam);
        auto* self = static_cast<CAvionex*>(info->createParams);
        self->messageWindow = window;
        Platform::Sync().SetEvent(self->readyEvent);
        windows.SetWindowUserData(window, self);
        return 0;
    }
    if (message != Platform::kWmDeviceChange)
        return windows.DefWindowProc(window, message, wParam, lParam);

    auto* header = reinterpret_cast<const Platform::DeviceNoticeHeader*>(lParam);
    if (header == nullptr || header->deviceType != Platform::kDbtDevtypDeviceInterface)
        return 0;
    auto* notice = reinterpret_cast<const Platform::DeviceInterfaceNotice*>(lParam);
    if (wParam == Platform::kDbtDeviceArrival) {
        Line(TRACE_LEVEL_EVENT, L"Arrive - %s", notice->name);
        auto* self = static_cast<CAvionex*>(windows.GetWindowUserData(window));
        if (self == nullptr)
            return 0;
        std::wstring name = UTILITY::ConvertStringToLower(std::wstring(notice->name));
        UTILITY::EnumDeviceInterface(&notice->classGuid, &CAvionex::CreateDeviceEnumProc, self,
                                     name.c_str());
    } else if (wParam == Platform::kDbtDeviceQueryRemove ||
               wParam == Platform::kDbtDeviceRemovePending ||
               wParam == Platform::kDbtDeviceRemoveComplete) {
        Line(TRACE_LEVEL_EVENT, L"Remove[0x%x] - %s", static_cast<uint32_t>(wParam), notice->name);
        auto* self = static_cast<CAvionex*>(windows.GetWindowUserData(window));
        if (self == nullptr)
            return 0;
        std::wstring name = UTILITY::ConvertStringToLower(std::wstring(notice->name));
        if (notice->classGuid == self->hidGuid)
            self->RemovePanelDevice(name);
        else if (notice->classGuid == GUID_Z7HOTAS_GLASSLINK_INTERFACE ||
                 notice->classGuid == GUID_GDP_GLASSLINK_INTERFACE)
            self->RemoveGlassLinkDevice(name);
    }
    return 0;
}

int32_t CAvionex::CreateDeviceEnumProc(const Platform::Guid* interfaceClass,
                                       const std::wstring& path,
                                       const std::wstring& physicalDeviceObjectName, void* context,
                                       const wchar_t* filter) {
    ORV_TRACE_SCOPE(kKeyword);
    auto* self = static_cast<CAvionex*>(context);
    enum class Class { Hid, Z7Hotas, Gdp } kind;
    if (*interfaceClass == self->hidGuid)
        kind = Class::Hid;
    else if (*interfaceClass == GUID_Z7HOTAS_GLASSLINK_INTERFACE)
        kind = Class::Z7Hotas;
    else if (*interfaceClass == GUID_GDP_GLASSLINK_INTERFACE)
        kind = Class::Gdp;
    else
        return 1;

    // Interface paths compare ignoring case; the path comes lower-cased.
    if (filter != nullptr && UTILITY::ConvertStringToLower(std::wstring(filter)) != path)
        return 1;

    switch (kind) {
        case Class::Hid:
            self->CreatePanelDevice(path, physicalDeviceObjectName);
            break;
        case Class::Z7Hotas:
            self->CreateGlassLinkZ7HotasDevice(path, physicalDeviceObjectName);
            break;
        case Class::Gdp:
            self->CreateGlassLinkGdpDevice(path);
            break;
    }
    return filter != nullptr ? 0 : 1;
}

void CAvionex::CreatePanelDevice(const std::wstring& path,
                                 const std::wstring& physicalDeviceObjectName) {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::IHid& hid = Platform::Hid();
    // The attribute handle is closed on every path.
    Platform::ScopedDevice device(Platform::DeviceIo().Open(path.c_str(), false));
    if (!device) {
        Line(TRACE_LEVEL_FAILURE, L"Failed in creating the non overlapped device %s due to %d",
             path.c_str(), Platform::Sync().GetLastError());
        return;
    }

    Platform::HidAttributes attributes;
    if (!hid.GetAttributes(device.get(), &attributes)) {
        Line(TRACE_LEVEL_FAILURE, L"Failed in retrieving the attribution of the device");
        return;
    }
    if (attributes.vendorId != VENDOR_ID_PANELS) {
        Line(TRACE_LEVEL_DETAIL, L"It's not Brokmar product: %s", path.c_str());
        return;
    }
    PanelKind* kind = FindPanelKind(attributes.productId);
    if (kind == nullptr) {
        Line(TRACE_LEVEL_DETAIL,
             L"It is the Brokmar product but not the supported panel device of the Avionex: %s",
             path.c_str());
        return;
    }
    Line(TRACE_LEVEL_EVENT, kind->attachedLine, path.c_str());
    std::unique_ptr<CPanel> panel = kind->Factory()(path, physicalDeviceObjectName, this);
    if (panel == nullptr || !panel->Initialize()) {
        Line(TRACE_LEVEL_FAILURE, L"Failed in initializing the panel object");
        return;
    }

    // A path arrives once between removals; a second arrival (a removal
    // notice that never came, or a repeated notice) replaces the panel that
    // is there, which is uninitialised as on removal: its handles would be
    // lost otherwise.
    std::unique_ptr<CPanel> previous;
    {
        Platform::LockGuard hold(panelLock);
        std::unique_ptr<CPanel>& slot = panels[path];
        if (slot != nullptr) {
            slot->Uninitialize();
            previous = std::move(slot);
        }
        slot = std::move(panel);
    }
    if (previous != nullptr)
        Line(TRACE_LEVEL_EVENT, L"The panel: %s arrived again and replaces the previous one",
             path.c_str());
}

void CAvionex::RemovePanelDevice(const std::wstring& path) {
    ORV_TRACE_SCOPE(kKeyword);
    std::unique_ptr<CPanel> panel;
    {
        Platform::LockGuard hold(panelLock);
        auto it = panels.find(path);
        if (it != panels.end()) {
            panel = std::move(it->second);
            panel->Uninitialize();
            panels.erase(it);
        }
    }
    Line(TRACE_LEVEL_EVENT, L"The panel: %s has been removed", path.c_str());
    panel.reset();
}

void CAvionex::StoreDisplayDevice(const std::wstring& key, std::shared_ptr<CGlassLink> device) {
    ORV_TRACE_SCOPE(kKeyword);
    std::shared_ptr<CGlassLink> previous;
    {
        Platform::LockGuard hold(displayLock);
        std::shared_ptr<CGlassLink>& slot = displayDevices[key];
        if (slot != nullptr) {
            slot->Uninitialize();
            previous = std::move(slot);
        }
        slot = std::move(device);
    }
    if (previous != nullptr)
        Line(TRACE_LEVEL_EVENT,
             L"The GlassLink device: %s arrived again and replaces the previous one", key.c_str());
}

void CAvionex::CreateGlassLinkZ7HotasDevice(const std::wstring& path, const std::wstring& key) {
    ORV_TRACE_SCOPE(kKeyword);
    if (g_z7HotasClass.create == nullptr) {
        Line(TRACE_LEVEL_DETAIL, L"There is no GlassLink Z7Hotas object for %s", path.c_str());
        return;
    }
    std::shared_ptr<CGlassLink> device = g_z7HotasClass.create(path);
    if (device == nullptr || !device->Initialize()) {
        Line(TRACE_LEVEL_FAILURE, L"Failed in initializing the GlassLink Z7Hotas object");
        return;
    }
    StoreDisplayDevice(key, std::move(device));
}

void CAvionex::CreateGlassLinkGdpDevice(const std::wstring& path) {
    ORV_TRACE_SCOPE(kKeyword);
    if (g_gdpClass.create == nullptr || g_gdpClass.key == nullptr) {
        Line(TRACE_LEVEL_DETAIL, L"There is no GlassLink Gdp object for %s", path.c_str());
        return;
    }
    std::shared_ptr<CGlassLink> device = g_gdpClass.create(path);
    if (device == nullptr || !device->Initialize()) {
        Line(TRACE_LEVEL_FAILURE, L"Failed in initializing the GlassLink Gdp object");
        return;
    }
    StoreDisplayDevice(g_gdpClass.key(*device), std::move(device));
}

void CAvionex::RemoveGlassLinkDevice(const std::wstring& path) {
    ORV_TRACE_SCOPE(kKeyword);
    std::shared_ptr<CGlassLink> device;
    {
        Platform::LockGuard hold(displayLock);
        for (auto it = displayDevices.begin(); it != displayDevices.end(); ++it) {
            if (it->second->GetDevicePath() == path) {
                device = std::move(it->second);
                device->Uninitialize();
                displayDevices.erase(it);
                break;
            }
        }
    }
    // The object goes with the last reference (a render thread may hold one).
    device.reset();
}

void CAvionex::NotifyPanels() {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::ISync& sync = Platform::Sync();
    if (panelLock == nullptr || displayLock == nullptr)
        return;
    if (!sync.TryEnterLock(panelLock))
        return;
    if (!sync.TryEnterLock(displayLock)) {
        sync.LeaveLock(panelLock);
        return;
    }
    for (auto& [path, panel] : panels)
        panel->Notify();
    sync.LeaveLock(displayLock);
    sync.LeaveLock(panelLock);
}

void CAvionex::ReleaseDevices() {
    for (auto& [path, panel] : panels)
        panel->Uninitialize();
    panels.clear();
    // A display device still in use by a renderer goes when it lets go.
    for (auto& [key, device] : displayDevices)
        device->Uninitialize();
    displayDevices.clear();
}

std::shared_ptr<CGlassLink> CAvionex::GetGlassLink(const std::wstring& key) {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::ISync& sync = Platform::Sync();
    if (displayLock == nullptr || !sync.TryEnterLock(displayLock))
        return nullptr;
    std::shared_ptr<CGlassLink> device;
    auto it = displayDevices.find(key);
    if (it != displayDevices.end())
        device = it->second;
    sync.LeaveLock(displayLock);
    return device;
}

void CAvionex::Uninitialize() {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::ISync& sync = Platform::Sync();
    if (messageThread != nullptr && messageThreadId != 0) {
        Platform::MessageWindow().PostThreadMessage(messageThreadId, Platform::kWmQuit, 0, 0);
        if (sync.WaitForSingleObject(messageThread, kThreadWaitMs) != Platform::kWaitObject0) {
            Line(TRACE_LEVEL_EVENT,
                 L"Calling WaitForSingleObject against the message thread returns with time out, "
                 L"terminate the thread instead");
            sync.TerminateThread(messageThread, kTerminatedExitCode);
        }
        messageThreadId = 0;
    }
    ReleaseDevices();
    if (panelLock != nullptr)
        sync.DeleteLock(panelLock);
    if (displayLock != nullptr)
        sync.DeleteLock(displayLock);
    panelLock = displayLock = nullptr;
}

size_t CAvionex::PanelCount() {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::LockGuard hold(panelLock);
    return panels.size();
}

size_t CAvionex::DisplayDeviceCount() {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::LockGuard hold(displayLock);
    return displayDevices.size();
}

}  // namespace Orv
