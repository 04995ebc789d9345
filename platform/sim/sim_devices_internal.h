// Hooks between the device bus and the message windows (not for users).
#pragma once

#include <cstdint>
#include <string>

#include "platform/types.h"

namespace Orv::Sim::Detail {

// Posts WM_DEVICECHANGE with event and an interface notice for path to
// every window registered for the class.
void BroadcastDeviceInterface(const Platform::Guid& interfaceClass, const std::wstring& path,
                              uintptr_t event);
void ResetMessageWindows();

}  // namespace Orv::Sim::Detail
