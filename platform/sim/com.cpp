// The COM port of the simulation platform: only the per-thread
// initialisation count, which the XML port checks.
#include "platform/com.h"

#include "platform/sim/sim_internal.h"

namespace Orv::Sim {
namespace {

// COM on this thread: the depth of successful initialisations.
thread_local int t_comDepth = 0;

class SimCom final : public Platform::ICom {
public:
    int32_t InitializeCom() override {
        return t_comDepth++ == 0 ? Platform::kSOk : Platform::kSFalse;
    }
    void UninitializeCom() override {
        if (t_comDepth > 0)
            --t_comDepth;
    }
};

}  // namespace

bool Detail::ComInitialized() {
    return t_comDepth > 0;
}

}  // namespace Orv::Sim

namespace Orv::Platform {

ICom& Com() {
    static ICom* com = new Sim::SimCom;
    return *com;
}

}  // namespace Orv::Platform
