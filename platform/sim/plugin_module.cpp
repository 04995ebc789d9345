// The plugin module's load and unload on Linux, standing for the Windows
// DLL entry point: loading runs the process-attach step before the module's
// static objects are made, unloading the process-detach step.  The threads
// that the sync port starts stand for the threads Windows announces to the
// module: each reports its start and end as the thread attach and detach
// steps.  Threads the host itself runs are not announced.
#include "platform/sim/sim_platform.h"
#include "plugin/core/dll_entry.h"

namespace {

void ThreadNotify(bool attached) {
    Orv::DllEntry(attached ? Orv::DLL_REASON_THREAD_ATTACH : Orv::DLL_REASON_THREAD_DETACH);
}

__attribute__((constructor(101))) void ModuleLoad() {
    Orv::DllEntry(Orv::DLL_REASON_PROCESS_ATTACH);
    Orv::Sim::SetThreadNotify(&ThreadNotify);
}

__attribute__((destructor(101))) void ModuleUnload() {
    Orv::Sim::SetThreadNotify(nullptr);
    Orv::DllEntry(Orv::DLL_REASON_PROCESS_DETACH);
}

}  // namespace
