// The debugger stream of the simulation platform: OutputDebugString lines,
// recorded and handed to an observer.
#include "platform/debug_output.h"

#include <mutex>
#include <string>
#include <vector>

#include "platform/sim/sim_internal.h"
#include "platform/sim/sim_services.h"

namespace Orv::Sim {
namespace {

struct DebugStream {
    std::mutex mu;
    DebugOutputObserver observer;
    std::vector<std::wstring> recorded;
};

DebugStream& Stream() {
    static DebugStream* stream = new DebugStream;
    return *stream;
}

class SimDebugOutput final : public Platform::IDebugOutput {
public:
    void OutputDebugString(const wchar_t* text) override {
        std::wstring line = text ? text : L"";
        DebugOutputObserver observer;
        {
            std::lock_guard<std::mutex> lock(Stream().mu);
            Stream().recorded.push_back(line);
            observer = Stream().observer;
        }
        if (observer)
            observer(line);
    }
};

}  // namespace

void SetDebugOutputObserver(DebugOutputObserver observer) {
    std::lock_guard<std::mutex> lock(Stream().mu);
    Stream().observer = std::move(observer);
}

std::vector<std::wstring> TakeDebugOutput() {
    std::lock_guard<std::mutex> lock(Stream().mu);
    std::vector<std::wstring> lines;
    lines.swap(Stream().recorded);
    return lines;
}

namespace Detail {

void ResetDebugOutput() {
    std::lock_guard<std::mutex> lock(Stream().mu);
    Stream().observer = nullptr;
    Stream().recorded.clear();
}

}  // namespace Detail
}  // namespace Orv::Sim

namespace Orv::Platform {

IDebugOutput& DebugOutput() {
    static IDebugOutput* output = new Sim::SimDebugOutput;
    return *output;
}

}  // namespace Orv::Platform
