// The kinds of panel, chosen by product id: the attach line and the class
// of each.  A panel class that lands puts its factory into its entry in
// panel_kinds.cpp.
#pragma once

#include <cstdint>

#include "plugin/devices/avionex.h"

namespace Orv {

struct PanelKind {
    uint16_t productId;
    const wchar_t* attachedLine;      // level 2, with the path
    PanelFactory standard;            // the kind's own class
    PanelFactory override = nullptr;  // set by CAvionex::SetPanelFactory

    PanelFactory Factory() const { return override != nullptr ? override : standard; }
};

// The entry of a supported product, or null.
PanelKind* FindPanelKind(uint16_t productId);

// A factory for a class whose constructor takes the path.
template <typename Panel>
std::unique_ptr<CPanel> MakePathPanel(const std::wstring& path, const std::wstring&, CAvionex*) {
    return std::make_unique<Panel>(path);
}

}  // namespace Orv
