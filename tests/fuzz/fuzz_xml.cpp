// Fuzz target: the XML port's parser and XPath on arbitrary bytes.  The
// input is a document, optionally followed by a NUL byte and an XPath
// expression of its own; the fixed selections are those the configuration
// readers make.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/com.h"
#include "platform/sim/sim_platform.h"
#include "platform/xml.h"

namespace {

using namespace Orv::Platform;

void Walk(const XmlNodeList& list) {
    for (size_t i = 0; i < list.Length() && i < 64; ++i) {
        XmlNode node = list.Item(i);
        std::wstring text;
        node->GetText(&text);
        node->NodeName();
        std::wstring value;
        node->GetAttribute(L"Id", &value);
        XmlNodeList children;
        node->GetChildNodes(&children);
        for (size_t j = 0; j < children.Length() && j < 64; ++j)
            children.Item(j)->GetText(&text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool com = !Failed(Com().InitializeCom());
    if (!com)
        return 0;
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string xpath;
    size_t nul = input.find('\0');
    if (nul != std::string::npos) {
        xpath = input.substr(nul + 1);
        input.resize(nul);
    }
    std::unique_ptr<IXmlDocument> doc;
    if (Failed(Xml().CreateDocument(&doc)))
        return 0;
    doc->SetPreserveWhiteSpace(size % 2 == 1);
    bool loaded = false;
    doc->LoadXml(Orv::Sim::FromUtf8(input), &loaded);
    doc->GetParseError();
    const std::wstring queries[] = {
        L"//Wap/WapProgramming[@Id=" + XPathLiteral(Orv::Sim::FromUtf8(xpath)) + L"]/Lense",
        L"//GaugeList/Gauge",
        L"//GaugeList/Z7Hotas/*",
        L"//*",
        L"//@*",
        L"//text()|//comment()|//processing-instruction()",
        Orv::Sim::FromUtf8(xpath),
    };
    for (const std::wstring& query : queries) {
        XmlNodeList list;
        if (!Failed(doc->SelectNodes(query, &list)))
            Walk(list);
        XmlNode node;
        doc->SelectSingleNode(query, &node);
    }
    std::wstring text;
    doc->Root()->GetText(&text);
    XmlNode root;
    if (doc->GetDocumentElement(&root) == kSOk) {
        XmlNode element;
        if (doc->CreateElement(L"Gdp", &element) == kSOk) {
            element->SetAttribute(L"Serial", Orv::Sim::FromUtf8(xpath));
            root->AppendChild(element);
            root->PutText(L"x");
            element->GetText(&text);
        }
    }
    return 0;
}
