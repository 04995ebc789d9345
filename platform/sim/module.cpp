// The module port: the file of the loaded object (program or shared
// library) that contains an address.
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/module.h"
#include "platform/sim/sim_internal.h"
#include "platform/sim/sim_platform.h"
#include "platform/sim/sim_services.h"

namespace Orv::Sim {
namespace {

constexpr uint32_t kErrorModNotFound = 126;

// Set by SetProgramPath; never freed, so that it outlives the statics.
std::mutex g_programPathMutex;
std::wstring& ProgramPathOverride() {
    static auto* path = new std::wstring;
    return *path;
}

std::string ProgramPath() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    return std::string(buf, static_cast<size_t>(n));
}

std::string Absolute(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved)
        return {};
    std::string result = resolved;
    std::free(resolved);
    return result;
}

class SimModule final : public Platform::IModule {
public:
    uint32_t GetModuleFileName(const void* addressInModule, std::wstring* path) override {
        if (!path)
            return Platform::kErrorInvalidParameter;
        path->clear();
        std::string file;
        if (!addressInModule) {
            {
                std::lock_guard<std::mutex> lock(g_programPathMutex);
                if (!ProgramPathOverride().empty()) {
                    *path = ProgramPathOverride();
                    return Platform::kErrorSuccess;
                }
            }
            file = ProgramPath();  // as for the program's own module handle
        } else {
            Dl_info info{};
            link_map* map = nullptr;
            if (dladdr1(addressInModule, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) ==
                0)
                return kErrorModNotFound;
            // The program itself has an empty name in the loader's list.
            bool program = !map || !map->l_name || map->l_name[0] == '\0';
            file = program ? ProgramPath() : Absolute(info.dli_fname ? info.dli_fname : "");
        }
        if (file.empty())
            return kErrorModNotFound;
        *path = FromUtf8(file);
        return Platform::kErrorSuccess;
    }
};

}  // namespace

void SetProgramPath(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(g_programPathMutex);
    ProgramPathOverride() = path;
}

namespace Detail {
void ResetProgramPath() {
    SetProgramPath(L"");
}
}  // namespace Detail

}  // namespace Orv::Sim

namespace Orv::Platform {

IModule& Module() {
    static IModule* module = new Sim::SimModule;
    return *module;
}

}  // namespace Orv::Platform
