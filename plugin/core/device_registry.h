// The plugin's composition root for its devices: the one table of device
// kinds (every panel and display device class the plugin ships) and the
// device manager made with it.
#pragma once

#include "plugin/devices/avionex.h"
#include "plugin/devices/device_kinds.h"

namespace Orv {

// The products and display interfaces the plugin serves, with their classes.
DeviceKinds PluginDeviceKinds();

// The one device manager, with static storage duration in the plugin.
extern CAvionex g_avionex;

}  // namespace Orv
