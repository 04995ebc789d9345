// Security descriptors and attributes of new kernel objects.
#pragma once

#include <cstdint>

namespace Orv::Platform {

// SECURITY_DESCRIPTOR in its absolute form, field for field.
struct SecurityDescriptor {
    uint8_t revision;
    uint8_t sbz1;
    uint16_t control;
    void* owner;
    void* group;
    void* sacl;
    void* dacl;
};

// The security attributes of a new object: its descriptor (null: the
// default one) and whether its handle is inherited by child processes.  The
// backend hands them on as SECURITY_ATTRIBUTES (whose length it fills in).
struct SecurityAttributes {
    SecurityDescriptor* descriptor;
    bool inheritHandle;
};

constexpr uint32_t kSecurityDescriptorRevision = 1;
// Control bit of a descriptor that carries a DACL (a null one: access for everyone).
constexpr uint16_t kSeDaclPresent = 0x0004;

class ISecurity {
public:
    virtual ~ISecurity() = default;
    // An empty descriptor: no owner, group, SACL or DACL.
    virtual bool InitializeSecurityDescriptor(SecurityDescriptor* descriptor,
                                              uint32_t revision) = 0;
    // Sets the DACL; present with a null acl grants access to everyone.
    virtual bool SetSecurityDescriptorDacl(SecurityDescriptor* descriptor, bool present, void* acl,
                                           bool defaulted) = 0;
};

ISecurity& Security();

}  // namespace Orv::Platform
