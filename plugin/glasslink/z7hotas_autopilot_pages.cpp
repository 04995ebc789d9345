#include "plugin/glasslink/z7hotas_autopilot_pages.h"

#include "plugin/core/digit_format.h"
#include "plugin/core/sim_bindings.h"
#include "plugin/core/trace.h"
#include "plugin/glasslink/glasslink_z7hotas.h"
#include "sdk/xplm.h"

namespace Orv {

namespace {

constexpr int32_t kKeyword = TRACE_KEYWORD_Z7HOTAS_PANEL;

namespace Format = UTILITY::DigitFormat;

constexpr uint8_t kBackItem = 7;

void AppendValue(std::string& line, int32_t value, int32_t format) {
    line += UTILITY::ConvertIntValueToString(value, format);
}

}  // namespace

// The mode selector.

CZ7HotasPanel::CAutopilotSelectPage::CAutopilotSelectPage(CZ7HotasPanel* owner)
    : CPage(owner), shapes(16, ' ') {
    ORV_TRACE_SCOPE(kKeyword);
    cursorCount = 8;
}

void CZ7HotasPanel::CAutopilotSelectPage::UpdateCursorShapes() {
    ORV_TRACE_SCOPE(kKeyword);
    BlankShapes(shapes);
    if (cursor < cursorCount) {
        shapes[2 * cursor] = '[';
        shapes[2 * cursor + 1] = ']';
    }
}

void CZ7HotasPanel::CAutopilotSelectPage::Display(CGlassLinkZ7Hotas* device) {
    ORV_TRACE_SCOPE(kKeyword);
    UpdateCursorShapes();
    const char* const items[] = {"HDG", "NAV", "IAS", "ALT", "VS", "APR", "REV", "<<<"};
    // Items per line, and the separator before the sixth (APR).
    const int firstOfLine[] = {0, 3, 6, 8};
    for (int line = 0; line < 3; ++line) {
        std::string& text = lines[line];
        text.clear();
        for (int k = firstOfLine[line]; k < firstOfLine[line + 1]; ++k) {
            if (k == 5)
                text += ' ';
            text += shapes[2 * k];
            text += items[k];
            text += shapes[2 * k + 1];
        }
        device->SetString(text, static_cast<uint8_t>(line));
    }
}

void CZ7HotasPanel::CAutopilotSelectPage::CursorSelect() {
    ORV_TRACE_SCOPE(kKeyword);
    const CSimBindings& b = Bindings();
    const XPLMCommandRef modes[] = {
        b.autopilotHeading,     b.autopilotNav,           b.autopilotLevelChange,
        b.autopilotAltitudeArm, b.autopilotVerticalSpeed, b.autopilotApproach,
        b.autopilotBackCourse,
    };
    if (cursor == kBackItem)
        back = 1;
    else if (cursor < kBackItem)
        XPLMCommandOnce(modes[cursor]);
}

// The autopilot page.

CZ7HotasPanel::CAutopilotPage::CAutopilotPage(CZ7HotasPanel* owner)
    : CPage(owner), shapes(5, ' '), selector(std::make_unique<CAutopilotSelectPage>(owner)) {
    ORV_TRACE_SCOPE(kKeyword);
    cursorCount = 4;
}

CZ7HotasPanel::CAutopilotPage::~CAutopilotPage() {
    ORV_TRACE_SCOPE(kKeyword);
}

void CZ7HotasPanel::CAutopilotPage::UpdateCursorShapes() {
    ORV_TRACE_SCOPE(kKeyword);
    BlankShapes(shapes);
    switch (cursor) {
        case 0:
            shapes[0] = LeftMark();
            break;
        case 1:
            shapes[1] = LeftMark();
            break;
        case 2:
            shapes[2] = '[';
            shapes[3] = ']';
            break;
        case 3:
            shapes[4] = LeftMark();
            break;
        default:
            break;
    }
}

void CZ7HotasPanel::CAutopilotPage::Display(CGlassLinkZ7Hotas* device) {
    ORV_TRACE_SCOPE(kKeyword);
    if (SelectorShown()) {
        selector->Display(device);
        return;
    }
    selectMode = 0;
    UpdateCursorShapes();
    const CSimBindings& b = Bindings();
    std::string& altitude = lines[0];
    altitude.assign(" ALT     ");
    AppendValue(altitude, UTILITY::TruncateToInt(XPLMGetDataf(b.autopilotAltitude)),
                Format::kPlain);
    altitude += shapes[0];
    std::string& speed = lines[1];
    speed.assign(" VS      ");
    AppendValue(speed, UTILITY::TruncateToInt(XPLMGetDataf(b.autopilotVerticalVelocity)),
                Format::kPlain);
    speed += shapes[1];
    const int32_t director = XPLMGetDatai(b.flightDirectorMode);
    std::string& modes = lines[2];
    modes.clear();
    modes += shapes[2];
    modes += "AP";
    modes += shapes[3];
    modes += "     ";
    modes += director == 1 ? "FD" : director == 2 ? "ON" : "OFF";
    modes += shapes[4];
    device->SetString(altitude, 0);
    device->SetString(speed, 1);
    device->SetString(modes, 2);
}

void CZ7HotasPanel::CAutopilotPage::CursorUp() {
    ORV_TRACE_SCOPE(kKeyword);
    if (SelectorShown()) {
        selector->CursorUp();
        return;
    }
    CPage::CursorUp();
    if (!editing)
        return;
    const CSimBindings& b = Bindings();
    if (cursor == 0)
        XPLMCommandOnce(b.altitudeUp);
    else if (cursor == 1)
        XPLMCommandOnce(b.verticalSpeedUp);
    else if (cursor == 3)
        XPLMCommandOnce(b.fdirServosUpOne);
}

void CZ7HotasPanel::CAutopilotPage::CursorDown() {
    ORV_TRACE_SCOPE(kKeyword);
    if (SelectorShown()) {
        selector->CursorDown();
        return;
    }
    CPage::CursorDown();
    if (!editing)
        return;
    const CSimBindings& b = Bindings();
    if (cursor == 0)
        XPLMCommandOnce(b.altitudeDown);
    else if (cursor == 1)
        XPLMCommandOnce(b.verticalSpeedDown);
    else if (cursor == 3)
        XPLMCommandOnce(b.fdirServosDownOne);
}

void CZ7HotasPanel::CAutopilotPage::CursorSelect() {
    ORV_TRACE_SCOPE(kKeyword);
    if (SelectorShown()) {
        selector->CursorSelect();
        return;
    }
    if (cursor == 2) {
        selectMode = 1;
        selector->Open();
        return;
    }
    CPage::CursorSelect();
}

// VOR and heading.

CZ7HotasPanel::CVorHdgPage::CVorHdgPage(CZ7HotasPanel* owner)
    : CPage(owner), shapes(2, ' '), title(" VOR     HDG") {
    ORV_TRACE_SCOPE(kKeyword);
    cursorCount = 2;
}

void CZ7HotasPanel::CVorHdgPage::UpdateCursorShapes() {
    ORV_TRACE_SCOPE(kKeyword);
    BlankShapes(shapes);
    if (cursor < shapes.size())
        shapes[cursor] = RightMark();
}

void CZ7HotasPanel::CVorHdgPage::Display(CGlassLinkZ7Hotas* device) {
    ORV_TRACE_SCOPE(kKeyword);
    UpdateCursorShapes();
    const CSimBindings& b = Bindings();
    std::string& values = lines[1];
    values.clear();
    values += shapes[0];
    AppendValue(values, UTILITY::TruncateToInt(XPLMGetDataf(b.nav1ObsDegm)), Format::kZeroPadded3);
    values += "    ";
    values += shapes[1];
    AppendValue(values, UTILITY::TruncateToInt(XPLMGetDataf(b.autopilotHeadingMag)),
                Format::kZeroPadded3);
    device->SetString(title, 0);
    device->SetString(values, 1);
    device->SetString(emptyLine, 2);
}

void CZ7HotasPanel::CVorHdgPage::CursorUp() {
    ORV_TRACE_SCOPE(kKeyword);
    CPage::CursorUp();
    if (!editing)
        return;
    const CSimBindings& b = Bindings();
    XPLMCommandOnce(cursor == 0 ? b.obs1Up : b.headingUp);
}

void CZ7HotasPanel::CVorHdgPage::CursorDown() {
    ORV_TRACE_SCOPE(kKeyword);
    CPage::CursorDown();
    if (!editing)
        return;
    const CSimBindings& b = Bindings();
    XPLMCommandOnce(cursor == 0 ? b.obs1Down : b.headingDown);
}

}  // namespace Orv
