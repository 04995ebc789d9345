#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/core/dll_entry.h"
#include "plugin/core/trace.h"
#include "tests/unit/trace_fixture.h"

namespace Orv::Test {
namespace {

constexpr uint64_t kAllButTop = 0x7FFFFFFFFFFFFFFFull;

using TraceTest = TraceFixture;

TEST_F(TraceTest, ASessionThatListensAtRegistrationSeesTheAttachLine) {
    Attach(3, kAllButTop);
    ASSERT_EQ(Texts(), std::vector<std::wstring>{L"DLL_PROCESS_ATTACH"});
    EXPECT_EQ(records_[0].level, 3);
    EXPECT_EQ(records_[0].keyword, 1u);
}

struct FilterCase {
    uint8_t sessionLevel;
    uint64_t sessionMask;
    int32_t level;
    int32_t keyword;
    bool passes;
};

class TraceFilterTest : public TraceFixture, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(TraceFilterTest, LinePassesOnlyWithinLevelAndMask) {
    const FilterCase& c = GetParam();
    Attach(c.sessionLevel, c.sessionMask);
    Clear();
    WriteTrace(c.level, c.keyword, TRACE_KIND_MESSAGE, L"line");
    EXPECT_EQ(records_.size(), c.passes ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TraceFilterTest,
    ::testing::Values(FilterCase{3, kAllButTop, 3, TRACE_KEYWORD_PLUGIN, true},
                      FilterCase{3, kAllButTop, 1, TRACE_KEYWORD_AIRCRAFT, true},
                      FilterCase{2, kAllButTop, 3, TRACE_KEYWORD_PLUGIN, false},
                      FilterCase{2, kAllButTop, 2, TRACE_KEYWORD_PLUGIN, true},
                      FilterCase{1, kAllButTop, 2, TRACE_KEYWORD_PANEL, false},
                      // A session asking for every keyword bit gets nothing.
                      FilterCase{3, ~0ull, 1, TRACE_KEYWORD_PLUGIN, false},
                      FilterCase{3, 0x4, 3, TRACE_KEYWORD_PANEL, true},
                      FilterCase{3, 0x4, 3, TRACE_KEYWORD_TOGGLE_PANEL, false},
                      FilterCase{3, 0x400 | 0x800, 3, TRACE_KEYWORD_AIRCRAFT, true}));

TEST_F(TraceTest, EntryAndExitLinesIndentTheCallTree) {
    Attach(3, kAllButTop);
    Clear();
    WriteTrace(3, 1, TRACE_KIND_ENTER, L">>%S", "Outer");
    WriteTrace(3, 1, TRACE_KIND_ENTER, L">>%S", "Inner");
    WriteTrace(1, 1, TRACE_KIND_MESSAGE, L"Failed in %s due to %d", L"x", 5);
    WriteTrace(3, 1, TRACE_KIND_LEAVE, L"<<%S", "Inner");
    WriteTrace(3, 1, TRACE_KIND_LEAVE, L"<<%S", "Outer");
    // An exit line at depth 0 stays at depth 0.
    WriteTrace(3, 1, TRACE_KIND_LEAVE, L"<<%S", "Stray");
    WriteTrace(3, 1, TRACE_KIND_MESSAGE, L"after");
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L">>Outer", L"    >>Inner",
                                                  L"        Failed in x due to 5", L"    <<Inner",
                                                  L"<<Outer", L"<<Stray", L"after"}));
}

struct Probe {
    static int Run(bool early) {
        ORV_TRACE_SCOPE(TRACE_KEYWORD_UTILITY);
        if (early)
            return 1;
        WriteTrace(2, TRACE_KEYWORD_UTILITY, TRACE_KIND_MESSAGE, L"late");
        return 2;
    }
};

TEST_F(TraceTest, ScopeWritesQualifiedNamesOnEveryPath) {
    Attach(3, kAllButTop);
    Clear();
    Probe::Run(true);
    Probe::Run(false);
    ASSERT_EQ(records_.size(), 5u);
    const std::wstring name = L"Orv::Test::`anonymous-namespace'::Probe::Run";
    EXPECT_EQ(records_[0].text, L">>" + name);
    EXPECT_EQ(records_[1].text, L"<<" + name);
    EXPECT_EQ(records_[2].text, L">>" + name);
    EXPECT_EQ(records_[3].text, L"    late");
    EXPECT_EQ(records_[4].text, L"<<" + name);
}

TEST_F(TraceTest, WithoutDetailLevelNoLineIsIndented) {
    Attach(2, kAllButTop);
    Clear();
    WriteTrace(3, 1, TRACE_KIND_ENTER, L">>%S", "Outer");
    WriteTrace(1, 1, TRACE_KIND_MESSAGE, L"failure");
    WriteTrace(2, 1, TRACE_KIND_MESSAGE, L"event");
    WriteTrace(3, 1, TRACE_KIND_LEAVE, L"<<%S", "Outer");
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"failure", L"event"}));
}

TEST_F(TraceTest, LongMessagesAreCutAtTheLine) {
    Attach(3, kAllButTop);
    Clear();
    const std::wstring message(600, L'm');
    WriteTrace(2, 1, TRACE_KIND_MESSAGE, L"%s", message.c_str());
    for (int i = 0; i < 3; ++i)
        WriteTrace(3, 1, TRACE_KIND_ENTER, L"e");
    WriteTrace(2, 1, TRACE_KIND_MESSAGE, L"%s", message.c_str());
    ASSERT_EQ(records_.size(), 5u);
    EXPECT_EQ(records_[0].text, std::wstring(511, L'm'));
    EXPECT_EQ(records_[4].text, std::wstring(12, L' ') + std::wstring(500, L'm'));
}

TEST_F(TraceTest, DeepIndentationLeavesNoRoomForTheMessage) {
    Attach(3, kAllButTop);
    Clear();
    for (int i = 0; i < 200; ++i)
        WriteTrace(3, 1, TRACE_KIND_ENTER, L"e");
    WriteTrace(2, 1, TRACE_KIND_MESSAGE, L"lost");
    EXPECT_EQ(records_.back().text, std::wstring(512, L' '));
}

TEST_F(TraceTest, HexDumpWritesEachByteWithASpace) {
    Attach(3, TRACE_KEYWORD_PANEL);
    Clear();
    const unsigned char bytes[] = {0x0A, 0xFF};
    TraceHexDump(bytes, 2);
    TraceHexDump(bytes, 0);
    std::vector<unsigned char> longReport(300, 0x5A);
    TraceHexDump(longReport.data(), static_cast<uint32_t>(longReport.size()));
    // Another keyword's lines do not reach a session that asked for 0x4 alone.
    WriteTrace(2, TRACE_KEYWORD_PLUGIN, TRACE_KIND_MESSAGE, L"plugin");
    ASSERT_EQ(records_.size(), 3u);
    EXPECT_EQ(records_[0].text, L"The data is 0a ff ");
    EXPECT_EQ(records_[0].level, 2);
    EXPECT_EQ(records_[0].keyword, 4u);
    EXPECT_EQ(records_[1].text, L"The data is ");
    EXPECT_EQ(records_[2].text.size(), 511u);
}

TEST_F(TraceTest, HexDumpNeedsThePanelKeyword) {
    Attach(3, TRACE_KEYWORD_PLUGIN);
    Clear();
    const unsigned char bytes[] = {1};
    TraceHexDump(bytes, 1);
    EXPECT_TRUE(records_.empty());
}

TEST_F(TraceTest, DisableAndDetachSilenceEveryCall) {
    Attach(3, kAllButTop);
    DllEntry(DLL_REASON_PROCESS_DETACH);
    Clear();
    WriteTrace(1, 1, TRACE_KIND_MESSAGE, L"after detach");
    const unsigned char bytes[] = {1};
    TraceHexDump(bytes, 1);
    EXPECT_TRUE(records_.empty());
    EXPECT_EQ(g_trace.registration.load(), 0u);
    DllEntry(DLL_REASON_PROCESS_ATTACH);  // for TearDown's detach
}

TEST_F(TraceTest, EnableCallbackStoresTheSessionsValues) {
    TraceEnableCallback(nullptr, 1, 2, 0x30, 0, nullptr, nullptr);
    EXPECT_EQ(g_trace.enabled.load(), 1);
    EXPECT_EQ(g_trace.level.load(), 2);
    EXPECT_EQ(g_trace.keywordMask.load(), 0x30u);
    TraceEnableCallback(nullptr, 1, 3, ~0ull, 0, nullptr, nullptr);
    EXPECT_EQ(g_trace.keywordMask.load(), 0u);
    TraceEnableCallback(nullptr, 2, 1, 0x1, 0, nullptr, nullptr);  // capture state: no change
    EXPECT_EQ(g_trace.level.load(), 3);
    TraceEnableCallback(nullptr, 0, 3, 0x1, 0, nullptr, nullptr);
    EXPECT_EQ(g_trace.enabled.load(), 0);
    EXPECT_EQ(g_trace.level.load(), 0);
    EXPECT_EQ(g_trace.keywordMask.load(), 0u);
}

}  // namespace
}  // namespace Orv::Test
