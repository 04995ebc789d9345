#include "plugin/glasslink/z7hotas_radio_pages.h"

#include "plugin/core/digit_format.h"
#include "plugin/core/sim_bindings.h"
#include "plugin/core/trace.h"
#include "plugin/glasslink/glasslink_z7hotas.h"

namespace Orv {

namespace {

constexpr int32_t kKeyword = TRACE_KEYWORD_Z7HOTAS_PANEL;

namespace Format = UTILITY::DigitFormat;

// Appends value in a digit format (texts of at most six characters, which
// need no allocation).
void AppendValue(std::string& line, int32_t value, int32_t format) {
    line += UTILITY::ConvertIntValueToString(value, format);
}

// Appends a cursor mark that stands between digits only when it is set.
void AppendMarkUnlessBlank(std::string& line, char mark) {
    if (mark != ' ')
        line += mark;
}

}  // namespace

// COM and NAV.

CZ7HotasPanel::CComNavPage::CComNavPage(CZ7HotasPanel* owner, int32_t radioSet)
    : CPage(owner),
      shapes(8, ' '),
      radio(radioSet),
      title1("  COM1    NAV1  "),
      title2("  COM2    NAV2  ") {
    ORV_TRACE_SCOPE(kKeyword);
    cursorCount = 6;
}

void CZ7HotasPanel::CComNavPage::UpdateCursorShapes() {
    ORV_TRACE_SCOPE(kKeyword);
    BlankShapes(shapes);
    switch (cursor) {
        case 0:
            shapes[0] = '[';
            shapes[1] = ']';
            break;
        case 1:
            shapes[2] = RightMark();
            break;
        case 2:
            shapes[3] = LeftMark();
            break;
        case 3:
            shapes[4] = '[';
            shapes[5] = ']';
            break;
        case 4:
            shapes[6] = RightMark();
            break;
        case 5:
            shapes[7] = LeftMark();
            break;
        default:
            break;
    }
}

void CZ7HotasPanel::CComNavPage::Display(CGlassLinkZ7Hotas* device) {
    ORV_TRACE_SCOPE(kKeyword);
    UpdateCursorShapes();
    if (radio == 0)
        DisplayComNav1(device);
    else
        DisplayComNav2(device);
}

void CZ7HotasPanel::CComNavPage::Show(CGlassLinkZ7Hotas* device, const std::string& title,
                                      XPLMDataRef com, XPLMDataRef comStandby, XPLMDataRef nav,
                                      XPLMDataRef navStandby) {
    std::string& active = lines[1];
    active.clear();
    active += shapes[0];
    AppendValue(active, XPLMGetDatai(com), Format::kHundredths);
    active += shapes[1];
    active += shapes[4];
    AppendValue(active, XPLMGetDatai(nav), Format::kHundredths);
    active += shapes[5];
    std::string& standby = lines[2];
    standby.clear();
    standby += shapes[2];
    AppendValue(standby, XPLMGetDatai(comStandby), Format::kHundredths);
    standby += shapes[3];
    standby += shapes[6];
    AppendValue(standby, XPLMGetDatai(navStandby), Format::kHundredths);
    standby += shapes[7];
    device->SetString(title, 0);
    device->SetString(active, 1);
    device->SetString(standby, 2);
}

void CZ7HotasPanel::CComNavPage::DisplayComNav1(CGlassLinkZ7Hotas* device) {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = Bindings();
    Show(device, title1, b.com1FreqHz, b.com1StdbyFreqHz, b.nav1FreqHz, b.nav1StdbyFreqHz);
}

void CZ7HotasPanel::CComNavPage::DisplayComNav2(CGlassLinkZ7Hotas* device) {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = Bindings();
    Show(device, title2, b.com2FreqHz, b.com2StdbyFreqHz, b.nav2FreqHz, b.nav2StdbyFreqHz);
}

void CZ7HotasPanel::CComNavPage::CursorUp() {
    ORV_TRACE_SCOPE(kKeyword);
    CPage::CursorUp();
    if (radio == 0)
        AdjustUpComNav1();
    else
        AdjustUpComNav2();
}

void CZ7HotasPanel::CComNavPage::CursorDown() {
    ORV_TRACE_SCOPE(kKeyword);
    CPage::CursorDown();
    if (radio == 0)
        AdjustDownComNav1();
    else
        AdjustDownComNav2();
}

void CZ7HotasPanel::CComNavPage::CursorSelect() {
    ORV_TRACE_SCOPE(kKeyword);
    if (cursor == 0 || cursor == 3) {
        if (radio == 0)
            FlipComNav1();
        else
            FlipComNav2();
        return;
    }
    CPage::CursorSelect();
}

namespace {

// The standby step of each adjustable cursor position (1, 2, 4, 5).
void RunStep(uint8_t cursor, XPLMCommandRef comCoarse, XPLMCommandRef comFine,
             XPLMCommandRef navCoarse, XPLMCommandRef navFine) {
    switch (cursor) {
        case 1:
            XPLMCommandOnce(comCoarse);
            break;
        case 2:
            XPLMCommandOnce(comFine);
            break;
        case 4:
            XPLMCommandOnce(navCoarse);
            break;
        case 5:
            XPLMCommandOnce(navFine);
            break;
        default:
            break;
    }
}

}  // namespace

void CZ7HotasPanel::CComNavPage::AdjustUpComNav1() {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = Bindings();
    if (editing)
        RunStep(cursor, b.stbyCom1CoarseUp, b.stbyCom1FineUp, b.stbyNav1CoarseUp, b.stbyNav1FineUp);
}

void CZ7HotasPanel::CComNavPage::AdjustUpComNav2() {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = Bindings();
    if (editing)
        RunStep(cursor, b.stbyCom2CoarseUp, b.stbyCom2FineUp, b.stbyNav2CoarseUp, b.stbyNav2FineUp);
}

void CZ7HotasPanel::CComNavPage::AdjustDownComNav1() {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = Bindings();
    if (editing)
        RunStep(cursor, b.stbyCom1CoarseDown, b.stbyCom1FineDown, b.stbyNav1CoarseDown,
                b.stbyNav1FineDown);
}

void CZ7HotasPanel::CComNavPage::AdjustDownComNav2() {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = Bindings();
    if (editing)
        RunStep(cursor, b.stbyCom2CoarseDown, b.stbyCom2FineDown, b.stbyNav2CoarseDown,
                b.stbyNav2FineDown);
}

void CZ7HotasPanel::CComNavPage::FlipComNav1() {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = Bindings();
    XPLMCommandOnce(cursor == 0 ? b.com1StandbyFlip : b.nav1StandbyFlip);
}

void CZ7HotasPanel::CComNavPage::FlipComNav2() {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = Bindings();
    XPLMCommandOnce(cursor == 0 ? b.com2StandbyFlip : b.nav2StandbyFlip);
}

// ADF.

CZ7HotasPanel::CAdfPage::CAdfPage(CZ7HotasPanel* owner) : CPage(owner), shapes(7, ' ') {
    ORV_TRACE_SCOPE(kKeyword);
    cursorCount = 5;
}

void CZ7HotasPanel::CAdfPage::UpdateCursorShapes() {
    ORV_TRACE_SCOPE(kKeyword);
    BlankShapes(shapes);
    switch (cursor) {
        case 0:
            shapes[0] = '[';
            shapes[1] = ']';
            break;
        case 1:
            shapes[2] = '[';
            shapes[3] = ']';
            break;
        case 2:
        case 3:
        case 4:
            shapes[cursor + 2] = RightMark();
            break;
        default:
            break;
    }
}

void CZ7HotasPanel::CAdfPage::Display(CGlassLinkZ7Hotas* device) {
    ORV_TRACE_SCOPE(kKeyword);
    UpdateCursorShapes();
    const CSimBindings& b = Bindings();
    std::string& audio = lines[0];
    audio.assign(" ADF  ");
    audio += shapes[0];
    audio += XPLMGetDatai(b.audioSelectionAdf1) == 1 ? "ON" : "OFF";
    audio += shapes[1];
    std::string& active = lines[1];
    active.clear();
    active += shapes[2];
    AppendValue(active, XPLMGetDatai(b.adf1FreqHz), Format::kZeroPadded3);
    active += shapes[3];
    const std::string digits =
        UTILITY::ConvertIntValueToString(XPLMGetDatai(b.adf1StdbyFreqHz), Format::kZeroPadded3);
    std::string& standby = lines[2];
    standby.clear();
    standby += shapes[4];
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i == 1)
            AppendMarkUnlessBlank(standby, shapes[5]);
        else if (i == 2)
            AppendMarkUnlessBlank(standby, shapes[6]);
        standby += digits[i];
    }
    device->SetString(audio, 0);
    device->SetString(active, 1);
    device->SetString(standby, 2);
}

void CZ7HotasPanel::CAdfPage::CursorUp() {
    ORV_TRACE_SCOPE(kKeyword);
    CPage::CursorUp();
    if (!editing)
        return;
    const CSimBindings& b = Bindings();
    if (cursor == 2)
        XPLMCommandOnce(b.stbyAdf1HundredsUp);
    else if (cursor == 3)
        XPLMCommandOnce(b.stbyAdf1TensUp);
    else if (cursor == 4)
        XPLMCommandOnce(b.stbyAdf1OnesUp);
}

void CZ7HotasPanel::CAdfPage::CursorDown() {
    ORV_TRACE_SCOPE(kKeyword);
    CPage::CursorDown();
    if (!editing)
        return;
    const CSimBindings& b = Bindings();
    if (cursor == 2)
        XPLMCommandOnce(b.stbyAdf1HundredsDown);
    else if (cursor == 3)
        XPLMCommandOnce(b.stbyAdf1TensDown);
    else if (cursor == 4)
        XPLMCommandOnce(b.stbyAdf1OnesDown);
}

void CZ7HotasPanel::CAdfPage::CursorSelect() {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = Bindings();
    if (cursor == 0)
        XPLMCommandOnce(b.monitorAudioAdf1);
    else if (cursor == 1)
        XPLMCommandOnce(b.adf1StandbyFlip);
    else
        CPage::CursorSelect();
}

// DME.

CZ7HotasPanel::CDmePage::CDmePage(CZ7HotasPanel* owner) : CPage(owner), shapes(2, ' ') {
    ORV_TRACE_SCOPE(kKeyword);
}

void CZ7HotasPanel::CDmePage::UpdateCursorShapes() {
    ORV_TRACE_SCOPE(kKeyword);
    BlankShapes(shapes);
    shapes[0] = '[';
    shapes[1] = ']';
}

void CZ7HotasPanel::CDmePage::Display(CGlassLinkZ7Hotas* device) {
    ORV_TRACE_SCOPE(kKeyword);
    UpdateCursorShapes();
    const CSimBindings& b = Bindings();
    XPLMDataRef distance = receiver1 ? b.nav1DmeDistanceNm : b.nav2DmeDistanceNm;
    XPLMDataRef speed = receiver1 ? b.nav1DmeSpeedKts : b.nav2DmeSpeedKts;
    std::string& title = lines[0];
    title.assign(" DME    ");
    title += shapes[0];
    title += receiver1 ? "R1" : "R2";
    title += shapes[1];
    std::string& miles = lines[1];
    miles.clear();
    AppendValue(miles, UTILITY::TruncateToInt(XPLMGetDataf(distance) * 10.0f),
                Format::kTenthsZeroPadded6);
    miles += " NM";
    std::string& knots = lines[2];
    knots.clear();
    AppendValue(knots, UTILITY::TruncateToInt(XPLMGetDataf(speed)), Format::kZeroPadded3);
    knots += " KT";
    device->SetString(title, 0);
    device->SetString(miles, 1);
    device->SetString(knots, 2);
}

void CZ7HotasPanel::CDmePage::CursorSelect() {
    ORV_TRACE_SCOPE(kKeyword);
    receiver1 = receiver1 ? 0 : 1;
}

// Transponder.

CZ7HotasPanel::CXpndrPage::CXpndrPage(CZ7HotasPanel* owner)
    : CPage(owner), shapes(4, ' '), title(" Transponder") {
    ORV_TRACE_SCOPE(kKeyword);
    cursorCount = 4;
}

void CZ7HotasPanel::CXpndrPage::UpdateCursorShapes() {
    ORV_TRACE_SCOPE(kKeyword);
    BlankShapes(shapes);
    if (cursor < shapes.size())
        shapes[cursor] = RightMark();
}

void CZ7HotasPanel::CXpndrPage::Display(CGlassLinkZ7Hotas* device) {
    ORV_TRACE_SCOPE(kKeyword);
    UpdateCursorShapes();
    const std::string digits = UTILITY::ConvertIntValueToString(
        XPLMGetDatai(Bindings().transponderCode), Format::kZeroPadded4);
    std::string& code = lines[1];
    code.clear();
    code += shapes[0];
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i >= 1 && i <= 3)
            AppendMarkUnlessBlank(code, shapes[i]);
        code += digits[i];
    }
    device->SetString(title, 0);
    device->SetString(code, 1);
    device->SetString(emptyLine, 2);
}

namespace {

void RunDigitCommand(uint8_t cursor, XPLMCommandRef thousands, XPLMCommandRef hundreds,
                     XPLMCommandRef tens, XPLMCommandRef ones) {
    const XPLMCommandRef commands[] = {thousands, hundreds, tens, ones};
    if (cursor < 4)
        XPLMCommandOnce(commands[cursor]);
}

}  // namespace

void CZ7HotasPanel::CXpndrPage::CursorUp() {
    ORV_TRACE_SCOPE(kKeyword);
    CPage::CursorUp();
    const CSimBindings& b = Bindings();
    if (editing)
        RunDigitCommand(cursor, b.transponderThousandsUp, b.transponderHundredsUp,
                        b.transponderTensUp, b.transponderOnesUp);
}

void CZ7HotasPanel::CXpndrPage::CursorDown() {
    ORV_TRACE_SCOPE(kKeyword);
    CPage::CursorDown();
    const CSimBindings& b = Bindings();
    if (editing)
        RunDigitCommand(cursor, b.transponderThousandsDown, b.transponderHundredsDown,
                        b.transponderTensDown, b.transponderOnesDown);
}

}  // namespace Orv
