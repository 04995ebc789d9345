// The joystick's autopilot pages: selected altitude, vertical speed and
// flight director with the autopilot mode selector, and the VOR course with
// the autopilot heading.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "plugin/glasslink/z7hotas_panel.h"

namespace Orv {

// The eight items of the mode selector: HDG, NAV, IAS, ALT, VS, APR, REV
// run their mode command and keep the selector shown; <<< (the back item)
// hands the buttons back to the autopilot page.
class CZ7HotasPanel::CAutopilotSelectPage final : public CZ7HotasPanel::CPage {
public:
    explicit CAutopilotSelectPage(CZ7HotasPanel* owner);
    void CursorSelect() override;
    void Display(CGlassLinkZ7Hotas* device) override;

    bool IsBack() const { return back != 0; }
    // What the autopilot page does as it opens the selector.
    void Open() {
        back = 0;
        editing = 0;
    }

private:
    void UpdateCursorShapes();
    std::string shapes;
    int32_t back = 0;
};

// Cursor: 0 the selected altitude, 1 the vertical speed, 2 the mode
// selector (select opens it), 3 the flight director.
class CZ7HotasPanel::CAutopilotPage final : public CZ7HotasPanel::CPage {
public:
    explicit CAutopilotPage(CZ7HotasPanel* owner);
    ~CAutopilotPage() override;
    void CursorUp() override;
    void CursorDown() override;
    void CursorSelect() override;
    void Display(CGlassLinkZ7Hotas* device) override;

private:
    void UpdateCursorShapes();
    // Whether the selector has the buttons and the display.
    bool SelectorShown() const { return selectMode != 0 && !selector->IsBack(); }

    std::string shapes;
    int32_t selectMode = 0;
    std::unique_ptr<CAutopilotSelectPage> selector;
};

// Cursor: 0 the VOR course (OBS), 1 the autopilot heading.
class CZ7HotasPanel::CVorHdgPage final : public CZ7HotasPanel::CPage {
public:
    explicit CVorHdgPage(CZ7HotasPanel* owner);
    void CursorUp() override;
    void CursorDown() override;
    void Display(CGlassLinkZ7Hotas* device) override;

private:
    void UpdateCursorShapes();
    std::string shapes;
    const std::string title;
};

}  // namespace Orv
