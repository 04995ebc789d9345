// The security port: absolute security descriptors (advapi32).
#include "platform/security.h"

#include <cstddef>

#include "platform/win32/win32.h"

namespace Orv::Platform {

static_assert(sizeof(SecurityDescriptor) == sizeof(SECURITY_DESCRIPTOR));
static_assert(offsetof(SecurityDescriptor, revision) == offsetof(SECURITY_DESCRIPTOR, Revision));
static_assert(offsetof(SecurityDescriptor, control) == offsetof(SECURITY_DESCRIPTOR, Control));
static_assert(offsetof(SecurityDescriptor, owner) == offsetof(SECURITY_DESCRIPTOR, Owner));
static_assert(offsetof(SecurityDescriptor, group) == offsetof(SECURITY_DESCRIPTOR, Group));
static_assert(offsetof(SecurityDescriptor, sacl) == offsetof(SECURITY_DESCRIPTOR, Sacl));
static_assert(offsetof(SecurityDescriptor, dacl) == offsetof(SECURITY_DESCRIPTOR, Dacl));
static_assert(kSecurityDescriptorRevision == SECURITY_DESCRIPTOR_REVISION);
static_assert(kSeDaclPresent == SE_DACL_PRESENT);

namespace {

class Win32Security final : public ISecurity {
public:
    bool InitializeSecurityDescriptor(SecurityDescriptor* descriptor, uint32_t revision) override {
        return ::InitializeSecurityDescriptor(descriptor, revision) != FALSE;
    }
    bool SetSecurityDescriptorDacl(SecurityDescriptor* descriptor, bool present, void* acl,
                                   bool defaulted) override {
        return ::SetSecurityDescriptorDacl(descriptor, present, static_cast<PACL>(acl),
                                           defaulted) != FALSE;
    }
};

}  // namespace

ISecurity& Security() {
    static Win32Security instance;
    return instance;
}

}  // namespace Orv::Platform
