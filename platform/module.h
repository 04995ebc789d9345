// The file path of a loaded module, found by an address inside it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/types.h"

namespace Orv::Platform {

class IModule {
public:
    virtual ~IModule() = default;
    // The full path of the module (the plugin library, or the program) that
    // contains address.  Returns 0 or a Windows error code.
    virtual uint32_t GetModuleFileName(const void* addressInModule, std::wstring* path) = 0;
};

IModule& Module();

}  // namespace Orv::Platform
