// The joystick's panel: its HID buttons turn an ordered list of pages and
// move and use a cursor on the current page; every frame the current page
// draws its three lines on the joystick's MFD (CGlassLinkZ7Hotas), which the
// device manager holds apart under the display key.
//
// Which pages exist comes from the Z7Hotas section of XValduraAvionex.xml in
// the data folder, read at OnInitialize; a file that could be read always
// ends with the default page, a file that could not gives no page at all.
//
// Threads: OnInitialize and OnUninitialize run where the device manager
// adds and removes panels; OnNotify and OnButton on the flight-loop thread.
// The MFD object is asked for anew every frame and kept only for that frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plugin/devices/panel.h"

namespace Orv {

class CAvionex;
class CGlassLinkZ7Hotas;
class CSimBindings;

namespace Platform {
class IXmlDocument;
}

class CZ7HotasPanel : public CPanel {
public:
    // The Button-page usages of the joystick's five page buttons.
    enum : uint16_t {
        kPreviousPage = 35,
        kNextPage = 36,
        kCursorUp = 37,
        kCursorDown = 38,
        kCursorSelect = 39,
    };

    // The cursor marks of the MFD while a value is being adjusted.
    static constexpr char kEditRight = static_cast<char>(0xFC);  // for '>'
    static constexpr char kEditLeft = static_cast<char>(0xFB);   // for '<'

    // One page: three lines drawn from X-Plane state, and a cursor.  With a
    // cursor count of n the cursor runs 0 to n - 1; while editing, up and
    // down change the value under the cursor instead of moving it.
    class CPage {
    public:
        explicit CPage(CZ7HotasPanel* owner);
        virtual ~CPage();
        CPage(const CPage&) = delete;
        CPage& operator=(const CPage&) = delete;

        // Defaults: up and down move the cursor (wrapping) unless editing
        // or without positions; select toggles editing.
        virtual void CursorUp();
        virtual void CursorDown();
        virtual void CursorSelect();
        // Writes all three lines; the device sends only lines that changed.
        virtual void Display(CGlassLinkZ7Hotas* device) = 0;

        uint8_t GetCursor() const { return cursor; }
        bool IsEditing() const { return editing != 0; }

    protected:
        const CSimBindings& Bindings() const;
        // Fills a cursor-shape buffer with blanks, keeping its length.
        static void BlankShapes(std::string& shapes);
        // '>' or '<', or their editing forms.
        char RightMark() const { return editing ? kEditRight : '>'; }
        char LeftMark() const { return editing ? kEditLeft : '<'; }

        // The three lines as this frame builds them; reserved once, so that a
        // frame allocates nothing.
        std::string lines[3];

        CZ7HotasPanel* panel;
        uint8_t cursor = 0;
        uint8_t cursorCount = 0;
        int32_t editing = 0;
        const std::string emptyLine;
    };

    class CDefaultPage;
    class CComNavPage;
    class CAdfPage;
    class CDmePage;
    class CXpndrPage;
    class CAutopilotPage;
    class CAutopilotSelectPage;
    class CVorHdgPage;

    // The pages a configuration may list, in the file's element names.
    enum class PageKind { ComNav1, ComNav2, Adf, Dme, Xpndr, Autopilot, VorHdg };

    // path: the HID interface; key: the display key of the MFD device.
    CZ7HotasPanel(const std::wstring& path, const std::wstring& key, CAvionex* manager);
    ~CZ7HotasPanel() override;

    void OnInitialize() override;
    void OnUninitialize() override;
    void OnNotify() override;
    void OnButton(uint16_t usage, int32_t on) override;

    // Loads XValduraAvionex.xml from the data folder and builds the pages;
    // nothing when the file cannot be had.
    void InitPages();
    // The page list of a loaded configuration, in document order (the
    // default page not included); every element that gives no page writes
    // its line.
    static std::vector<PageKind> ReadPageList(Platform::IXmlDocument& document);
    // Builds the pages of a list, then the default page.
    void BuildPages(const std::vector<PageKind>& kinds);

    // For tests and the view.
    size_t PageCount() const { return pages.size(); }
    size_t CurrentPageIndex() const { return currentPage; }
    CPage* CurrentPage() const {
        return currentPage < pages.size() ? pages[currentPage].get() : nullptr;
    }

private:
    uint64_t currentPage = 0;
    CAvionex* manager;
    std::wstring displayKey;
    std::vector<std::unique_ptr<CPage>> pages;
};

// The page that says there is no profile: "Mode 1", blank, "No Profile".
class CZ7HotasPanel::CDefaultPage final : public CZ7HotasPanel::CPage {
public:
    explicit CDefaultPage(CZ7HotasPanel* owner);
    void Display(CGlassLinkZ7Hotas* device) override;

private:
    const std::string modeLine;
    const std::string profileLine;
};

// The panel factory of the composition root.
std::unique_ptr<CPanel> MakeZ7HotasPanel(const std::wstring& path,
                                         const std::wstring& physicalDeviceObjectName,
                                         CAvionex* manager);

}  // namespace Orv
