#include "plugin/core/dll_entry.h"

#include "plugin/core/trace.h"

namespace Orv {

bool DllEntry(uint32_t reason) {
    switch (reason) {
        case DLL_REASON_PROCESS_ATTACH: {
            RegisterTraceProvider();
            WriteTrace(TRACE_LEVEL_DETAIL, TRACE_KEYWORD_PLUGIN, TRACE_KIND_MESSAGE,
                       L"DLL_PROCESS_ATTACH");
            break;
        }
        case DLL_REASON_THREAD_ATTACH:
            WriteTrace(TRACE_LEVEL_DETAIL, TRACE_KEYWORD_PLUGIN, TRACE_KIND_MESSAGE,
                       L"DLL_THREAD_ATTACH");
            break;
        case DLL_REASON_THREAD_DETACH:
            WriteTrace(TRACE_LEVEL_DETAIL, TRACE_KEYWORD_PLUGIN, TRACE_KIND_MESSAGE,
                       L"DLL_THREAD_DETACH");
            break;
        case DLL_REASON_PROCESS_DETACH:
            WriteTrace(TRACE_LEVEL_DETAIL, TRACE_KEYWORD_PLUGIN, TRACE_KIND_MESSAGE,
                       L"DLL_PROCESS_DETACH");
            UnregisterTraceProvider();
            break;
        default:
            break;
    }
    return true;
}

}  // namespace Orv
