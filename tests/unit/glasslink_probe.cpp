// A plugin-like module that holds the core's data-folder lookup, for the
// test that loads it from a folder whose path is longer than 260
// characters.
#include <cstring>
#include <string>

#include "plugin/devices/glasslink.h"

#if defined(_WIN32)
#define ORV_PROBE_EXPORT extern "C" __declspec(dllexport)
#else
#define ORV_PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Writes the data folder, terminated, into folder (room characters); the
// length it needs, without the terminator.
ORV_PROBE_EXPORT size_t OrvProbeConfigureFolder(wchar_t* folder, size_t room) {
    std::wstring path;
    Orv::CGlassLink::GetConfigureFilePath(path);
    if (room > path.size())
        std::memcpy(folder, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    return path.size();
}
