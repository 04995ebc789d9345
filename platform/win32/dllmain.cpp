// The entry point of win.xpl: the loader's notifications go to the plugin's
// DLL entry, whose reason numbers are the loader's.
#include "platform/win32/win32.h"
#include "plugin/core/dll_entry.h"

static_assert(DLL_PROCESS_DETACH == Orv::DLL_REASON_PROCESS_DETACH);
static_assert(DLL_PROCESS_ATTACH == Orv::DLL_REASON_PROCESS_ATTACH);
static_assert(DLL_THREAD_ATTACH == Orv::DLL_REASON_THREAD_ATTACH);
static_assert(DLL_THREAD_DETACH == Orv::DLL_REASON_THREAD_DETACH);

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
        case DLL_PROCESS_DETACH:
        case DLL_THREAD_ATTACH:
        case DLL_THREAD_DETACH:
            Orv::DllEntry(reason);
            break;
        default:
            break;
    }
    return TRUE;
}
