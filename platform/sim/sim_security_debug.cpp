// The security port and the debugger stream of the simulation platform.
#include <mutex>
#include <string>
#include <vector>

#include "platform/debug_output.h"
#include "platform/security.h"
#include "platform/sim/sim_internal.h"
#include "platform/sim/sim_services.h"
#include "platform/sync.h"

namespace Orv::Sim {
namespace {

constexpr uint32_t kErrorUnknownRevision = 1305;

class SimSecurity final : public Platform::ISecurity {
public:
    bool InitializeSecurityDescriptor(Platform::SecurityDescriptor* descriptor,
                                      uint32_t revision) override {
        if (!descriptor) {
            Platform::Sync().SetLastError(Platform::kErrorInvalidParameter);
            return false;
        }
        if (revision != Platform::kSecurityDescriptorRevision) {
            Platform::Sync().SetLastError(kErrorUnknownRevision);
            return false;
        }
        *descriptor = Platform::SecurityDescriptor{};
        descriptor->revision = static_cast<uint8_t>(revision);
        return true;
    }

    bool SetSecurityDescriptorDacl(Platform::SecurityDescriptor* descriptor, bool present,
                                   void* acl, bool defaulted) override {
        if (!descriptor) {
            Platform::Sync().SetLastError(Platform::kErrorInvalidParameter);
            return false;
        }
        if (descriptor->revision != Platform::kSecurityDescriptorRevision) {
            Platform::Sync().SetLastError(kErrorUnknownRevision);
            return false;
        }
        if (present) {
            descriptor->control |= Platform::kSeDaclPresent;
            descriptor->dacl = acl;
        } else {
            descriptor->control &= static_cast<uint16_t>(~Platform::kSeDaclPresent);
            descriptor->dacl = nullptr;
        }
        return true;
    }
};

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

ISecurity& Security() {
    static ISecurity* security = new Sim::SimSecurity;
    return *security;
}

IDebugOutput& DebugOutput() {
    static IDebugOutput* output = new Sim::SimDebugOutput;
    return *output;
}

}  // namespace Orv::Platform
