// Fuzz target: the annunciator's programming file reader on arbitrary
// documents.  The input is a document, optionally followed by a NUL byte and
// the panel's serial number; without one the serial is "W1".  Whatever the
// file holds, every tile ends up unassigned or on a lens of the report, and
// lighting and darkening every tile stays inside the 7-byte report.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/com.h"
#include "platform/sim/sim_platform.h"
#include "platform/xml.h"
#include "plugin/panels/wap_panel.h"

namespace {

using namespace Orv;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool com = !Platform::Failed(Platform::Com().InitializeCom());
    // A panel without a device: only its tiles are used.
    static CWAPanel* panel = new CWAPanel(L"fuzz");
    if (!com)
        return 0;
    std::string input(reinterpret_cast<const char*>(data), size);
    std::wstring serial = L"W1";
    size_t nul = input.find('\0');
    if (nul != std::string::npos) {
        serial = Sim::FromUtf8(input.substr(nul + 1));
        input.resize(nul);
    }
    std::unique_ptr<Platform::IXmlDocument> document;
    if (Platform::Failed(Platform::Xml().CreateDocument(&document)))
        return 0;
    bool loaded = false;
    document->LoadXml(Sim::FromUtf8(input), &loaded);
    if (!loaded)
        return 0;

    panel->OnUninitialize();
    for (const wchar_t* name : CWAPanel::kTileNames)
        panel->AddTile(name);
    panel->ApplyProgramming(*document, serial);

    Check(panel->Tiles().size() == static_cast<size_t>(CWAPanel::kTileCount));
    uint8_t report[CWAPanel::kLensReportLength + 1] = {0xB8, 0, 0, 0, 0, 0, 0, 0x5A};
    for (const auto& [name, tile] : panel->Tiles()) {
        Check(tile->lense == -1 || (tile->lense >= 0 && tile->lense < CWAPanel::kLensCount));
        Check(tile->colour <= LensColour::Amber);
        panel->FillLenseReport(tile.get(), 1, report);
        panel->FillLenseReport(tile.get(), 0, report);
    }
    // The report id and the byte behind the report are never touched.
    Check(report[0] == 0xB8 && report[CWAPanel::kLensReportLength] == 0x5A);
    return 0;
}
