// Fuzz target: the gauge script evaluator on any text and any store.  The
// input is the registered scripts, one a line, then a NUL byte and the
// script evaluated (each byte one character).  Every registered variable
// gets a value of its own; the evaluation must end, and the store keeps one
// value per registered name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "plugin/gauges/gauge_script.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

std::wstring Widen(const uint8_t* data, size_t size) {
    std::wstring text;
    text.reserve(size);
    for (size_t i = 0; i < size; ++i)
        text.push_back(static_cast<wchar_t>(data[i]));
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Orv;
    std::wstring input = Widen(data, size);
    std::wstring registered = input;
    std::wstring script;
    size_t nul = input.find(L'\0');
    if (nul != std::wstring::npos) {
        registered = input.substr(0, nul);
        script = input.substr(nul + 1);
    }

    GaugeVariableStore store;
    size_t start = 0;
    while (start <= registered.size()) {
        size_t end = registered.find(L'\n', start);
        if (end == std::wstring::npos)
            end = registered.size();
        store.RegisterScript(registered.substr(start, end - start).c_str());
        start = end + 1;
    }
    Check(store.count >= 0 && static_cast<size_t>(store.count) == store.names.size());
    Check(store.working.size() == store.names.size() && store.keys.size() == store.names.size());
    for (size_t i = 0; i < store.working.size(); ++i)
        store.working[i] = static_cast<float>(i) - 1.5f;

    GaugeEvaluationContext context{&store, false};
    EvaluateScript(context, script.c_str());
    EvaluateScript(context, registered.c_str());
    GaugeEvaluationContext bare;
    EvaluateScript(bare, script.c_str());
    Check(store.working.size() == store.names.size());
    return 0;
}
