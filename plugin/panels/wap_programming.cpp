// The annunciator's programming file: WapProgramming.xml in the profile
// folder, one section per panel (found by the panel's serial number), each
// Lense element assigning one condition a colour and a lens.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/com.h"
#include "platform/xml.h"
#include "plugin/core/folders.h"
#include "plugin/core/trace.h"
#include "plugin/panels/wap_panel.h"

namespace Orv {

namespace {

constexpr int32_t kKeyword = TRACE_KEYWORD_WAP;

constexpr wchar_t kFileName[] = L"\\WapProgramming.xml";

bool IsBlank(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

// A lens number as the file writes it: leading white space, an optional
// sign, then the digits up to the first other character; no digits give 0,
// and a value beyond the 32-bit range gives the nearest 32-bit limit.
int32_t ReadLensNumber(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    constexpr int64_t kBeyond = int64_t{INT32_MAX} + 1;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > kBeyond)
            value = kBeyond;
    }
    if (negative)
        return static_cast<int32_t>(-value);
    return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

std::wstring TextOf(const Platform::XmlNode& node) {
    std::wstring text;
    if (Platform::Failed(node->GetText(&text)))
        text.clear();
    return text;
}

}  // namespace

bool CWAPanel::UpdateTilesFromXML() {
    ORV_TRACE_SCOPE(kKeyword);
    const std::wstring path = UTILITY::GetProfileFolder() + kFileName;
    // Made before the document, so that COM outlives every node.
    Platform::ComScope com;
    std::unique_ptr<Platform::IXmlDocument> document;
    int32_t hr = Platform::Xml().CreateDocument(&document);
    if (Platform::Failed(hr) || !document) {
        WriteTrace(TRACE_LEVEL_FAILURE, kKeyword, TRACE_KIND_MESSAGE,
                   L"Failed in creating the instance of MS XML parser 6.0 due to 0x%x", hr);
        return false;
    }
    document->SetAsync(false);
    document->SetValidateOnParse(false);
    document->SetResolveExternals(false);
    bool loaded = false;
    hr = document->Load(path, &loaded);
    if (Platform::Failed(hr) || !loaded) {
        WriteTrace(TRACE_LEVEL_FAILURE, kKeyword, TRACE_KIND_MESSAGE,
                   L"Failed in loading the XML file %s", path.c_str());
        Platform::XmlParseError error = document->GetParseError();
        WriteTrace(TRACE_LEVEL_DETAIL, kKeyword, TRACE_KIND_MESSAGE, L"The parse error 0x%x: %s",
                   error.errorCode, error.reason.c_str());
        return false;
    }
    ApplyProgramming(*document, GetSerialNumberString());
    return true;
}

void CWAPanel::ApplyProgramming(Platform::IXmlDocument& document, const std::wstring& serial) {
    ORV_TRACE_SCOPE(kKeyword);
    // A literal that holds any serial, apostrophes included.
    const std::wstring query =
        L"//Wap/WapProgramming[@Id=" + Platform::XPathLiteral(serial) + L"]/Lense";
    Platform::XmlNodeList lenses;
    int32_t hr = document.SelectNodes(query, &lenses);
    if (Platform::Failed(hr)) {
        WriteTrace(TRACE_LEVEL_FAILURE, kKeyword, TRACE_KIND_MESSAGE,
                   L"Failed in selecting the programming of the panel %s due to 0x%x",
                   serial.c_str(), hr);
        return;
    }
    // One colour and one lens for the whole file: a Lense without a valid
    // Colour or without an Assignment takes the one read before it (files
    // rely on it); before the first they assign nothing.
    LensColour colour = LensColour::None;
    int32_t lens = -1;
    for (size_t i = 0; i < lenses.Length(); ++i) {
        Platform::XmlNode lense = lenses.Item(i);
        Platform::XmlNodeList children;
        if (!lense || Platform::Failed(lense->GetChildNodes(&children)))
            continue;
        std::wstring key;
        for (size_t c = 0; c < children.Length(); ++c) {
            Platform::XmlNode child = children.Item(c);
            if (!child)
                continue;
            const std::wstring name = child->NodeName();
            if (name == L"Id") {
                key = TextOf(child);
            } else if (name == L"Colour") {
                const std::wstring text = TextOf(child);
                if (text == L"Red")
                    colour = LensColour::Red;
                else if (text == L"Amber")
                    colour = LensColour::Amber;
                else if (text == L"Green")
                    colour = LensColour::Green;
                else
                    WriteTrace(TRACE_LEVEL_FAILURE, kKeyword, TRACE_KIND_MESSAGE,
                               L"It's an invalid color %s", text.c_str());
            } else if (name == L"Assignment") {
                lens = ReadLensNumber(TextOf(child));
            } else {
                WriteTrace(TRACE_LEVEL_FAILURE, kKeyword, TRACE_KIND_MESSAGE,
                           L"It's an invalid tag %s", name.c_str());
            }
        }
        auto it = tiles.find(key);
        if (it == tiles.end())
            continue;
        Tile& tile = *it->second;
        if (lens >= 0 && lens < kLensCount) {
            tile.colour = colour;
            tile.lense = lens;
            continue;
        }
        // The report has bits for lenses 0 to 23 only.
        if (lens != -1)
            WriteTrace(TRACE_LEVEL_FAILURE, kKeyword, TRACE_KIND_MESSAGE,
                       L"It's an invalid lens number %d for %s", lens, key.c_str());
        tile.colour = LensColour::None;
        tile.lense = -1;
    }
}

}  // namespace Orv
