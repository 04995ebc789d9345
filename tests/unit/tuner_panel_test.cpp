// The tuner panel's knob filter on the virtual tick count, and the digit
// bytes of one display field for texts the scenarios do not reach.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "platform/sync.h"
#include "plugin/panels/tuner_panel.h"

namespace Orv::Test {
namespace {

using Filter = CTunerPanel::RotaryStepFilter;

constexpr uint16_t kUp = 17;
constexpr uint16_t kDown = 18;

// One detent: the time since the detent before, the usage turning on, and
// whether it is to step.
struct Detent {
    uint32_t afterMs;
    uint16_t usage;
    bool steps;
};

struct FilterCase {
    const char* name;
    std::vector<Detent> detents;
};

class TunerFilterTest : public ::testing::TestWithParam<FilterCase> {
protected:
    void SetUp() override { Sim::Reset(Sim::TimeMode::Virtual); }
};

TEST_P(TunerFilterTest, StepsOrDrops) {
    Filter filter(kUp, kDown);
    // Away from tick 0, so that no time before the first detent is special.
    Sim::Advance(1000);
    int n = 0;
    for (const Detent& d : GetParam().detents) {
        Sim::Advance(d.afterMs);
        EXPECT_EQ(filter.Accept(d.usage, 1), d.steps) << "detent " << n;
        // The ring's usage turning off again passes and changes nothing.
        EXPECT_TRUE(filter.Accept(d.usage, 0)) << "detent " << n;
        ++n;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Detents, TunerFilterTest,
    ::testing::Values(
        FilterCase{"FastTurnLosesEverySecondStep",
                   {{0, kUp, true}, {50, kUp, false}, {50, kUp, true}, {50, kUp, false}}},
        FilterCase{"SlowTurnStepsEveryDetent",
                   {{0, kUp, true}, {300, kUp, true}, {300, kUp, true}}},
        FilterCase{"RepeatLimitIs200Ms",
                   {{0, kDown, true}, {199, kDown, false}, {200, kDown, true}, {200, kDown, true}}},
        // A dropped bounce is forgotten: the next detent the other way steps.
        FilterCase{"QuickReversalDropped",
                   {{0, kUp, true}, {100, kDown, false}, {50, kDown, true}, {300, kDown, true}}},
        FilterCase{"ReversalLimitIs150Ms",
                   {{0, kUp, true}, {149, kDown, false}, {300, kUp, true}, {150, kDown, true}}},
        FilterCase{"SlowReversalSteps", {{0, kUp, true}, {200, kDown, true}, {200, kUp, true}}}),
    [](const ::testing::TestParamInfo<FilterCase>& param) {
        return std::string(param.param.name);
    });

// Differences of the tick count stay right when it wraps at 2^32.
TEST(TunerFilterWrapTest, TimesAcrossTheWrapOfTheTickCount) {
    Sim::Reset(Sim::TimeMode::Virtual);
    Filter filter(kUp, kDown);
    Sim::Advance(0xFFFFFFFFu - 100);
    ASSERT_EQ(Platform::Sync().GetTickCount(), 0xFFFFFFFFu - 100);
    EXPECT_TRUE(filter.Accept(kUp, 1));
    Sim::Advance(250);
    ASSERT_LT(Platform::Sync().GetTickCount(), 1000u);
    EXPECT_TRUE(filter.Accept(kUp, 1));
    Sim::Advance(50);
    EXPECT_FALSE(filter.Accept(kUp, 1));

    Sim::Reset(Sim::TimeMode::Virtual);
    Filter other(kUp, kDown);
    Sim::Advance(0xFFFFFFFFu - 50);
    EXPECT_TRUE(other.Accept(kUp, 1));
    Sim::Advance(100);
    EXPECT_FALSE(other.Accept(kDown, 1));
}

struct FieldCase {
    int32_t value;
    int32_t format;
    std::vector<uint8_t> bytes;  // five digit bytes, then the next field's first
};

class TunerFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(TunerFieldTest, DigitBytes) {
    Sim::Reset(Sim::TimeMode::Virtual);
    CTunerPanel panel(L"tuner");
    std::vector<uint8_t> field(6, 0xFF);
    panel.FillReport(GetParam().value, field.data(), GetParam().format);
    EXPECT_EQ(field, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Texts, TunerFieldTest,
                         ::testing::Values(
                             // A minus sign; the point of the digit before it, also after a sign,
                             // but never on the first character.
                             FieldCase{-5, 7, {0xE0, 0x00, 0x00, 0xD0, 0x05, 0xFF}},
                             FieldCase{-5, 6, {0xE0, 0xD0, 0x00, 0x05, 0xFF, 0xFF}},
                             FieldCase{118, 6, {0x01, 0x01, 0x08, 0xFF, 0xFF, 0xFF}},
                             // Cut texts: a point that ends the text is not shown, and a sixth
                             // digit stays out of the next field.
                             FieldCase{1234567, 6, {0x01, 0x02, 0x03, 0x04, 0x05, 0xFF}},
                             FieldCase{10000000, 6, {0x01, 0x00, 0x00, 0x00, 0x00, 0xFF}},
                             FieldCase{1000000, 7, {0x01, 0x00, 0x00, 0x00, 0x00, 0xFF}},
                             // Formats 2 and 4 drop the sign with the leading digits.
                             FieldCase{-42, 4, {0xFF, 0x00, 0x00, 0x04, 0x02, 0xFF}},
                             // A format without a text leaves the field dark.
                             FieldCase{118, 8, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}}));

}  // namespace
}  // namespace Orv::Test
