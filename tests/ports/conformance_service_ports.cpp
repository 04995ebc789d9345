// What every backend of the service-manager and security ports must do
// (what the service program relies on).
#include <gtest/gtest.h>

#include <string>

#include "platform/named_events.h"
#include "platform/security.h"
#include "platform/service_manager.h"
#include "platform/sync.h"
#include "tests/ports/port_test_support.h"

namespace Orv::Platform {
namespace {

std::wstring UniqueName(const wchar_t* what) {
    return PortTest::UniqueName(L"OrvServiceConformance", what);
}

TEST(SecurityConformance, NullDaclDescriptor) {
    SecurityDescriptor descriptor{};
    descriptor.control = 0xFFFF;
    ASSERT_TRUE(Security().InitializeSecurityDescriptor(&descriptor, kSecurityDescriptorRevision));
    EXPECT_EQ(descriptor.revision, kSecurityDescriptorRevision);
    EXPECT_EQ(descriptor.control, 0);
    EXPECT_EQ(descriptor.dacl, nullptr);
    EXPECT_EQ(descriptor.owner, nullptr);
    ASSERT_TRUE(Security().SetSecurityDescriptorDacl(&descriptor, true, nullptr, false));
    EXPECT_EQ(descriptor.control & kSeDaclPresent, kSeDaclPresent);
    EXPECT_EQ(descriptor.dacl, nullptr);
    EXPECT_FALSE(Security().InitializeSecurityDescriptor(&descriptor, 2));
}

TEST(SecurityConformance, NamedEventWithANullDaclAndAnInheritableHandle) {
    SecurityDescriptor descriptor{};
    ASSERT_TRUE(Security().InitializeSecurityDescriptor(&descriptor, kSecurityDescriptorRevision));
    ASSERT_TRUE(Security().SetSecurityDescriptorDacl(&descriptor, true, nullptr, false));
    SecurityAttributes attributes{&descriptor, true};
    std::wstring name = UniqueName(L"open-to-all");
    Sync().SetLastError(0);
    Handle created = NamedEvents().CreateEvent(&attributes, false, false, name.c_str());
    ASSERT_NE(created, nullptr);
    EXPECT_NE(Sync().GetLastError(), kErrorAlreadyExists);
    Handle again = NamedEvents().CreateEvent(&attributes, false, false, name.c_str());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Sync().GetLastError(), kErrorAlreadyExists);
    Handle opened = NamedEvents().OpenEvent(kEventAllAccess, false, name.c_str());
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(Sync().SetEvent(opened));
    EXPECT_EQ(Sync().WaitForSingleObject(created, 0), kWaitObject0);
    EXPECT_EQ(Sync().WaitForSingleObject(again, 0), kWaitTimeout);  // auto-reset
    for (Handle h : {created, again, opened})
        EXPECT_TRUE(Sync().CloseHandle(h));
}

TEST(ServiceManagerConformance, OpeningAServiceThatIsNotInstalled) {
    IServiceManager& sm = ServiceManager();
    ScHandle manager = sm.OpenSCManager(nullptr, nullptr, kScManagerConnect);
    ASSERT_NE(manager, nullptr) << Sync().GetLastError();
    Sync().SetLastError(0);
    EXPECT_EQ(sm.OpenService(manager, L"OrvConformanceNoSuchService", kServiceQueryStatus),
              nullptr);
    EXPECT_EQ(Sync().GetLastError(), kErrorServiceDoesNotExist);
    EXPECT_TRUE(sm.CloseServiceHandle(manager));
    // (A program not started by the manager cannot connect its dispatcher:
    // the service program's own tests check that.  Under Wine the attempt
    // waits for, and can take, the control pipe of a service being started
    // at the same time, so it stays out of this suite, which runs in
    // parallel with them.)
}

}  // namespace
}  // namespace Orv::Platform
