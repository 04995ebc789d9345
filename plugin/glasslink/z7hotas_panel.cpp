#include "plugin/glasslink/z7hotas_panel.h"

#include "platform/com.h"
#include "platform/xml.h"
#include "plugin/core/sim_bindings.h"
#include "plugin/core/trace.h"
#include "plugin/devices/avionex.h"
#include "plugin/glasslink/glasslink_z7hotas.h"
#include "plugin/glasslink/z7hotas_autopilot_pages.h"
#include "plugin/glasslink/z7hotas_radio_pages.h"

namespace Orv {

namespace {

constexpr int32_t kKeyword = TRACE_KEYWORD_Z7HOTAS_PANEL;

constexpr wchar_t kFileName[] = L"XValduraAvionex.xml";

void TraceFailure(const wchar_t* format, const wchar_t* text) {
    WriteTrace(TRACE_LEVEL_FAILURE, kKeyword, TRACE_KIND_MESSAGE, format, text);
}

}  // namespace

// The page base.

CZ7HotasPanel::CPage::CPage(CZ7HotasPanel* owner) : panel(owner) {
    ORV_TRACE_SCOPE(kKeyword);
    for (std::string& line : lines)
        line.reserve(32);
}

CZ7HotasPanel::CPage::~CPage() {
    ORV_TRACE_SCOPE(kKeyword);
}

void CZ7HotasPanel::CPage::CursorUp() {
    ORV_TRACE_SCOPE(kKeyword);
    if (editing || cursorCount == 0)
        return;
    cursor = cursor == 0 ? static_cast<uint8_t>(cursorCount - 1) : static_cast<uint8_t>(cursor - 1);
}

void CZ7HotasPanel::CPage::CursorDown() {
    ORV_TRACE_SCOPE(kKeyword);
    if (editing || cursorCount == 0)
        return;
    cursor = static_cast<uint8_t>(cursor + 1);
    if (cursor >= cursorCount)
        cursor = 0;
}

void CZ7HotasPanel::CPage::CursorSelect() {
    ORV_TRACE_SCOPE(kKeyword);
    editing = editing ? 0 : 1;
}

const CSimBindings& CZ7HotasPanel::CPage::Bindings() const {
    return *panel->bindings;
}

void CZ7HotasPanel::CPage::BlankShapes(std::string& shapes) {
    for (char& c : shapes)
        c = ' ';
}

// The default page.

CZ7HotasPanel::CDefaultPage::CDefaultPage(CZ7HotasPanel* owner)
    : CPage(owner), modeLine("Mode 1"), profileLine("No Profile") {
    ORV_TRACE_SCOPE(kKeyword);
}

void CZ7HotasPanel::CDefaultPage::Display(CGlassLinkZ7Hotas* device) {
    ORV_TRACE_SCOPE(kKeyword);
    device->SetString(modeLine, 0);
    device->SetString(emptyLine, 1);
    device->SetString(profileLine, 2);
}

// The panel.

CZ7HotasPanel::CZ7HotasPanel(const std::wstring& path, const std::wstring& key, CAvionex* owner)
    : CPanel(path), manager(owner), displayKey(key) {
    ORV_TRACE_SCOPE(kKeyword);
}

CZ7HotasPanel::~CZ7HotasPanel() {
    ORV_TRACE_SCOPE(kKeyword);
}

void CZ7HotasPanel::OnInitialize() {
    ORV_TRACE_SCOPE(kKeyword);
    InitPages();
    RegisterButtons(kPreviousPage, kCursorSelect);
}

void CZ7HotasPanel::OnUninitialize() {
    ORV_TRACE_SCOPE(kKeyword);
    pages.clear();
    // A later OnInitialize may build a shorter list: the index starts over
    // rather than point past its end.
    currentPage = 0;
}

void CZ7HotasPanel::OnNotify() {
    ORV_TRACE_SCOPE(kKeyword);
    std::shared_ptr<CGlassLink> link = manager ? manager->GetGlassLink(displayKey) : nullptr;
    auto* device = dynamic_cast<CGlassLinkZ7Hotas*>(link.get());
    if (device == nullptr)
        return;
    if (CPage* page = CurrentPage())
        page->Display(device);
}

void CZ7HotasPanel::OnButton(uint16_t usage, int32_t on) {
    ORV_TRACE_SCOPE(kKeyword);
    if (on != 1 || pages.empty())
        return;
    const uint64_t count = pages.size();
    if (currentPage >= count)
        currentPage = 0;
    switch (usage) {
        case kPreviousPage:
            currentPage = currentPage == 0 ? count - 1 : currentPage - 1;
            break;
        case kNextPage:
            currentPage = currentPage + 1 >= count ? 0 : currentPage + 1;
            break;
        case kCursorUp:
            pages[currentPage]->CursorUp();
            break;
        case kCursorDown:
            pages[currentPage]->CursorDown();
            break;
        case kCursorSelect:
            pages[currentPage]->CursorSelect();
            break;
        default:
            break;
    }
}

void CZ7HotasPanel::InitPages() {
    ORV_TRACE_SCOPE(kKeyword);
    std::wstring folder;
    if (!CGlassLink::GetConfigureFilePath(folder)) {
        WriteTrace(TRACE_LEVEL_FAILURE, kKeyword, TRACE_KIND_MESSAGE,
                   L"Failed in retrieving the configure XML file path");
        return;
    }
    const std::wstring path = folder + kFileName;
    // Made before the document, so that COM outlives every node.
    Platform::ComScope com;
    std::unique_ptr<Platform::IXmlDocument> document;
    int32_t hr = Platform::Xml().CreateDocument(&document);
    if (Platform::Failed(hr) || !document) {
        WriteTrace(TRACE_LEVEL_FAILURE, kKeyword, TRACE_KIND_MESSAGE,
                   L"Failed in creating the instance of MS XML parser 6.0 due to 0x%x", hr);
        return;
    }
    document->SetAsync(false);
    document->SetValidateOnParse(false);
    document->SetResolveExternals(false);
    bool loaded = false;
    hr = document->Load(path, &loaded);
    if (Platform::Failed(hr) || !loaded) {
        TraceFailure(L"Failed in loading the XML file %s", path.c_str());
        return;
    }
    BuildPages(ReadPageList(*document));
}

std::vector<CZ7HotasPanel::PageKind> CZ7HotasPanel::ReadPageList(Platform::IXmlDocument& document) {
    ORV_TRACE_SCOPE(kKeyword);
    std::vector<PageKind> kinds;
    Platform::XmlNodeList nodes;
    int32_t hr = document.SelectNodes(L"//GaugeList/Z7Hotas/*", &nodes);
    if (Platform::Failed(hr)) {
        WriteTrace(TRACE_LEVEL_FAILURE, kKeyword, TRACE_KIND_MESSAGE,
                   L"Failed in selecting the pages due to 0x%x", hr);
        return kinds;
    }
    for (size_t i = 0; i < nodes.Length(); ++i) {
        Platform::XmlNode node = nodes.Item(i);
        if (!node || node->NodeType() != Platform::XmlNodeType::Element)
            continue;
        const std::wstring name = node->NodeName();
        if (name == L"ComNav") {
            std::wstring radio1;
            if (node->GetAttribute(L"radio1", &radio1) != Platform::kSOk)
                continue;
            if (radio1 == L"true")
                kinds.push_back(PageKind::ComNav1);
            else if (radio1 == L"false")
                kinds.push_back(PageKind::ComNav2);
            else
                TraceFailure(L"It's an invalid attribution text %s", radio1.c_str());
        } else if (name == L"Adf") {
            kinds.push_back(PageKind::Adf);
        } else if (name == L"Dme") {
            kinds.push_back(PageKind::Dme);
        } else if (name == L"Xpndr") {
            kinds.push_back(PageKind::Xpndr);
        } else if (name == L"Autopilot") {
            kinds.push_back(PageKind::Autopilot);
        } else if (name == L"VorHdg") {
            kinds.push_back(PageKind::VorHdg);
        } else {
            TraceFailure(L"It's an invalid page %s", name.c_str());
        }
    }
    return kinds;
}

void CZ7HotasPanel::BuildPages(const std::vector<PageKind>& kinds) {
    ORV_TRACE_SCOPE(kKeyword);
    for (PageKind kind : kinds) {
        switch (kind) {
            case PageKind::ComNav1:
                pages.push_back(std::make_unique<CComNavPage>(this, 0));
                break;
            case PageKind::ComNav2:
                pages.push_back(std::make_unique<CComNavPage>(this, 1));
                break;
            case PageKind::Adf:
                pages.push_back(std::make_unique<CAdfPage>(this));
                break;
            case PageKind::Dme:
                pages.push_back(std::make_unique<CDmePage>(this));
                break;
            case PageKind::Xpndr:
                pages.push_back(std::make_unique<CXpndrPage>(this));
                break;
            case PageKind::Autopilot:
                pages.push_back(std::make_unique<CAutopilotPage>(this));
                break;
            case PageKind::VorHdg:
                pages.push_back(std::make_unique<CVorHdgPage>(this));
                break;
        }
    }
    pages.push_back(std::make_unique<CDefaultPage>(this));
}

std::unique_ptr<CPanel> MakeZ7HotasPanel(const std::wstring& path,
                                         const std::wstring& physicalDeviceObjectName,
                                         CAvionex* manager) {
    return std::make_unique<CZ7HotasPanel>(path, physicalDeviceObjectName, manager);
}

}  // namespace Orv
