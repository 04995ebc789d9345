// In-process trace sessions of the simulation platform.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "platform/trace_provider.h"
#include "tests/ports/port_test_support.h"

namespace Orv::Sim {
namespace {

using Platform::Guid;
using Platform::TraceProvider;
using Platform::TraceRegistration;

constexpr Guid kProvider = {
    0x5C0D1E2A, 0x4B3F, 0x4A6E, {0x8D, 0x17, 0x2F, 0x90, 0xC4, 0x5B, 0xE1, 0x6A}};

struct EnableCall {
    uint32_t control;
    uint8_t level;
    uint64_t matchAny;
    uint64_t matchAll;
    bool filterNull;
    void* context;
    bool operator==(const EnableCall&) const = default;
};

std::vector<EnableCall>* g_calls = nullptr;

void RecordEnable(const Guid* source, uint32_t control, uint8_t level, uint64_t matchAny,
                  uint64_t matchAll, void* filter, void* context) {
    EXPECT_TRUE(source && *source == kProvider);
    g_calls->push_back({control, level, matchAny, matchAll, filter == nullptr, context});
}

class TraceSessions : public ::testing::Test {
protected:
    void SetUp() override {
        Reset(TimeMode::Virtual);
        g_calls = &calls;
    }
    void TearDown() override {
        if (registration)
            TraceProvider().EventUnregister(registration);
        g_calls = nullptr;
        Reset(TimeMode::Virtual);
    }
    void Register() {
        ASSERT_EQ(TraceProvider().EventRegister(kProvider, &RecordEnable, &context, &registration),
                  0u);
        ASSERT_NE(registration, 0u);
    }
    TraceSession::Sink Collect() {
        return [this](const TraceRecord& r) { records.push_back(r); };
    }

    int context = 0;
    TraceRegistration registration = 0;
    std::vector<EnableCall> calls;
    std::vector<TraceRecord> records;
};

TEST_F(TraceSessions, ListeningSessionEnablesInsideRegistration) {
    TraceSession session(kProvider, Collect());
    session.Start(3, 0x7FF);
    EXPECT_TRUE(calls.empty());
    Register();
    EXPECT_EQ(calls, (std::vector<EnableCall>{{1, 3, 0x7FF, 0, true, &context}}));
}

TEST_F(TraceSessions, StartEnablesNowStopDisablesDestructorStops) {
    Register();
    {
        TraceSession session(kProvider, Collect());
        EXPECT_FALSE(session.Started());
        session.Start(2, 0x4);
        EXPECT_TRUE(session.Started());
        session.Start(3, 0x6);  // new values
        session.Stop();
        EXPECT_FALSE(session.Started());
        session.Stop();  // stopping a stopped session does nothing
        session.Start(1, 0x1);
    }
    EXPECT_EQ(calls, (std::vector<EnableCall>{{1, 2, 0x4, 0, true, &context},
                                              {1, 3, 0x6, 0, true, &context},
                                              {0, 0, 0, 0, true, &context},
                                              {1, 1, 0x1, 0, true, &context},
                                              {0, 0, 0, 0, true, &context}}));
}

TEST_F(TraceSessions, SessionFiltersByLevelAndKeyword) {
    Register();
    struct Case {
        uint8_t sessionLevel;
        uint64_t sessionMask;
        uint8_t level;
        uint64_t keyword;
        bool delivered;
    };
    const Case cases[] = {
        {2, 0x4, 1, 0x4, true},  {2, 0x4, 2, 0x4, true}, {2, 0x4, 3, 0x4, false},
        {2, 0x4, 2, 0x8, false}, {2, 0x4, 2, 0xC, true}, {2, 0x4, 2, 0, true},
        {0, 0x1, 3, 0x1, true},  {3, 0, 1, 0x1, false},  {3, 0x7FF, 3, 0x800, false},
    };
    for (const Case& c : cases) {
        TraceSession session(kProvider, Collect());
        session.Start(c.sessionLevel, c.sessionMask);
        records.clear();
        EXPECT_EQ(TraceProvider().EventWriteString(registration, c.level, c.keyword, L"x"), 0u);
        EXPECT_EQ(records.size(), c.delivered ? 1u : 0u)
            << "session " << int(c.sessionLevel) << "/" << c.sessionMask << ", line "
            << int(c.level) << "/" << c.keyword;
    }
}

TEST_F(TraceSessions, RecordsCarryTheWritersOrdinal) {
    Register();
    TraceSession session(kProvider, Collect());
    session.Start(3, ~0ull);
    TraceProvider().EventWriteString(registration, 2, 0x1, L"from the host");
    PortTest::PortThread writer(
        [&] { return TraceProvider().EventWriteString(registration, 3, 0x2, L"from a thread"); });
    writer.Join();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].thread, 1u);
    EXPECT_EQ(records[0].text, L"from the host");
    EXPECT_EQ(records[1].thread, 2u);
    EXPECT_EQ(records[1].level, 3);
    EXPECT_EQ(records[1].keyword, 0x2u);
    EXPECT_EQ(records[1].text, L"from a thread");
}

TEST_F(TraceSessions, UnregisteredHandleWritesNothing) {
    Register();
    TraceSession session(kProvider, Collect());
    session.Start(3, ~0ull);
    EXPECT_EQ(TraceProvider().EventUnregister(registration), 0u);
    EXPECT_EQ(TraceProvider().EventWriteString(registration, 1, 1, L"late"),
              Platform::kErrorInvalidHandle);
    EXPECT_EQ(TraceProvider().EventUnregister(registration), Platform::kErrorInvalidHandle);
    EXPECT_EQ(TraceProvider().EventUnregister(0), Platform::kErrorInvalidHandle);
    registration = 0;
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(TraceProvider().EventRegister(kProvider, nullptr, nullptr, nullptr),
              Platform::kErrorInvalidParameter);
}

TEST_F(TraceSessions, SecondSessionForTheSameProviderDoesNotStart) {
    Register();
    TraceSession first(kProvider, Collect());
    TraceSession second(kProvider, Collect());
    first.Start(1, 0x1);
    second.Start(3, 0xFFF);
    EXPECT_TRUE(first.Started());
    EXPECT_FALSE(second.Started());
    EXPECT_EQ(calls.size(), 1u);
}

}  // namespace
}  // namespace Orv::Sim
