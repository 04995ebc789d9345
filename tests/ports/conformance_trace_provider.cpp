// What every backend of the trace provider port must do.
#include <gtest/gtest.h>

#include "platform/trace_provider.h"

namespace Orv::Platform {
namespace {

// A provider of its own, so that no session of the machine listens for it.
constexpr Guid kTestProvider = {
    0x3E9A7C51, 0x0B6D, 0x4E2F, {0x91, 0x5C, 0x6A, 0x2D, 0x84, 0xF0, 0x17, 0xB3}};

void IgnoreEnable(const Guid*, uint32_t, uint8_t, uint64_t, uint64_t, void*, void*) {}

TEST(TraceProviderConformance, RegisterWriteUnregisterSucceed) {
    for (TraceEnableCallback callback :
         {&IgnoreEnable, static_cast<TraceEnableCallback>(nullptr)}) {
        TraceRegistration registration = 0;
        ASSERT_EQ(TraceProvider().EventRegister(kTestProvider, callback, nullptr, &registration),
                  kErrorSuccess);
        EXPECT_NE(registration, 0u);
        EXPECT_EQ(TraceProvider().EventWriteString(registration, 2, 0x4, L"a line nobody reads"),
                  kErrorSuccess);
        EXPECT_EQ(TraceProvider().EventUnregister(registration), kErrorSuccess);
    }
}

}  // namespace
}  // namespace Orv::Platform
