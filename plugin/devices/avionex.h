// The device manager: finds the maker's devices, follows them as they are
// plugged in and out (on a message-window thread of its own), owns the
// objects that stand for them and lets each attached panel work once per
// frame.  Which class stands for which product or display interface comes
// from the table of device kinds it is made with (device_kinds.h).
//
// Locks: panelLock guards panels, displayLock guards displayDevices;
// panelLock comes first.  The flight loop only tries both (NotifyPanels
// never waits); the message-window thread waits for one lock at a time.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/message_window.h"
#include "platform/port_thread.h"
#include "platform/sync.h"
#include "platform/types.h"
#include "plugin/devices/device_kinds.h"
#include "plugin/devices/glasslink.h"
#include "plugin/devices/panel.h"

namespace Orv {

class CAvionex {
public:
    // kinds: the panel and display device classes to make (see
    // device_kinds.h); the manager keeps its own copy.
    explicit CAvionex(DeviceKinds kinds);
    ~CAvionex();
    CAvionex(const CAvionex&) = delete;
    CAvionex& operator=(const CAvionex&) = delete;

    // Starts the message-window thread, creates every present device and
    // registers for arrivals and removals: 0, a Windows error code, or 554
    // when the thread did not report ready within 5000 ms.
    uint32_t Initialize();
    // Ends the thread (terminated with 555 after 5000 ms) and closes every
    // device.
    void Uninitialize();
    // One frame: Notify on every panel in path order, when both locks can
    // be had at once; else nothing.
    void NotifyPanels();
    // The display device under key (exact), or null when there is none or
    // displayLock is busy.  The reference keeps the object alive; see
    // glasslink.h for what a holder may do after a removal.
    std::shared_ptr<CGlassLink> GetGlassLink(const std::wstring& key);

    Platform::DeviceNotification RegisterDeviceInterfaceNotification(const Platform::Guid& guid);
    static uint32_t MsgThreadRoutine(void* parameter);
    static intptr_t MsgWndProc(Platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                               intptr_t lParam);
    static int32_t CreateDeviceEnumProc(const Platform::Guid* interfaceClass,
                                        const std::wstring& path,
                                        const std::wstring& physicalDeviceObjectName, void* context,
                                        const wchar_t* filter);

    void CreatePanelDevice(const std::wstring& path, const std::wstring& physicalDeviceObjectName);
    void RemovePanelDevice(const std::wstring& path);
    void CreateGlassLinkZ7HotasDevice(const std::wstring& path, const std::wstring& key);
    void CreateGlassLinkGdpDevice(const std::wstring& path);
    void RemoveGlassLinkDevice(const std::wstring& path);

    // For tests: the number of attached panels and display devices.
    size_t PanelCount();
    size_t DisplayDeviceCount();

private:
    // Uninitialises and releases one device after the other: the panels in
    // path order, then the display devices in key order.
    void ReleaseDevices();
    void StoreDisplayDevice(const std::wstring& key, std::shared_ptr<CGlassLink> device);
    // Before a display device is made for path: the one there is (an
    // arrival without a removal between) is uninitialised and released.
    void ReleaseDisplayDeviceAt(const std::wstring& path);

    const DeviceKinds kinds;
    Platform::WindowHandle messageWindow = nullptr;
    // The message-window thread and the event it reports ready on.
    Platform::PortThread messageThread;
    Platform::ScopedDeviceNotification hidNotification;
    Platform::ScopedDeviceNotification z7HotasNotification;
    Platform::ScopedDeviceNotification gdpNotification;
    Platform::ScopedLock panelLock;
    Platform::ScopedLock displayLock;
    std::map<std::wstring, std::unique_ptr<CPanel>> panels;
    std::map<std::wstring, std::shared_ptr<CGlassLink>> displayDevices;
    Platform::Guid hidGuid = {};
};

}  // namespace Orv
