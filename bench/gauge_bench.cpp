// The gauge script evaluator on typical gauge scripts: tokens evaluated per
// second, and the heap allocations of an evaluation (with a replaced
// operator new), of which there must be none.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "bench/allocation_counter.h"
#include "plugin/gauges/gauge_script.h"

namespace {

using namespace Orv;

// Scripts as gauge files write them: a needle with its clamp and scale, a
// block choosing between two readings, an attitude term, a visibility test.
const wchar_t* const kScripts[] = {
    L"(A:Airspeed select indicated or true,knots) 40 - 0 max 200 min 1.35 * dgrd",
    L"(A:Eng1 oil pressure,psi) 0.01 * d 1 &gt; if{ 1 } els{ (A:Eng1 oil pressure,psi) 0.01 * }",
    L"(A:Attitude indicator pitch degrees,ndegree) sin 120 * /-/ (&gt;A:Pitch offset,number)",
    L"(A:Heading indicator,pdegree) rddg 360 r - dnor 10 div 10 *",
    L"(A:Gear handle position,bool) 0.5 &gt; (A:Eng1 egt,degcf) 400 &lt; * if{ 1 } els{ 0 }",
};

// Tokens of a script's top level (an if{ or els{ token counts as one,
// whatever its block holds): the figure is a lower bound.
size_t CountTokens(const wchar_t* script) {
    size_t tokens = 1;
    int paren = 0;
    int brace = 0;
    for (const wchar_t* p = script; *p; ++p) {
        paren += (*p == L'(') - (*p == L')');
        brace += (*p == L'{') - (*p == L'}');
        tokens += *p == L' ' && paren <= 0 && brace < 1;
    }
    return tokens;
}

void BM_EvaluateGaugeScripts(benchmark::State& state) {
    GaugeVariableStore store;
    for (const wchar_t* script : kScripts)
        store.RegisterScript(script);
    store.AddVariable(L'A', L"Pitch offset", L"number");
    store.RegisterScript(nullptr);
    for (size_t i = 0; i < store.working.size(); ++i)
        store.working[i] = 50.0f + static_cast<float>(i) * 37.0f;
    size_t tokensPerPass = 0;
    for (const wchar_t* script : kScripts)
        tokensPerPass += CountTokens(script);

    long before = g_allocations.load();
    for (auto _ : state) {
        GaugeEvaluationContext context{&store, false};
        for (const wchar_t* script : kScripts)
            benchmark::DoNotOptimize(EvaluateScript(context, script));
    }
    long allocations = g_allocations.load() - before;
    state.counters["tokens_per_second"] = benchmark::Counter(
        static_cast<double>(tokensPerPass) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
    state.counters["allocations_per_pass"] = benchmark::Counter(
        static_cast<double>(allocations) / static_cast<double>(state.iterations()));
    if (allocations != 0)
        state.SkipWithError("an evaluation allocated");
}
BENCHMARK(BM_EvaluateGaugeScripts);

}  // namespace
