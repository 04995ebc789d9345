// The device kinds the device manager knows, as one table of factories:
// panels by product id (the attach line and the panel class), display
// devices by display interface class (the display device class and the map
// key).  The plugin's composition root, which knows every panel and display
// class, builds the table and hands it to CAvionex; tests hand their own.
// This folder knows no class of plugin/panels/.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"
#include "plugin/devices/glasslink.h"
#include "plugin/devices/panel.h"

namespace Orv {

class CAvionex;

// Makes the panel object of one product (not yet initialised); null when
// it cannot.
using PanelFactory = std::function<std::unique_ptr<CPanel>(
    const std::wstring& path, const std::wstring& physicalDeviceObjectName, CAvionex* manager)>;

// Makes a display device object (not yet initialised); null when it cannot.
using GlassLinkFactory = std::function<std::shared_ptr<CGlassLink>(const std::wstring& path)>;
// The map key of an initialised display device (the gauge display panel's
// display: its serial number string).
using GlassLinkKey = std::function<std::wstring(const CGlassLink& device)>;

struct PanelKind {
    uint16_t productId = 0;
    const wchar_t* attachedLine = nullptr;  // level 2, with the path
    PanelFactory create;
};

struct DisplayKind {
    Platform::Guid interfaceClass = {};
    GlassLinkFactory create;
    // Null: the key is the interface's physical-device-object name (the
    // joystick's display).  The gauge display panel's display needs one.
    GlassLinkKey key;
};

struct DeviceKinds {
    std::vector<PanelKind> panels;
    std::vector<DisplayKind> displays;
};

// The panel kind of a product, or null when the product is not supported.
const PanelKind* FindPanelKind(const DeviceKinds& kinds, uint16_t productId);
// The display kind of an interface class, or null.
const DisplayKind* FindDisplayKind(const DeviceKinds& kinds, const Platform::Guid& interfaceClass);

// A factory for a panel class whose constructor takes the path.
template <typename Panel>
std::unique_ptr<CPanel> MakePathPanel(const std::wstring& path, const std::wstring&, CAvionex*) {
    return std::make_unique<Panel>(path);
}

}  // namespace Orv
