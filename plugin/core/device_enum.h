// Enumeration of the present device interfaces of a class.
#pragma once

#include <cstdint>
#include <string>

#include "platform/types.h"

namespace Orv::UTILITY {

// Called for each present interface of a class: the class (as given), the
// interface path and the physical-device-object name of its device (both
// lower case), the context and the filter (as given).  0 ends the
// enumeration.
using EnumDeviceInterfaceProc = int32_t (*)(const Platform::Guid* interfaceClass,
                                            const std::wstring& path,
                                            const std::wstring& physicalDeviceObjectName,
                                            void* context, const wchar_t* filter);

// Calls proc for every present interface of the class, in the order the
// system lists them.  0 (with a level-1 line) when the list cannot be had
// or a member's path cannot be read; 1 otherwise.
int32_t EnumDeviceInterface(const Platform::Guid* interfaceClass, EnumDeviceInterfaceProc proc,
                            void* context, const wchar_t* filter);

}  // namespace Orv::UTILITY
