// What every backend of the named-event port must do.
#include <gtest/gtest.h>

#include <string>

#include "platform/named_events.h"
#include "platform/sync.h"
#include "tests/ports/port_test_support.h"

namespace Orv::Platform {
namespace {

// A name no other test (or program) uses.
std::wstring UniqueName(const wchar_t* what) {
    return PortTest::UniqueName(L"OrvPortConformance", what);
}

TEST(NamedEventConformance, OpenFailsWithFileNotFoundWhenNoneExists) {
    std::wstring name = UniqueName(L"missing");
    Sync().SetLastError(0);
    EXPECT_EQ(NamedEvents().OpenEvent(kEventAllAccess, false, name.c_str()), nullptr);
    EXPECT_EQ(Sync().GetLastError(), kErrorFileNotFound);
}

TEST(NamedEventConformance, CreateTwiceOpensTheSameEventWithAlreadyExists) {
    std::wstring name = UniqueName(L"twice");
    Sync().SetLastError(0);
    Handle first = NamedEvents().CreateEvent(false, false, name.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_NE(Sync().GetLastError(), kErrorAlreadyExists);
    Handle second = NamedEvents().CreateEvent(true, true, name.c_str());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Sync().GetLastError(), kErrorAlreadyExists);
    // The existing event keeps its kind and state: auto-reset, not set.
    EXPECT_EQ(Sync().WaitForSingleObject(first, 0), kWaitTimeout);
    ASSERT_TRUE(Sync().SetEvent(second));
    EXPECT_EQ(Sync().WaitForSingleObject(first, 0), kWaitObject0);
    EXPECT_EQ(Sync().WaitForSingleObject(second, 0), kWaitTimeout);
    EXPECT_TRUE(Sync().CloseHandle(first));
    EXPECT_TRUE(Sync().CloseHandle(second));
}

TEST(NamedEventConformance, SetThroughAnOpenedHandleWakesAWaiterOnTheCreatedOne) {
    std::wstring name = UniqueName(L"handover");
    Handle created = NamedEvents().CreateEvent(false, false, name.c_str());
    ASSERT_NE(created, nullptr);
    PortTest::Event waiting;
    PortTest::PortThread waiter([&] {
        waiting.Set();
        return Sync().WaitForSingleObject(created, 5000);
    });
    ASSERT_EQ(waiting.Wait(5000), kWaitObject0);
    Handle opened = NamedEvents().OpenEvent(kEventAllAccess, false, name.c_str());
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(Sync().SetEvent(opened));
    ASSERT_EQ(waiter.Join(5000), kWaitObject0);
    EXPECT_EQ(waiter.ExitCode(), kWaitObject0);
    EXPECT_TRUE(Sync().CloseHandle(opened));
    EXPECT_TRUE(Sync().CloseHandle(created));
}

TEST(NamedEventConformance, EventLivesWhileAnyHandleIsOpen) {
    std::wstring name = UniqueName(L"lifetime");
    Handle created = NamedEvents().CreateEvent(true, false, name.c_str());
    ASSERT_NE(created, nullptr);
    Handle opened = NamedEvents().OpenEvent(kEventAllAccess, false, name.c_str());
    ASSERT_NE(opened, nullptr);
    ASSERT_TRUE(Sync().CloseHandle(created));
    Handle again = NamedEvents().OpenEvent(kEventAllAccess, false, name.c_str());
    ASSERT_NE(again, nullptr);
    ASSERT_TRUE(Sync().CloseHandle(opened));
    ASSERT_TRUE(Sync().CloseHandle(again));
    EXPECT_EQ(NamedEvents().OpenEvent(kEventAllAccess, false, name.c_str()), nullptr);
    EXPECT_EQ(Sync().GetLastError(), kErrorFileNotFound);
}

}  // namespace
}  // namespace Orv::Platform
