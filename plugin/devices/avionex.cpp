#include "plugin/devices/avionex.h"

#include <utility>

#include "common/device_ids.h"
#include "platform/com.h"
#include "platform/hid.h"
#include "plugin/core/device_enum.h"
#include "plugin/core/lower_case.h"
#include "plugin/core/trace.h"


namespace Orv {

namespace {

constexpr int32_t kKeyword = TRACE_KEYWORD_DEVICE_MANAGER;
constexpr uint32_t kThreadWaitMs = 5000;
constexpr uint32_t kErrorThreadNotReady = 554;
constexpr uint32_t kTerminatedExitCode = 555;
constexpr wchar_t kWindowClassName[] = L"ORV.AVIONEX.MSG.WINDOW";

void Line(int32_t level, const wchar_t* format, auto... args) {
    WriteTrace(level, kKeyword, TRACE_KIND_MESSAGE, format, args...);
}

}  // namespace

CAvionex::CAvionex(DeviceKinds deviceKinds) : kinds(std::move(deviceKinds)) {
    ORV_TRACE_SCOPE(kKeyword);
}

CAvionex::~CAvionex() {
    ORV_TRACE_SCOPE(kKeyword);
    ReleaseDevices();
    // The registrations, the locks and the thread's and event's handles go
    // with their scopes.
}

uint32_t CAvionex::Initialize() {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::ISync& sync = Platform::Sync();
    if (!panelLock)
        panelLock.reset(sync.CreateLock());
    if (!displayLock)
        displayLock.reset(sync.CreateLock());

    if (!messageThread.PrepareReady()) {
        uint32_t error = sync.GetLastError();
        Line(TRACE_LEVEL_FAILURE, L"Failed in creating the event for message window due to %d",
             error);
        return error;
    }
    if (!messageThread.Start(&CAvionex::MsgThreadRoutine, this)) {
        uint32_t error = sync.GetLastError();
        Line(TRACE_LEVEL_FAILURE, L"Failed in calling creating the message thread due to %d",
             error);
        return error;
    }
    if (!messageThread.WaitReady(kThreadWaitMs)) {
        Line(TRACE_LEVEL_FAILURE,
             L"Failed in waiting for the event signalled by the message window thread");
        // The plugin does not start, and no XPluginStop follows: the thread
        // must not outlive the module it runs in.
        messageThread.Terminate(kTerminatedExitCode);
        return kErrorThreadNotReady;
    }

    hidGuid = Platform::Hid().GetHidGuid();
    struct {
        const Platform::Guid* guid;
        Platform::ScopedDeviceNotification* notification;
    } classes[] = {{&hidGuid, &hidNotification},
                   {&GUID_Z7HOTAS_GLASSLINK_INTERFACE, &z7HotasNotification},
                   {&GUID_GDP_GLASSLINK_INTERFACE, &gdpNotification}};
    for (auto& c : classes) {
        UTILITY::EnumDeviceInterface(c.guid, &CAvionex::CreateDeviceEnumProc, this, nullptr);
        // A registration of an earlier start goes once this one is made.
        c.notification->reset(RegisterDeviceInterfaceNotification(*c.guid));
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
        // COM for the objects made on this thread, until after the window.
        Platform::ComScope com;
        Platform::WindowMessage message;
        while (windows.GetMessage(&message) == 1)
            windows.DispatchMessage(message);
        windows.DestroyWindow(window);
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
        self->messageThread.ReportReady();
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
    const PanelKind* kind = FindPanelKind(kinds, attributes.productId);
    if (kind == nullptr) {
        Line(TRACE_LEVEL_DETAIL,
             L"It is the Brokmar product but not the supported panel device of the Avionex: %s",
             path.c_str());
        return;
    }
    Line(TRACE_LEVEL_EVENT, kind->attachedLine, path.c_str());

    // A path arrives once between removals; a second arrival (a removal
    // notice that never came, or a repeated notice) replaces the panel that
    // is there.  That one is uninitialised and released first, as on
    // removal, so that its end never runs over the new panel's start.
    std::unique_ptr<CPanel> previous;
    {
        Platform::LockGuard hold(panelLock.get());
        auto it = panels.find(path);
        if (it != panels.end()) {
            previous = std::move(it->second);
            previous->Uninitialize();
            panels.erase(it);
        }
    }
    if (previous != nullptr) {
        Line(TRACE_LEVEL_EVENT, L"The panel: %s arrived again and replaces the previous one",
             path.c_str());
        previous.reset();
    }

    std::unique_ptr<CPanel> panel =
        kind->create ? kind->create(path, physicalDeviceObjectName, this) : nullptr;
    if (panel == nullptr || !panel->Initialize()) {
        Line(TRACE_LEVEL_FAILURE, L"Failed in initializing the panel object");
        return;
    }
    Platform::LockGuard hold(panelLock.get());
    panels[path] = std::move(panel);
}

void CAvionex::RemovePanelDevice(const std::wstring& path) {
    ORV_TRACE_SCOPE(kKeyword);
    std::unique_ptr<CPanel> panel;
    {
        Platform::LockGuard hold(panelLock.get());
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
    // Another interface under the same key (a second device with the same
    // serial number) replaces the device there.
    std::shared_ptr<CGlassLink> previous;
    {
        Platform::LockGuard hold(displayLock.get());
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

void CAvionex::ReleaseDisplayDeviceAt(const std::wstring& path) {
    std::wstring key;
    std::shared_ptr<CGlassLink> previous;
    {
        Platform::LockGuard hold(displayLock.get());
        for (auto it = displayDevices.begin(); it != displayDevices.end(); ++it) {
            if (it->second->GetDevicePath() == path) {
                key = it->first;
                previous = std::move(it->second);
                previous->Uninitialize();
                displayDevices.erase(it);
                break;
            }
        }
    }
    if (previous != nullptr)
        Line(TRACE_LEVEL_EVENT,
             L"The GlassLink device: %s arrived again and replaces the previous one", key.c_str());
    // The object goes with the last reference (a render thread may hold one).
}

void CAvionex::CreateGlassLinkZ7HotasDevice(const std::wstring& path, const std::wstring& key) {
    ORV_TRACE_SCOPE(kKeyword);
    const DisplayKind* kind = FindDisplayKind(kinds, GUID_Z7HOTAS_GLASSLINK_INTERFACE);
    if (kind == nullptr || !kind->create) {
        Line(TRACE_LEVEL_DETAIL, L"There is no GlassLink Z7Hotas object for %s", path.c_str());
        return;
    }
    ReleaseDisplayDeviceAt(path);
    std::shared_ptr<CGlassLink> device = kind->create(path);
    if (device == nullptr || !device->Initialize()) {
        Line(TRACE_LEVEL_FAILURE, L"Failed in initializing the GlassLink Z7Hotas object");
        return;
    }
    StoreDisplayDevice(kind->key ? kind->key(*device) : key, std::move(device));
}

void CAvionex::CreateGlassLinkGdpDevice(const std::wstring& path) {
    ORV_TRACE_SCOPE(kKeyword);
    const DisplayKind* kind = FindDisplayKind(kinds, GUID_GDP_GLASSLINK_INTERFACE);
    if (kind == nullptr || !kind->create || !kind->key) {
        Line(TRACE_LEVEL_DETAIL, L"There is no GlassLink Gdp object for %s", path.c_str());
        return;
    }
    ReleaseDisplayDeviceAt(path);
    std::shared_ptr<CGlassLink> device = kind->create(path);
    if (device == nullptr || !device->Initialize()) {
        Line(TRACE_LEVEL_FAILURE, L"Failed in initializing the GlassLink Gdp object");
        return;
    }
    StoreDisplayDevice(kind->key(*device), std::move(device));
}

void CAvionex::RemoveGlassLinkDevice(const std::wstring& path) {
    ORV_TRACE_SCOPE(kKeyword);
    std::shared_ptr<CGlassLink> device;
    {
        Platform::LockGuard hold(displayLock.get());
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
    Platform::TryLockGuard panelHold(panelLock.get());
    if (!panelHold)
        return;
    Platform::TryLockGuard displayHold(displayLock.get());
    if (!displayHold)
        return;
    for (auto& [path, panel] : panels)
        panel->Notify();
}

void CAvionex::ReleaseDevices() {
    // One device after the other, each gone before the next one's end.
    while (!panels.empty()) {
        auto node = panels.extract(panels.begin());
        node.mapped()->Uninitialize();
    }
    // A display device still in use by a renderer goes when it lets go.
    while (!displayDevices.empty()) {
        auto node = displayDevices.extract(displayDevices.begin());
        node.mapped()->Uninitialize();
    }
}

std::shared_ptr<CGlassLink> CAvionex::GetGlassLink(const std::wstring& key) {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::TryLockGuard hold(displayLock.get());
    if (!hold)
        return nullptr;
    auto it = displayDevices.find(key);
    return it != displayDevices.end() ? it->second : nullptr;
}

void CAvionex::Uninitialize() {
    ORV_TRACE_SCOPE(kKeyword);
    messageThread.End(
        [this] {
            Platform::MessageWindow().PostThreadMessage(messageThread.id(), Platform::kWmQuit, 0,
                                                        0);
        },
        kThreadWaitMs,
        [] {
            Line(TRACE_LEVEL_EVENT,
                 L"Calling WaitForSingleObject against the message thread returns with time out, "
                 L"terminate the thread instead");
        },
        Platform::PortThread::Overdue::Terminate, kTerminatedExitCode);
    ReleaseDevices();
    panelLock.reset();
    displayLock.reset();
}

size_t CAvionex::PanelCount() {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::LockGuard hold(panelLock.get());
    return panels.size();
}

size_t CAvionex::DisplayDeviceCount() {
    ORV_TRACE_SCOPE(kKeyword);
    Platform::LockGuard hold(displayLock.get());
    return displayDevices.size();
}

}  // namespace Orv
