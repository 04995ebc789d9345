// XML documents: the DOM with XPath selection that the plugin reads and
// writes its configuration files with (the MSXML 6 DOM document).
//
// Failure is reported as an HRESULT, as the DOM reports it: S_OK, S_FALSE
// ("nothing there": no attribute, no node), or a failure code.  Node handles
// are shared values: a node keeps its document alive, so a handle stays
// valid after the document object or a reload has let its tree go.
//
// COM must be initialised on the calling thread (platform/com.h) before a
// document is created; CreateDocument fails with kCoENotInitialized
// otherwise.  A document and its nodes belong to the thread that created
// them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/types.h"

namespace Orv::Platform {

// HRESULTs of this port besides those in types.h.
constexpr int32_t kEOutOfMemory = static_cast<int32_t>(0x8007000Eu);
constexpr int32_t kENoInterface = static_cast<int32_t>(0x80004002u);
constexpr int32_t kCoENotInitialized = static_cast<int32_t>(0x800401F0u);
// A document larger than kMaxXmlDocumentSize (HRESULT_FROM_WIN32 of
// ERROR_FILE_TOO_LARGE).
constexpr int32_t kEXmlTooLarge = static_cast<int32_t>(0x800700DFu);
// A document with a document type declaration: refused, so that no entity
// of a DTD is ever expanded (HRESULT_FROM_WIN32 of ERROR_NOT_SUPPORTED).
constexpr int32_t kEXmlDtdProhibited = static_cast<int32_t>(0x80070032u);

// The largest document that Load accepts, in bytes of the file, and that
// LoadXml accepts, in characters of the text.  Configuration files are a
// few kilobytes.
constexpr size_t kMaxXmlDocumentSize = 8u * 1024u * 1024u;

// The DOM node types (DOMNodeType).
enum class XmlNodeType : int32_t {
    Invalid = 0,
    Element = 1,
    Attribute = 2,
    Text = 3,
    CDataSection = 4,
    EntityReference = 5,
    Entity = 6,
    ProcessingInstruction = 7,
    Comment = 8,
    Document = 9,
    DocumentType = 10,
    DocumentFragment = 11,
    Notation = 12,
};

class IXmlNode;
using XmlNode = std::shared_ptr<IXmlNode>;

// A snapshot of selected nodes, in document order.  Item out of range is
// null (S_FALSE in the DOM).
class XmlNodeList {
public:
    XmlNodeList() = default;
    explicit XmlNodeList(std::vector<XmlNode> nodes) : nodes_(std::move(nodes)) {}
    size_t Length() const { return nodes_.size(); }
    XmlNode Item(size_t index) const { return index < nodes_.size() ? nodes_[index] : nullptr; }

private:
    std::vector<XmlNode> nodes_;
};

class IXmlNode {
public:
    virtual ~IXmlNode() = default;

    virtual XmlNodeType NodeType() = 0;
    // The element's or attribute's qualified name, or "#text", "#comment",
    // "#cdata-section", "#document", a processing instruction's target.
    virtual std::wstring NodeName() = 0;

    // The text of the node and its descendants: the DOM's text property
    // (white space trimmed and runs between text pieces joined as the DOM
    // joins them while white space is not preserved).
    virtual int32_t GetText(std::wstring* text) = 0;
    // Replaces the content of the node with the text (an element loses its
    // children).
    virtual int32_t PutText(const std::wstring& text) = 0;

    // The children of an element or the document, comments, processing
    // instructions and CDATA sections included; other nodes have none (an
    // attribute's value is its text).  Without preserved white space the
    // document holds no text node of white space only.
    virtual int32_t GetChildNodes(XmlNodeList* list) = 0;

    // Elements only (kENoInterface for other nodes).  S_OK and the value
    // when the attribute is present; S_FALSE and an empty value when it is
    // absent.  Setting fails (E_FAIL) for a name that is no XML name.
    virtual int32_t GetAttribute(const std::wstring& name, std::wstring* value) = 0;
    virtual int32_t SetAttribute(const std::wstring& name, const std::wstring& value) = 0;

    // Appends a node of the same loaded tree (moving it when it has a parent
    // already).  Fails (E_INVALIDARG) for a node of another document or of a
    // tree a reload replaced, for the node itself or one of its ancestors,
    // for attributes and documents, under a node other than an element or
    // the document, and for a second document element or text under the
    // document.
    virtual int32_t AppendChild(const XmlNode& child) = 0;

    // XPath 1.0, evaluated with this node as the context node.  An
    // expression that is not valid or does not give nodes fails.
    virtual int32_t SelectNodes(const std::wstring& xpath, XmlNodeList* list) = 0;
    // The first selected node: S_OK and the node, or S_FALSE and null.
    virtual int32_t SelectSingleNode(const std::wstring& xpath, XmlNode* node) = 0;
};

// The parse error of the last load (IXMLDOMParseError): errorCode 0 after a
// successful load, otherwise a failure code: the parser's own (E_FAIL or an
// MSXML code) for input that is not well-formed, kEXmlTooLarge,
// kEXmlDtdProhibited (or MSXML's own code for it), HRESULT_FROM_WIN32 of 2
// for a missing file and of 3 for a missing folder or a path that names no
// file.  The reason is a text for the trace; line and linePosition are 0
// where the parser does not tell them.
struct XmlParseError {
    int32_t errorCode = 0;
    std::wstring reason;
    int32_t line = 0;
    int32_t linePosition = 0;
};

class IXmlDocument {
public:
    virtual ~IXmlDocument() = default;

    // Load settings.  A new document loads synchronously, with validation
    // and resolution of externals off and white space not preserved; the
    // readers still switch them off before each load, as they always have.
    // Asynchronous loading is not offered: SetAsync(true) fails.
    virtual int32_t SetAsync(bool async) = 0;
    virtual int32_t SetValidateOnParse(bool validate) = 0;
    virtual int32_t SetResolveExternals(bool resolve) = 0;
    virtual int32_t SetPreserveWhiteSpace(bool preserve) = 0;

    // Loads a file, or text.  *loaded tells whether the document is now the
    // loaded one: S_OK and true, or false with S_FALSE (not found, not
    // well-formed, too large, with a document type declaration: see
    // GetParseError) or a failure code.  A failed load leaves an empty
    // document.  Load reads only files (never a URL); paths may use
    // backslashes.
    virtual int32_t Load(const std::wstring& path, bool* loaded) = 0;
    virtual int32_t LoadXml(const std::wstring& text, bool* loaded) = 0;
    virtual XmlParseError GetParseError() = 0;

    // Writes the document to a file (UTF-8; with an XML declaration when
    // the loaded document had one).  An empty document writes an empty file.
    virtual int32_t Save(const std::wstring& path) = 0;

    // The document as a node (type Document): selections from the root.
    virtual XmlNode Root() = 0;
    // The document element: S_OK and the node, or S_FALSE and null.
    virtual int32_t GetDocumentElement(XmlNode* element) = 0;
    // A new element of this document, not yet in the tree; E_FAIL for a
    // name that is no XML name.
    virtual int32_t CreateElement(const std::wstring& name, XmlNode* element) = 0;

    // Shorthands for Root()'s selections.
    int32_t SelectNodes(const std::wstring& xpath, XmlNodeList* list) {
        return Root()->SelectNodes(xpath, list);
    }
    int32_t SelectSingleNode(const std::wstring& xpath, XmlNode* node) {
        return Root()->SelectSingleNode(xpath, node);
    }
};

class IXml {
public:
    virtual ~IXml() = default;
    // Creates a DOM document.  Returns an HRESULT; *document is null on
    // failure.
    virtual int32_t CreateDocument(std::unique_ptr<IXmlDocument>* document) = 0;
};

IXml& Xml();

// An XPath string literal for any value, for building queries from
// configuration values and serial numbers: 'v', "v" when v holds an
// apostrophe, concat('..', "'", '..') when it holds both quote kinds.
inline std::wstring XPathLiteral(const std::wstring& value) {
    if (value.find(L'\'') == std::wstring::npos)
        return L"'" + value + L"'";
    if (value.find(L'"') == std::wstring::npos)
        return L"\"" + value + L"\"";
    std::wstring out = L"concat(";
    size_t start = 0;
    bool first = true;
    while (start <= value.size()) {
        size_t quote = value.find(L'\'', start);
        size_t end = quote == std::wstring::npos ? value.size() : quote;
        if (end > start) {
            out += first ? L"" : L", ";
            out += L"'" + value.substr(start, end - start) + L"'";
            first = false;
        }
        if (quote == std::wstring::npos)
            break;
        out += first ? L"" : L", ";
        out += L"\"'\"";
        first = false;
        start = quote + 1;
    }
    return out + L")";
}

}  // namespace Orv::Platform
