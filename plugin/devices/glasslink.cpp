#include "plugin/devices/glasslink.h"

#include "platform/module.h"
#include "plugin/core/trace.h"

namespace Orv {

namespace {

// Drops the last component of a path (and the separator before it); the
// module port gives backslashes on Windows and slashes on the simulation
// platform.
void RemoveLastComponent(std::wstring& path) {
    std::size_t separator = path.find_last_of(L"\\/");
    path.resize(separator == std::wstring::npos ? 0 : separator);
}

}  // namespace

bool CGlassLink::Initialize() {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_GLASSLINK);
    return true;
}

void CGlassLink::Uninitialize() {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_GLASSLINK);
}

bool CGlassLink::GetConfigureFilePath(std::wstring& folder) {
    ORV_TRACE_SCOPE(TRACE_KEYWORD_GLASSLINK);
    // The module that holds this code: the plugin library, not the host.
    // The port grows its buffer until the whole name fits.
    std::wstring path;
    if (Platform::Module().GetModuleFileName(
            reinterpret_cast<const void*>(&CGlassLink::GetConfigureFilePath), &path) != 0)
        path.clear();
    RemoveLastComponent(path);  // the module's file name
    RemoveLastComponent(path);  // the folder that holds it
    folder = path + L"\\data\\";
    return true;
}

}  // namespace Orv
