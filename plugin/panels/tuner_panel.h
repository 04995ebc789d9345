// The tuner panel: two radio rows, each with a mode selector, active and
// standby displays, a dual concentric knob and an ACT/STBY button.  Each row
// shows and tunes COM1, COM2, NAV1, NAV2, ADF, DME or the transponder; the
// knobs' detents pass a filter that drops the extra steps of fast or
// bouncing turns.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plugin/devices/panel.h"

namespace Orv {

class CTunerPanel : public CPanel {
public:
    // A row's function, as the selector sets it.
    enum : int32_t {
        MODE_COM1 = 0,
        MODE_COM2 = 1,
        MODE_NAV1 = 2,
        MODE_NAV2 = 3,
        MODE_ADF = 4,
        MODE_DME = 5,
        MODE_XPDR = 6,
    };

    // Bytes of the display report: report id, four fields of five digits
    // (upper active, upper standby, lower active, lower standby), three
    // unused bytes.
    static constexpr uint32_t kReportLength = 24;
    static constexpr uint32_t kFieldLength = 5;

    // The detent filter of one knob ring, on the millisecond tick count.
    // Steps in one direction faster than 200 ms apart lose every second
    // one; a change of direction within 150 ms of the step before is
    // dropped (a ring that bounces back as it settles).
    struct RotaryStepFilter {
        static constexpr uint32_t kUnsetTick = 0xFFFFFFFFu;
        static constexpr uint16_t kUnsetUsage = 0xFFFF;
        static constexpr uint32_t kReverseMs = 150;
        static constexpr uint32_t kRepeatMs = 200;

        RotaryStepFilter(uint16_t up, uint16_t down) : usageUp(up), usageDown(down) {}

        // Whether this change of one of the ring's usages is to act; a
        // usage turning off always passes and changes nothing.
        bool Accept(uint16_t usage, int32_t on);
        // Whether this step comes too soon after the last remembered one in
        // the same direction (that step is then forgotten).
        bool IsFastRepeat(uint16_t usage);

        uint32_t repeatTick = kUnsetTick;
        uint16_t repeatUsage = kUnsetUsage;
        uint32_t reverseTick = kUnsetTick;
        uint16_t reverseUsage = kUnsetUsage;
        uint16_t usageUp;
        uint16_t usageDown;
    };

    explicit CTunerPanel(const std::wstring& path);
    ~CTunerPanel() override;

    void OnInitialize() override;
    void OnUninitialize() override;
    void OnNotify() override;
    void OnButton(uint16_t usage, int32_t on) override;

    // The display fields of one row in a mode: five bytes each.
    void FillFrequencyReport(int32_t mode, uint8_t* active, uint8_t* standby);
    // value in a display format into the five digit bytes at destination;
    // positions the text leaves dark keep their byte.
    void FillReport(int32_t value, uint8_t* destination, int32_t format);

private:
    void InitRadioModeSelector();
    void InitFrequencyAdjustRotary();
    void InitActiveStandbySwitch();
    bool IsDataValid(uint16_t usage, int32_t on);
    void ParseRadioModeSelector(uint16_t usage, int32_t on);
    void ParseFrequencyAdjustRotary(uint16_t usage, int32_t on);
    void ParseActiveStandbySwitch(uint16_t usage, int32_t on);
    void FlipActiveStandby(bool upper);
    void AdjustFrequencyRotaryFineUp(bool upper);
    void AdjustFrequencyRotaryFineDown(bool upper);
    void AdjustFrequencyRotaryCoarseUp(bool upper);
    void AdjustFrequencyRotaryCoarseDown(bool upper);

    int32_t RowMode(bool upper) const { return upper ? upperMode : lowerMode; }

    uint8_t lastReport[kReportLength];
    int32_t upperMode = MODE_COM1;
    int32_t lowerMode = MODE_COM1;
    int32_t transponderHighDigits = 0;
    std::vector<std::unique_ptr<RotaryStepFilter>> rotaryFilters;
};

}  // namespace Orv
