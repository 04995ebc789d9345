// Fuzz target: the joystick's page list reader on arbitrary documents.
// Whatever the file holds, the list has at most one page per element of
// the document, the panel built from it ends with the default page, and
// every button on every page keeps the page index and each cursor in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/com.h"
#include "platform/sim/sim_platform.h"
#include "platform/xml.h"
#include "plugin/core/sim_bindings.h"
#include "plugin/glasslink/z7hotas_panel.h"

namespace {

using namespace Orv;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool com = !Platform::Failed(Platform::Com().InitializeCom());
    static const bool bound = (CSimBindings::Initialize(), true);
    // A panel without a device: only its pages are used.
    static CZ7HotasPanel* panel = new CZ7HotasPanel(L"fuzz", L"fuzz", nullptr);
    if (!com || !bound)
        return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<Platform::IXmlDocument> document;
    if (Platform::Failed(Platform::Xml().CreateDocument(&document)))
        return 0;
    bool loaded = false;
    document->LoadXml(Sim::FromUtf8(input), &loaded);
    if (!loaded)
        return 0;

    const auto kinds = CZ7HotasPanel::ReadPageList(*document);
    Platform::XmlNodeList elements;
    Check(!Platform::Failed(document->SelectNodes(L"//*", &elements)));
    Check(kinds.size() <= elements.Length());

    panel->OnUninitialize();
    panel->BuildPages(kinds);
    Check(panel->PageCount() == kinds.size() + 1);
    // Every button pressed on every page, the input's bytes choosing the
    // order; the index and the cursors stay in range.
    for (size_t i = 0; i < size && i < 256; ++i) {
        const uint16_t usage = static_cast<uint16_t>(CZ7HotasPanel::kPreviousPage + data[i] % 5);
        panel->OnButton(usage, 1);
        panel->OnButton(usage, 0);
        Check(panel->CurrentPageIndex() < panel->PageCount());
        Check(panel->CurrentPage() != nullptr && panel->CurrentPage()->GetCursor() < 16);
    }
    return 0;
}
