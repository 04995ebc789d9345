// The device manager: finds the maker's devices, owns the objects that
// stand for them and lets each attached device work once per frame.
#pragma once

#include <cstdint>

namespace Orv {

class CAvionex {
public:
    CAvionex();
    ~CAvionex();
    CAvionex(const CAvionex&) = delete;
    CAvionex& operator=(const CAvionex&) = delete;

    // Starts device discovery: 0, or a Windows error code.
    uint32_t Initialize();
    // Closes every device.
    void Uninitialize();
    // One frame's work for every attached device.
    void NotifyPanels();
};

// The one device manager, with static storage duration in the plugin.
extern CAvionex g_avionex;

}  // namespace Orv
