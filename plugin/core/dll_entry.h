// The plugin module's entry point: what the module does when it is loaded
// and unloaded and when threads start and end in it.
#pragma once

#include <cstdint>

namespace Orv {

// The plugin module's notifications, as the Windows DLL entry point gets
// them.  On Windows DllMain forwards here; on Linux the module's load and
// unload, and the start and end of threads that the sync port starts.
enum DllReason : uint32_t {
    DLL_REASON_PROCESS_DETACH = 0,
    DLL_REASON_PROCESS_ATTACH = 1,
    DLL_REASON_THREAD_ATTACH = 2,
    DLL_REASON_THREAD_DETACH = 3,
};
// Always returns true (TRUE for the DLL entry point).
bool DllEntry(uint32_t reason);

}  // namespace Orv
