// The security port of the simulation platform.
#include <mutex>
#include <string>
#include <vector>

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

}  // namespace

}  // namespace Orv::Sim

namespace Orv::Platform {

ISecurity& Security() {
    static ISecurity* security = new Sim::SimSecurity;
    return *security;
}

}  // namespace Orv::Platform
