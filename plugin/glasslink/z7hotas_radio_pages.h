// The joystick's radio pages: COM and NAV of one radio set, the ADF, the
// DME and the transponder.
#pragma once

#include <cstdint>
#include <string>

#include "plugin/glasslink/z7hotas_panel.h"
#include "sdk/xplm.h"

namespace Orv {

// COM and NAV of radio set 0 (COM1/NAV1) or 1 (COM2/NAV2).  Cursor: 0 COM
// active (select flips), 1 and 2 COM standby coarse and fine, 3 NAV active
// (select flips), 4 and 5 NAV standby coarse and fine.
class CZ7HotasPanel::CComNavPage final : public CZ7HotasPanel::CPage {
public:
    CComNavPage(CZ7HotasPanel* owner, int32_t radioSet);
    void CursorUp() override;
    void CursorDown() override;
    void CursorSelect() override;
    void Display(CGlassLinkZ7Hotas* device) override;

private:
    void UpdateCursorShapes();
    void DisplayComNav1(CGlassLinkZ7Hotas* device);
    void DisplayComNav2(CGlassLinkZ7Hotas* device);
    void AdjustUpComNav1();
    void AdjustUpComNav2();
    void AdjustDownComNav1();
    void AdjustDownComNav2();
    void FlipComNav1();
    void FlipComNav2();
    void Show(CGlassLinkZ7Hotas* device, const std::string& title, XPLMDataRef com,
              XPLMDataRef comStandby, XPLMDataRef nav, XPLMDataRef navStandby);

    std::string shapes;
    const int32_t radio;
    const std::string title1;
    const std::string title2;
};

// ADF: cursor 0 the audio selection (select toggles it), 1 the active
// frequency (select flips), 2 to 4 the standby hundreds, tens and ones.
class CZ7HotasPanel::CAdfPage final : public CZ7HotasPanel::CPage {
public:
    explicit CAdfPage(CZ7HotasPanel* owner);
    void CursorUp() override;
    void CursorDown() override;
    void CursorSelect() override;
    void Display(CGlassLinkZ7Hotas* device) override;

private:
    void UpdateCursorShapes();
    std::string shapes;
};

// DME distance and speed of receiver R1 (NAV1) or R2 (NAV2); select
// switches the receiver.
class CZ7HotasPanel::CDmePage final : public CZ7HotasPanel::CPage {
public:
    explicit CDmePage(CZ7HotasPanel* owner);
    void CursorSelect() override;
    void Display(CGlassLinkZ7Hotas* device) override;

private:
    void UpdateCursorShapes();
    std::string shapes;
    int32_t receiver1 = 1;
};

// The transponder code, the cursor on one of its four digits.
class CZ7HotasPanel::CXpndrPage final : public CZ7HotasPanel::CPage {
public:
    explicit CXpndrPage(CZ7HotasPanel* owner);
    void CursorUp() override;
    void CursorDown() override;
    void Display(CGlassLinkZ7Hotas* device) override;

private:
    void UpdateCursorShapes();
    std::string shapes;
    const std::string title;
};

}  // namespace Orv
