// The cost of the plugin's per-frame baseline: a trace call with no trace
// session listening, and a whole frame with no device attached.
#include <benchmark/benchmark.h>

#include "platform/sim/sim_platform.h"
#include "plugin/core/dll_entry.h"
#include "plugin/core/trace.h"
#include "sim/xplane/world.h"

namespace {

// The plugin module attached on a fresh simulation platform, as at load.
struct AttachedModule {
    AttachedModule() {
        Orv::Sim::Reset(Orv::Sim::TimeMode::Virtual);
        Orv::XSim::Reset();
    }
    void Attach() { Orv::DllEntry(Orv::DLL_REASON_PROCESS_ATTACH); }
    ~AttachedModule() { Orv::DllEntry(Orv::DLL_REASON_PROCESS_DETACH); }
};

void WriteDetailLine() {
    Orv::WriteTrace(Orv::TRACE_LEVEL_DETAIL, Orv::TRACE_KEYWORD_PANEL, Orv::TRACE_KIND_MESSAGE,
                    L"The size is %d", 8);
}

void BM_TraceLineNoSession(benchmark::State& state) {
    AttachedModule module;
    module.Attach();
    for (auto _ : state)
        WriteDetailLine();
}
BENCHMARK(BM_TraceLineNoSession);

void Traced() {
    ORV_TRACE_SCOPE(Orv::TRACE_KEYWORD_PANEL);
    benchmark::ClobberMemory();
}

void BM_TracedFunctionNoSession(benchmark::State& state) {
    AttachedModule module;
    module.Attach();
    for (auto _ : state)
        Traced();
}
BENCHMARK(BM_TracedFunctionNoSession);

// A session that listens to another keyword: the line is still filtered out
// by the first tests.
void BM_TraceLineOtherKeyword(benchmark::State& state) {
    AttachedModule module;
    Orv::Sim::TraceSession session(Orv::kTraceProviderGuid, [](const Orv::Sim::TraceRecord&) {});
    session.Start(3, Orv::TRACE_KEYWORD_AIRCRAFT);
    module.Attach();
    for (auto _ : state)
        WriteDetailLine();
}
BENCHMARK(BM_TraceLineOtherKeyword);

// One simulator frame of the started and enabled plugin with no devices and
// no trace session: the world's step and the flight-loop callback.
void BM_EmptyFrame(benchmark::State& state) {
    AttachedModule module;
    module.Attach();
    char name[256], signature[256], description[256];
    XPluginStart(name, signature, description);
    XPluginEnable();
    if (Orv::XSim::FlightLoopCount() != 1)
        state.SkipWithError("the plugin did not start");
    for (auto _ : state)
        Orv::XSim::RunFrame(0.02f);
    XPluginDisable();
    XPluginStop();
}
BENCHMARK(BM_EmptyFrame);

}  // namespace
