// The device manager: finds the maker's devices, follows them as they are
// plugged in and out (on a message-window thread of its own), owns the
// objects that stand for them and lets each attached panel work once per
// frame.
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
#include "platform/sync.h"
#include "platform/types.h"
#include "plugin/devices/glasslink.h"
#include "plugin/devices/panel.h"

namespace Orv {

class CAvionex;

// Makes the panel object of one product (not yet initialised).
using PanelFactory = std::unique_ptr<CPanel> (*)(const std::wstring& path,
                                                 const std::wstring& physicalDeviceObjectName,
                                                 CAvionex* manager);

// Makes a display device object of one interface class (not yet
// initialised); null when the class is not available.
using GlassLinkFactory = std::shared_ptr<CGlassLink> (*)(const std::wstring& path);
// The map key of an initialised gauge display panel display device: its
// serial number string.
using GlassLinkKey = std::wstring (*)(const CGlassLink& device);

enum class GlassLinkKind { Z7Hotas, Gdp };

class CAvionex {
public:
    CAvionex();
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

    // The registration point of the panel classes: the object made for a
    // supported product.  Products without a class of their own get a plain
    // CPanel; a null factory restores the product's own class.  Returns the
    // factory it replaces.  Set before Initialize.
    static PanelFactory SetPanelFactory(uint16_t productId, PanelFactory factory);
    // The same for the display device classes.
    static void SetGlassLinkFactory(GlassLinkKind kind, GlassLinkFactory factory,
                                    GlassLinkKey key = nullptr);

    // For tests: the number of attached panels and display devices.
    size_t PanelCount();
    size_t DisplayDeviceCount();

private:
    // Uninitialises and lets go of every panel and display device.
    void ReleaseDevices();
    void StoreDisplayDevice(const std::wstring& key, std::shared_ptr<CGlassLink> device);

    Platform::WindowHandle messageWindow = nullptr;
    Platform::Handle readyEvent = nullptr;
    Platform::Handle messageThread = nullptr;
    uint32_t messageThreadId = 0;
    Platform::DeviceNotification hidNotification = nullptr;
    Platform::DeviceNotification z7HotasNotification = nullptr;
    Platform::DeviceNotification gdpNotification = nullptr;
    Platform::Lock panelLock = nullptr;
    Platform::Lock displayLock = nullptr;
    std::map<std::wstring, std::unique_ptr<CPanel>> panels;
    std::map<std::wstring, std::shared_ptr<CGlassLink>> displayDevices;
    Platform::Guid hidGuid = {};
};

// The one device manager, with static storage duration in the plugin.
extern CAvionex g_avionex;

}  // namespace Orv
