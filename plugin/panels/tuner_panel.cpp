#include "plugin/panels/tuner_panel.h"

#include <cmath>
#include <cstring>

#include "platform/sync.h"
#include "plugin/core/digit_format.h"
#include "plugin/core/sim_bindings.h"
#include "plugin/core/trace.h"
#include "sdk/xplm.h"

namespace Orv {

namespace {

constexpr int32_t kKeyword = TRACE_KEYWORD_TUNER_PANEL;

// The panel's Button-page usages.
enum : uint16_t {
    kUpperSelectorFirst = 1,  // COM1 .. XPDR: 1 .. 7
    kUpperSelectorLast = 7,
    kLowerSelectorFirst = 8,  // COM1 .. XPDR: 8 .. 14
    kLowerSelectorLast = 14,
    kUpperActiveStandby = 15,
    kLowerActiveStandby = 16,
    kUpperFineUp = 17,
    kUpperFineDown = 18,
    kUpperCoarseUp = 19,
    kUpperCoarseDown = 20,
    kLowerFineUp = 21,
    kLowerFineDown = 22,
    kLowerCoarseUp = 23,
    kLowerCoarseDown = 24,
};

// What each display shows, in the digit formats.
namespace Format = UTILITY::DigitFormat;
constexpr int32_t kFormatAdf = Format::kTwoDarkThreeDigits;
constexpr int32_t kFormatTransponder = Format::kOneDarkFourDigits;
constexpr int32_t kFormatFrequency = Format::kHundredths;
constexpr int32_t kFormatDistance = Format::kTenthsZeroPadded6;

// Digit bytes of the display report.
constexpr uint8_t kDark = 0xFF;
constexpr uint8_t kMinus = 0xE0;
constexpr uint8_t kDecimalPoint = 0xD0;

// The ADF standby frequency, in kHz, runs from 0 to 999.
constexpr int64_t kAdfHighest = 999;

const wchar_t* const kUpperModeLines[] = {
    L"Upper COM1 on", L"Upper COM2 on", L"Upper NAV1 on", L"Upper NAV2 on",
    L"Upper ADF on",  L"Upper DME on",  L"Upper XPDR on",
};
const wchar_t* const kLowerModeLines[] = {
    L"Lower COM1 on", L"Lower COM2 on", L"Lower NAV1 on", L"Lower NAV2 on",
    L"Lower ADF on",  L"Lower DME on",  L"Lower XPDR on",
};

void TraceAction(const wchar_t* line) {
    WriteTrace(TRACE_LEVEL_DETAIL, kKeyword, TRACE_KIND_MESSAGE, L"%s", line);
}

// A distance in nautical miles in tenths, rounded half up.  A distance
// beyond what the display format can take gives the nearest value it can
// (a conversion of such a float to an integer has no defined result).
int32_t DistanceTenths(float distance) {
    return UTILITY::TruncateToInt(std::floor(distance * 10.0f + 0.5f));
}

// The ADF standby frequency (kHz, 0 to 999) moved by delta.  In 64 bits,
// so that any value the dataref holds steps without overflow.  Each
// direction is bounded on its own side only: a fine step up past 999 goes
// to 0 and a fine step down past 0 to 999; a coarse step past that end
// comes back in by 999, so 995 up gives 6 and 5 down gives 994.  A value
// outside the range (written by another plugin) steps toward it unchanged.
void StepAdfStandby(XPLMDataRef standby, int32_t delta) {
    int64_t value = static_cast<int64_t>(XPLMGetDatai(standby)) + delta;
    bool coarse = delta > 1 || delta < -1;
    if (delta > 0 && value > kAdfHighest)
        value = coarse ? value - kAdfHighest : 0;
    else if (delta < 0 && value < 0)
        value = coarse ? value + kAdfHighest : kAdfHighest;
    XPLMSetDatai(standby, static_cast<int32_t>(value));
}

// What one step of a ring does, by mode: the standby command of each COM
// and NAV radio, the change of the ADF standby value, and the transponder
// command for the left-hand and for the right-hand digits.  DME does
// nothing.
struct KnobStep {
    using Command = XPLMCommandRef CSimBindings::*;
    Command com1, com2, nav1, nav2;
    int32_t adfDelta;
    Command transponderHigh, transponderLow;
};

using B = CSimBindings;
// clang-format off
constexpr KnobStep kFineUp = {&B::stbyCom1FineUp, &B::stbyCom2FineUp, &B::stbyNav1FineUp,
    &B::stbyNav2FineUp, 1, &B::transponderHundredsUp, &B::transponderOnesUp};
constexpr KnobStep kFineDown = {&B::stbyCom1FineDown, &B::stbyCom2FineDown, &B::stbyNav1FineDown,
    &B::stbyNav2FineDown, -1, &B::transponderHundredsDown, &B::transponderOnesDown};
constexpr KnobStep kCoarseUp = {&B::stbyCom1CoarseUp, &B::stbyCom2CoarseUp, &B::stbyNav1CoarseUp,
    &B::stbyNav2CoarseUp, 10, &B::transponderThousandsUp, &B::transponderTensUp};
constexpr KnobStep kCoarseDown = {&B::stbyCom1CoarseDown, &B::stbyCom2CoarseDown,
    &B::stbyNav1CoarseDown, &B::stbyNav2CoarseDown, -10, &B::transponderThousandsDown,
    &B::transponderTensDown};
// clang-format on

void Step(const CSimBindings& b, int32_t mode, int32_t transponderHighDigits,
          const KnobStep& step) {
    switch (mode) {
        case CTunerPanel::MODE_COM1:
            XPLMCommandOnce(b.*step.com1);
            break;
        case CTunerPanel::MODE_COM2:
            XPLMCommandOnce(b.*step.com2);
            break;
        case CTunerPanel::MODE_NAV1:
            XPLMCommandOnce(b.*step.nav1);
            break;
        case CTunerPanel::MODE_NAV2:
            XPLMCommandOnce(b.*step.nav2);
            break;
        case CTunerPanel::MODE_ADF:
            StepAdfStandby(b.adf1StdbyFreqHz, step.adfDelta);
            break;
        case CTunerPanel::MODE_XPDR:
            XPLMCommandOnce(transponderHighDigits != 0 ? b.*step.transponderHigh
                                                       : b.*step.transponderLow);
            break;
        default:  // DME
            break;
    }
}

}  // namespace

bool CTunerPanel::RotaryStepFilter::Accept(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (on == 0)
        return true;
    uint32_t now = Platform::Sync().GetTickCount();
    if (reverseTick == kUnsetTick) {
        reverseTick = now;
        reverseUsage = usage;
    }
    if (usage != reverseUsage && now - reverseTick < kReverseMs) {
        reverseTick = kUnsetTick;
        reverseUsage = usage;
        return false;
    }
    reverseTick = now;
    reverseUsage = usage;
    return !IsFastRepeat(usage);
}

bool CTunerPanel::RotaryStepFilter::IsFastRepeat(uint16_t usage) {
    ORV_TRACE_SCOPE(kKeyword);
    uint32_t now = Platform::Sync().GetTickCount();
    if (repeatUsage == kUnsetUsage)
        repeatUsage = usage;
    if (repeatTick == kUnsetTick) {
        repeatTick = now;
        repeatUsage = usage;
        return false;
    }
    if (usage == repeatUsage && now - repeatTick < kRepeatMs) {
        repeatTick = kUnsetTick;
        return true;
    }
    repeatUsage = usage;
    repeatTick = now;
    return false;
}

CTunerPanel::CTunerPanel(const std::wstring& path) : CPanel(path) {
    ORV_TRACE_SCOPE(kKeyword);
    lastReport[0] = 0;
    std::memset(lastReport + 1, kDark, kReportLength - 1);
}

CTunerPanel::~CTunerPanel() {
    ORV_TRACE_SCOPE(kKeyword);
    rotaryFilters.clear();
}

void CTunerPanel::OnInitialize() {
    ORV_TRACE_SCOPE(kKeyword);
    InitRadioModeSelector();
    InitFrequencyAdjustRotary();
    InitActiveStandbySwitch();
}

void CTunerPanel::InitRadioModeSelector() {
    ORV_TRACE_SCOPE(kKeyword);
    RegisterButtons(kUpperSelectorFirst, kLowerSelectorLast);
}

void CTunerPanel::InitFrequencyAdjustRotary() {
    ORV_TRACE_SCOPE(kKeyword);
    RegisterButtons(kUpperFineUp, kLowerCoarseDown);
    rotaryFilters.clear();
    for (uint16_t up = kUpperFineUp; up <= kLowerCoarseUp; up += 2)
        rotaryFilters.push_back(std::make_unique<RotaryStepFilter>(up, up + 1));
}

void CTunerPanel::InitActiveStandbySwitch() {
    ORV_TRACE_SCOPE(kKeyword);
    RegisterButtons(kUpperActiveStandby, kLowerActiveStandby);
}

void CTunerPanel::OnUninitialize() {
    ORV_TRACE_SCOPE(kKeyword);
    rotaryFilters.clear();
}

void CTunerPanel::OnButton(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (!IsDataValid(usage, on))
        return;
    ParseRadioModeSelector(usage, on);
    ParseFrequencyAdjustRotary(usage, on);
    ParseActiveStandbySwitch(usage, on);
}

bool CTunerPanel::IsDataValid(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    for (const std::unique_ptr<RotaryStepFilter>& filter : rotaryFilters)
        if (filter->usageUp == usage || filter->usageDown == usage)
            return filter->Accept(usage, on);
    return true;
}

void CTunerPanel::ParseRadioModeSelector(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (on != 1)
        return;
    if (usage >= kUpperSelectorFirst && usage <= kUpperSelectorLast) {
        upperMode = usage - kUpperSelectorFirst;
        TraceAction(kUpperModeLines[upperMode]);
    } else if (usage >= kLowerSelectorFirst && usage <= kLowerSelectorLast) {
        lowerMode = usage - kLowerSelectorFirst;
        TraceAction(kLowerModeLines[lowerMode]);
    }
}

void CTunerPanel::ParseFrequencyAdjustRotary(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (on != 1)
        return;
    switch (usage) {
        case kUpperFineUp:
            TraceAction(L"Upper fine up");
            AdjustFrequencyRotaryFineUp(true);
            break;
        case kUpperFineDown:
            TraceAction(L"Upper fine down");
            AdjustFrequencyRotaryFineDown(true);
            break;
        case kUpperCoarseUp:
            TraceAction(L"Upper coarse up");
            AdjustFrequencyRotaryCoarseUp(true);
            break;
        case kUpperCoarseDown:
            TraceAction(L"Upper coarse down");
            AdjustFrequencyRotaryCoarseDown(true);
            break;
        case kLowerFineUp:
            TraceAction(L"Lower fine up");
            AdjustFrequencyRotaryFineUp(false);
            break;
        case kLowerFineDown:
            TraceAction(L"Lower fine down");
            AdjustFrequencyRotaryFineDown(false);
            break;
        case kLowerCoarseUp:
            TraceAction(L"Lower coarse up");
            AdjustFrequencyRotaryCoarseUp(false);
            break;
        case kLowerCoarseDown:
            TraceAction(L"Lower coarse down");
            AdjustFrequencyRotaryCoarseDown(false);
            break;
        default:
            break;
    }
}

void CTunerPanel::ParseActiveStandbySwitch(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (on != 1)
        return;
    if (usage == kUpperActiveStandby) {
        TraceAction(L"Flip the upper ACT/STBY");
        FlipActiveStandby(true);
    } else if (usage == kLowerActiveStandby) {
        TraceAction(L"Flip the lower ACT/STBY");
        FlipActiveStandby(false);
    }
}

void CTunerPanel::FlipActiveStandby(bool upper) {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = *bindings;
    switch (RowMode(upper)) {
        case MODE_COM1:
            XPLMCommandOnce(b.com1StandbyFlip);
            break;
        case MODE_COM2:
            XPLMCommandOnce(b.com2StandbyFlip);
            break;
        case MODE_NAV1:
            XPLMCommandOnce(b.nav1StandbyFlip);
            break;
        case MODE_NAV2:
            XPLMCommandOnce(b.nav2StandbyFlip);
            break;
        case MODE_ADF:
            XPLMCommandOnce(b.adf1StandbyFlip);
            break;
        case MODE_XPDR:
            // One flag for both rows.
            transponderHighDigits = transponderHighDigits != 0 ? 0 : 1;
            break;
        default:  // DME
            break;
    }
}

void CTunerPanel::AdjustFrequencyRotaryFineUp(bool upper) {
    ORV_TRACE_SCOPE(kKeyword);
    Step(*bindings, RowMode(upper), transponderHighDigits, kFineUp);
}

void CTunerPanel::AdjustFrequencyRotaryFineDown(bool upper) {
    ORV_TRACE_SCOPE(kKeyword);
    Step(*bindings, RowMode(upper), transponderHighDigits, kFineDown);
}

void CTunerPanel::AdjustFrequencyRotaryCoarseUp(bool upper) {
    ORV_TRACE_SCOPE(kKeyword);
    Step(*bindings, RowMode(upper), transponderHighDigits, kCoarseUp);
}

void CTunerPanel::AdjustFrequencyRotaryCoarseDown(bool upper) {
    ORV_TRACE_SCOPE(kKeyword);
    Step(*bindings, RowMode(upper), transponderHighDigits, kCoarseDown);
}

void CTunerPanel::OnNotify() {
    ORV_TRACE_SCOPE(kKeyword);
    uint8_t report[kReportLength];
    report[0] = 0;
    std::memset(report + 1, kDark, kReportLength - 1);
    FillFrequencyReport(upperMode, report + 1, report + 1 + kFieldLength);
    FillFrequencyReport(lowerMode, report + 1 + 2 * kFieldLength, report + 1 + 3 * kFieldLength);
    if (std::memcmp(report, lastReport, kReportLength) == 0)
        return;
    // Kept before sending: a failed report is not repeated until the
    // displays change.
    std::memcpy(lastReport, report, kReportLength);
    SendReport(report, kReportLength);
}

void CTunerPanel::FillFrequencyReport(int32_t mode, uint8_t* active, uint8_t* standby) {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = *bindings;
    switch (mode) {
        case MODE_COM1:
            FillReport(XPLMGetDatai(b.com1FreqHz), active, kFormatFrequency);
            FillReport(XPLMGetDatai(b.com1StdbyFreqHz), standby, kFormatFrequency);
            break;
        case MODE_COM2:
            FillReport(XPLMGetDatai(b.com2FreqHz), active, kFormatFrequency);
            FillReport(XPLMGetDatai(b.com2StdbyFreqHz), standby, kFormatFrequency);
            break;
        case MODE_NAV1:
            FillReport(XPLMGetDatai(b.nav1FreqHz), active, kFormatFrequency);
            FillReport(XPLMGetDatai(b.nav1StdbyFreqHz), standby, kFormatFrequency);
            break;
        case MODE_NAV2:
            FillReport(XPLMGetDatai(b.nav2FreqHz), active, kFormatFrequency);
            FillReport(XPLMGetDatai(b.nav2StdbyFreqHz), standby, kFormatFrequency);
            break;
        case MODE_ADF:
            FillReport(XPLMGetDatai(b.adf1FreqHz), active, kFormatAdf);
            FillReport(XPLMGetDatai(b.adf1StdbyFreqHz), standby, kFormatAdf);
            break;
        case MODE_DME:
            // Both rows show the distance of NAV1's DME.
            FillReport(DistanceTenths(XPLMGetDataf(b.nav1DmeDistanceNm)), active, kFormatDistance);
            FillReport(XPLMGetDatai(b.dmeFreqHz), standby, kFormatFrequency);
            break;
        case MODE_XPDR:
            FillReport(XPLMGetDatai(b.transponderCode), standby, kFormatTransponder);
            break;
        default:
            break;
    }
}

void CTunerPanel::FillReport(int32_t value, uint8_t* destination, int32_t format) {
    ORV_TRACE_SCOPE(kKeyword);
    std::string text = UTILITY::ConvertIntValueToString(value, format);
    uint32_t position = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.') {
            // The point of a digit: never of the first one, nor a point
            // that ends the text (a value cut short).
            if (i >= 2 && i + 1 < text.size() && position > 0)
                destination[position - 1] |= kDecimalPoint;
            continue;
        }
        // A text longer than the field (a value the display cannot show)
        // shows its first five digits and stays out of the next field.
        if (position == kFieldLength)
            break;
        if (c == '-')
            destination[position] = kMinus;
        else if (c >= '0' && c <= '9')
            destination[position] = static_cast<uint8_t>(c - '0');
        // Anything else (a blank, 0x7F) leaves its digit dark.
        ++position;
    }
}

}  // namespace Orv
