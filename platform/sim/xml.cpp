// The XML port on libxml2, behaving as the DOM of MSXML 6 does for
// what the configuration readers use.
//
// Parsing never touches the network, loads no DTD and expands no entity of
// one: a document with a document type declaration is refused.  Input is
// limited to kMaxXmlDocumentSize.  As the DOM does without preserved white
// space, text nodes of white space only are dropped when a document is
// loaded; each leaves a mark on its previous sibling (or on its parent when
// it was the first child), so that the text property still puts one blank
// where white space separated two pieces of text.
//
// Nodes are never freed while a handle could refer to them: a loaded tree
// lives until its document and every node handle of it are gone, and nodes
// cut out of the tree (the children an element loses to PutText, elements
// created and never appended) are freed with it.
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/com.h"
#include "platform/sim/sim_internal.h"
#include "platform/sim/sim_platform.h"
#include "platform/xml.h"

namespace Orv::Sim {
namespace {

using Platform::IXmlDocument;
using Platform::IXmlNode;
using Platform::XmlNode;
using Platform::XmlNodeList;
using Platform::XmlNodeType;
using Platform::XmlParseError;

constexpr int32_t kSOk = Platform::kSOk;
constexpr int32_t kSFalse = Platform::kSFalse;
constexpr int32_t kEFail = Platform::kEFail;
constexpr int32_t kEInvalidArg = Platform::kEInvalidArg;
constexpr int32_t kEFileNotFound = static_cast<int32_t>(0x80070002u);
constexpr int32_t kEPathNotFound = static_cast<int32_t>(0x80070003u);
constexpr int32_t kEAccessDenied = static_cast<int32_t>(0x80070005u);

// Marks of dropped white space, in a node's _private field.
constexpr uintptr_t kTrailingWhiteSpace = 1;  // after this node
constexpr uintptr_t kChildWhiteSpace = 2;     // before this node's first child

uintptr_t Marks(xmlNodePtr node) {
    return reinterpret_cast<uintptr_t>(node->_private);
}
void Mark(xmlNodePtr node, uintptr_t mark) {
    node->_private = reinterpret_cast<void*>(Marks(node) | mark);
}

void IgnoreError(void*, xmlErrorPtr) {}

void InitialiseLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
    // libxml2 keeps its error handlers per thread: nothing goes to stderr.
    thread_local bool quiet = false;
    if (!quiet) {
        xmlSetStructuredErrorFunc(nullptr, &IgnoreError);
        quiet = true;
    }
}

const xmlChar* Utf8(const std::string& text) {
    return reinterpret_cast<const xmlChar*>(text.c_str());
}

std::wstring Wide(const xmlChar* text) {
    return text ? FromUtf8(reinterpret_cast<const char*>(text)) : std::wstring();
}

std::wstring TakeWide(xmlChar* text) {
    std::wstring wide = Wide(text);
    xmlFree(text);
    return wide;
}

bool IsSpace(xmlChar c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool AllSpace(const xmlChar* text) {
    for (; text && *text; ++text)
        if (!IsSpace(*text))
            return false;
    return true;
}

// A path from a configuration file: backslashes are separators.
std::string NativePath(const std::wstring& path) {
    std::string native = ToUtf8(path);
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

std::string ParentOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// One loaded (or empty) tree and the nodes cut out of it.
struct Tree {
    xmlDocPtr doc = nullptr;
    std::unordered_set<xmlNodePtr> detached;
    bool declaration = false;  // the document began with an XML declaration
    bool preserveWhiteSpace = false;

    explicit Tree(xmlDocPtr document) : doc(document) {}
    ~Tree() {
        // Only the roots of detached pieces: freeing one frees what it holds.
        std::vector<xmlNodePtr> roots;
        for (xmlNodePtr node : detached)
            if (node->parent == nullptr)
                roots.push_back(node);
        for (xmlNodePtr node : roots)
            xmlFreeNode(node);
        xmlFreeDoc(doc);
    }
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;

    static std::shared_ptr<Tree> Empty(bool preserve) {
        xmlDocPtr doc = xmlNewDoc(BAD_CAST "1.0");
        if (!doc)
            return nullptr;
        auto tree = std::make_shared<Tree>(doc);
        tree->preserveWhiteSpace = preserve;
        return tree;
    }

    // White space is preserved for the document, or by xml:space on the
    // nearest element that has it.
    bool Preserving(xmlNodePtr node) const {
        if (preserveWhiteSpace)
            return true;
        while (node && node->type != XML_ELEMENT_NODE && node->type != XML_DOCUMENT_NODE)
            node = node->parent;
        return node && node->type == XML_ELEMENT_NODE && xmlNodeGetSpacePreserve(node) == 1;
    }

    // Drops the text nodes of white space only, marking where they were.
    void DropWhiteSpace() {
        xmlNodePtr node = xmlDocGetRootElement(doc);
        while (node) {
            xmlNodePtr next = nullptr;
            if (node->type == XML_TEXT_NODE && AllSpace(node->content) && !Preserving(node)) {
                if (node->prev)
                    Mark(node->prev, kTrailingWhiteSpace);
                else if (node->parent)
                    Mark(node->parent, kChildWhiteSpace);
                next = Following(node);
                xmlUnlinkNode(node);
                xmlFreeNode(node);
                node = next;
                continue;
            }
            if (node->type == XML_ELEMENT_NODE && node->children)
                node = node->children;
            else
                node = Following(node);
        }
    }

    // The next node in document order that is not inside node.
    static xmlNodePtr Following(xmlNodePtr node) {
        while (node && node->type != XML_DOCUMENT_NODE) {
            if (node->next)
                return node->next;
            node = node->parent;
        }
        return nullptr;
    }
};

// The text property of an element or the document: the text and CDATA
// sections below it; without preserved white space the ends are trimmed of
// the white space of text nodes, and dropped white space between pieces
// becomes one blank.
std::wstring ContainerText(const Tree& tree, xmlNodePtr container) {
    const bool preserving = tree.Preserving(container);
    std::string out;
    size_t first = std::string::npos;
    size_t last = 0;
    // White space before the first piece never shows.
    bool pending = false;
    auto emit = [&](const xmlChar* content, bool trimmable) {
        std::string piece = content ? reinterpret_cast<const char*>(content) : "";
        if (pending && !out.empty())
            out += ' ';
        pending = false;
        size_t begin = 0;
        size_t end = piece.size();
        if (trimmable) {
            while (begin < end && IsSpace(static_cast<xmlChar>(piece[begin])))
                ++begin;
            while (end > begin && IsSpace(static_cast<xmlChar>(piece[end - 1])))
                --end;
        }
        if (begin < end || !trimmable) {
            if (first == std::string::npos || out.size() + begin < first)
                first = out.size() + begin;
            if (out.size() + end > last)
                last = out.size() + end;
        }
        out += piece;
    };
    xmlNodePtr node = container->children;
    while (node) {
        switch (node->type) {
            case XML_ELEMENT_NODE:
                if (Marks(node) & kChildWhiteSpace)
                    pending = true;
                break;
            case XML_TEXT_NODE:
                emit(node->content, !preserving);
                break;
            case XML_CDATA_SECTION_NODE:
                emit(node->content, false);
                break;
            default:
                break;
        }
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        for (;;) {
            if (Marks(node) & kTrailingWhiteSpace)
                pending = true;
            if (node->next) {
                node = node->next;
                break;
            }
            node = node->parent;
            if (node == container || node == nullptr) {
                node = nullptr;
                break;
            }
        }
    }
    if (preserving)
        return FromUtf8(out);
    if (first == std::string::npos)
        return std::wstring();
    return FromUtf8(out.substr(first, last - first));
}

std::wstring QualifiedName(xmlNodePtr node) {
    std::wstring name = Wide(node->name);
    if (node->ns && node->ns->prefix)
        return Wide(node->ns->prefix) + L":" + name;
    return name;
}

class SimXmlNode final : public IXmlNode {
public:
    SimXmlNode(std::shared_ptr<Tree> tree, xmlNodePtr node) : tree_(std::move(tree)), node_(node) {}

    XmlNodeType NodeType() override {
        switch (node_->type) {
            case XML_ELEMENT_NODE:
                return XmlNodeType::Element;
            case XML_ATTRIBUTE_NODE:
                return XmlNodeType::Attribute;
            case XML_TEXT_NODE:
                return XmlNodeType::Text;
            case XML_CDATA_SECTION_NODE:
                return XmlNodeType::CDataSection;
            case XML_ENTITY_REF_NODE:
                return XmlNodeType::EntityReference;
            case XML_PI_NODE:
                return XmlNodeType::ProcessingInstruction;
            case XML_COMMENT_NODE:
                return XmlNodeType::Comment;
            case XML_DOCUMENT_NODE:
                return XmlNodeType::Document;
            default:
                return XmlNodeType::Invalid;
        }
    }

    std::wstring NodeName() override {
        switch (node_->type) {
            case XML_TEXT_NODE:
                return L"#text";
            case XML_CDATA_SECTION_NODE:
                return L"#cdata-section";
            case XML_COMMENT_NODE:
                return L"#comment";
            case XML_DOCUMENT_NODE:
                return L"#document";
            case XML_PI_NODE:
                return Wide(node_->name);
            default:
                return QualifiedName(node_);
        }
    }

    int32_t GetText(std::wstring* text) override {
        if (!text)
            return kEInvalidArg;
        text->clear();
        try {
            switch (node_->type) {
                case XML_ELEMENT_NODE:
                case XML_DOCUMENT_NODE:
                    *text = ContainerText(*tree_, node_);
                    break;
                case XML_TEXT_NODE:
                    if (tree_->Preserving(node_)) {
                        *text = Wide(node_->content);
                    } else {
                        std::string piece = reinterpret_cast<const char*>(node_->content);
                        size_t begin = piece.find_first_not_of(" \t\r\n");
                        size_t end = piece.find_last_not_of(" \t\r\n");
                        *text = begin == std::string::npos
                                    ? std::wstring()
                                    : FromUtf8(piece.substr(begin, end + 1 - begin));
                    }
                    break;
                default:
                    *text = TakeWide(xmlNodeGetContent(node_));
                    break;
            }
        } catch (const std::bad_alloc&) {
            return Platform::kEOutOfMemory;
        }
        return kSOk;
    }

    int32_t PutText(const std::wstring& text) override {
        std::string value = ToUtf8(text);
        switch (node_->type) {
            case XML_ELEMENT_NODE: {
                // The children leave the tree but stay alive for their handles.
                while (xmlNodePtr child = node_->children) {
                    xmlUnlinkNode(child);
                    tree_->detached.insert(child);
                }
                node_->_private = nullptr;
                if (!value.empty()) {
                    xmlNodePtr textNode =
                        xmlNewDocTextLen(tree_->doc, Utf8(value), static_cast<int>(value.size()));
                    if (!textNode)
                        return Platform::kEOutOfMemory;
                    Link(node_, textNode);
                }
                return kSOk;
            }
            case XML_TEXT_NODE:
            case XML_CDATA_SECTION_NODE:
            case XML_COMMENT_NODE:
            case XML_PI_NODE:
                xmlNodeSetContentLen(node_, Utf8(value), static_cast<int>(value.size()));
                return kSOk;
            case XML_ATTRIBUTE_NODE:
                if (node_->parent)
                    return xmlSetNsProp(node_->parent, node_->ns, node_->name, Utf8(value))
                               ? kSOk
                               : Platform::kEOutOfMemory;
                xmlNodeSetContent(node_, Utf8(value));
                return kSOk;
            default:
                return kEFail;
        }
    }

    int32_t GetChildNodes(XmlNodeList* list) override {
        if (!list)
            return kEInvalidArg;
        std::vector<XmlNode> children;
        try {
            // An attribute's value is its text; its text nodes are never
            // handed out (setting the value frees them).
            if (node_->type == XML_ELEMENT_NODE || node_->type == XML_DOCUMENT_NODE) {
                for (xmlNodePtr child = node_->children; child; child = child->next)
                    if (child->type != XML_DTD_NODE)
                        children.push_back(std::make_shared<SimXmlNode>(tree_, child));
            }
        } catch (const std::bad_alloc&) {
            *list = XmlNodeList();
            return Platform::kEOutOfMemory;
        }
        *list = XmlNodeList(std::move(children));
        return kSOk;
    }

    int32_t GetAttribute(const std::wstring& name, std::wstring* value) override {
        if (!value)
            return kEInvalidArg;
        value->clear();
        if (node_->type != XML_ELEMENT_NODE)
            return Platform::kENoInterface;
        if (xmlAttrPtr attribute = FindAttribute(name)) {
            *value = TakeWide(xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(attribute)));
            return kSOk;
        }
        // Namespace declarations are attributes in the DOM.
        for (xmlNsPtr ns = node_->nsDef; ns; ns = ns->next) {
            std::wstring declared = ns->prefix ? L"xmlns:" + Wide(ns->prefix) : L"xmlns";
            if (declared == name) {
                *value = Wide(ns->href);
                return kSOk;
            }
        }
        return kSFalse;
    }

    int32_t SetAttribute(const std::wstring& name, const std::wstring& value) override {
        if (node_->type != XML_ELEMENT_NODE)
            return Platform::kENoInterface;
        std::string utf8Name = ToUtf8(name);
        if (xmlValidateQName(Utf8(utf8Name), 0) != 0)
            return kEFail;
        std::string utf8Value = ToUtf8(value);
        if (xmlAttrPtr attribute = FindAttribute(name))
            return xmlSetNsProp(node_, attribute->ns, attribute->name, Utf8(utf8Value))
                       ? kSOk
                       : Platform::kEOutOfMemory;
        return xmlNewProp(node_, Utf8(utf8Name), Utf8(utf8Value)) ? kSOk : Platform::kEOutOfMemory;
    }

    int32_t AppendChild(const XmlNode& child) override {
        auto* other = dynamic_cast<SimXmlNode*>(child.get());
        if (!other || other->tree_ != tree_)
            return kEInvalidArg;
        xmlNodePtr node = other->node_;
        switch (node->type) {
            case XML_ELEMENT_NODE:
            case XML_TEXT_NODE:
            case XML_CDATA_SECTION_NODE:
            case XML_COMMENT_NODE:
            case XML_PI_NODE:
                break;
            default:
                return kEInvalidArg;
        }
        if (node_->type == XML_DOCUMENT_NODE) {
            if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE)
                return kEInvalidArg;
            xmlNodePtr root = xmlDocGetRootElement(tree_->doc);
            if (node->type == XML_ELEMENT_NODE && root && root != node)
                return kEInvalidArg;
        } else if (node_->type != XML_ELEMENT_NODE) {
            return kEInvalidArg;
        }
        for (xmlNodePtr up = node_; up; up = up->parent)
            if (up == node)
                return kEInvalidArg;
        if (node->parent)
            xmlUnlinkNode(node);
        Link(node_, node);
        return kSOk;
    }

    int32_t SelectNodes(const std::wstring& xpath, XmlNodeList* list) override {
        if (!list)
            return kEInvalidArg;
        *list = XmlNodeList();
        std::vector<XmlNode> nodes;
        int32_t hr = Evaluate(xpath, &nodes, false);
        if (hr == kSOk)
            *list = XmlNodeList(std::move(nodes));
        return hr;
    }

    int32_t SelectSingleNode(const std::wstring& xpath, XmlNode* node) override {
        if (!node)
            return kEInvalidArg;
        *node = nullptr;
        std::vector<XmlNode> nodes;
        int32_t hr = Evaluate(xpath, &nodes, true);
        if (hr != kSOk)
            return hr;
        if (nodes.empty())
            return kSFalse;
        *node = nodes.front();
        return kSOk;
    }

private:
    // Appends without merging text nodes (libxml2's own append frees a text
    // node it merges, which a handle may still refer to).
    static void Link(xmlNodePtr parent, xmlNodePtr child) {
        child->parent = parent;
        child->prev = parent->last;
        child->next = nullptr;
        if (parent->last)
            parent->last->next = child;
        else
            parent->children = child;
        parent->last = child;
    }

    xmlAttrPtr FindAttribute(const std::wstring& name) {
        for (xmlAttrPtr attribute = node_->properties; attribute; attribute = attribute->next)
            if (QualifiedName(reinterpret_cast<xmlNodePtr>(attribute)) == name)
                return attribute;
        return nullptr;
    }

    int32_t Evaluate(const std::wstring& xpath, std::vector<XmlNode>* nodes, bool firstOnly) {
        InitialiseLibrary();
        std::string expression = ToUtf8(xpath);
        xmlXPathContextPtr context = xmlXPathNewContext(tree_->doc);
        if (!context)
            return Platform::kEOutOfMemory;
        context->node = node_;
        context->error = &IgnoreError;
        xmlXPathObjectPtr result = xmlXPathEvalExpression(Utf8(expression), context);
        int32_t hr = kSOk;
        if (!result || result->type != XPATH_NODESET) {
            hr = kEFail;
        } else if (xmlNodeSetPtr set = result->nodesetval) {
            try {
                for (int i = 0; i < set->nodeNr; ++i) {
                    xmlNodePtr found = set->nodeTab[i];
                    if (!found || found->type == XML_NAMESPACE_DECL)
                        continue;
                    nodes->push_back(std::make_shared<SimXmlNode>(tree_, found));
                    if (firstOnly)
                        break;
                }
            } catch (const std::bad_alloc&) {
                hr = Platform::kEOutOfMemory;
            }
        }
        xmlXPathFreeObject(result);
        xmlXPathFreeContext(context);
        return hr;
    }

    std::shared_ptr<Tree> tree_;
    xmlNodePtr node_;
};

// Stops the parser at a document type declaration.
struct ParseState {
    bool doctype = false;
};

void OnDoctype(void* parser, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto context = static_cast<xmlParserCtxtPtr>(parser);
    static_cast<ParseState*>(context->_private)->doctype = true;
    xmlStopParser(context);
}

class SimXmlDocument final : public IXmlDocument {
public:
    explicit SimXmlDocument(std::shared_ptr<Tree> tree) : tree_(std::move(tree)) {}

    int32_t SetAsync(bool async) override { return async ? kEInvalidArg : kSOk; }
    int32_t SetValidateOnParse(bool) override { return kSOk; }
    int32_t SetResolveExternals(bool) override { return kSOk; }
    int32_t SetPreserveWhiteSpace(bool preserve) override {
        preserve_ = preserve;
        return kSOk;
    }

    int32_t Load(const std::wstring& path, bool* loaded) override {
        if (!loaded)
            return kEInvalidArg;
        *loaded = false;
        std::string native = NativePath(path);
        struct stat info;
        if (native.empty())
            return Refuse(kEPathNotFound, L"The file or its folder does not exist.");
        if (::stat(native.c_str(), &info) != 0) {
            if (errno == ENOENT || errno == ENOTDIR) {
                struct stat folder;
                bool folderExists =
                    ::stat(ParentOf(native).c_str(), &folder) == 0 && S_ISDIR(folder.st_mode);
                return Refuse(folderExists ? kEFileNotFound : kEPathNotFound,
                              L"The file or its folder does not exist.");
            }
            return Refuse(errno == EACCES ? kEAccessDenied : kEFail, L"The file cannot be read.");
        }
        if (S_ISDIR(info.st_mode))
            return Refuse(kEAccessDenied, L"The path names a folder.");
        if (static_cast<uint64_t>(info.st_size) > Platform::kMaxXmlDocumentSize)
            return Refuse(Platform::kEXmlTooLarge, L"The document is too large.");
        std::string bytes;
        FILE* file = std::fopen(native.c_str(), "rb");
        if (!file)
            return Refuse(errno == EACCES ? kEAccessDenied : kEFail, L"The file cannot be read.");
        char buffer[65536];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
            bytes.append(buffer, got);
            if (bytes.size() > Platform::kMaxXmlDocumentSize)
                break;
        }
        std::fclose(file);
        if (bytes.size() > Platform::kMaxXmlDocumentSize)
            return Refuse(Platform::kEXmlTooLarge, L"The document is too large.");
        return Parse(bytes, native, nullptr, Declared(bytes), loaded);
    }

    int32_t LoadXml(const std::wstring& text, bool* loaded) override {
        if (!loaded)
            return kEInvalidArg;
        *loaded = false;
        if (text.size() > Platform::kMaxXmlDocumentSize)
            return Refuse(Platform::kEXmlTooLarge, L"The document is too large.");
        return Parse(ToUtf8(text), std::string(), "UTF-8", text.rfind(L"<?xml", 0) == 0, loaded);
    }

    XmlParseError GetParseError() override { return error_; }

    int32_t Save(const std::wstring& path) override {
        InitialiseLibrary();
        std::string bytes;
        if (xmlDocGetRootElement(tree_->doc) || tree_->doc->children) {
            // The bytes are UTF-8, and so says the declaration, if any.
            if (tree_->doc->encoding)
                xmlFree(const_cast<xmlChar*>(tree_->doc->encoding));
            tree_->doc->encoding = xmlStrdup(BAD_CAST "UTF-8");
            xmlBufferPtr buffer = xmlBufferCreate();
            if (!buffer)
                return Platform::kEOutOfMemory;
            xmlSaveCtxtPtr save =
                xmlSaveToBuffer(buffer, "UTF-8", tree_->declaration ? 0 : XML_SAVE_NO_DECL);
            if (!save) {
                xmlBufferFree(buffer);
                return Platform::kEOutOfMemory;
            }
            long written = xmlSaveDoc(save, tree_->doc);
            xmlSaveClose(save);
            if (written >= 0)
                bytes.assign(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                             static_cast<size_t>(xmlBufferLength(buffer)));
            xmlBufferFree(buffer);
            if (written < 0)
                return kEFail;
        }
        std::string native = NativePath(path);
        FILE* file = native.empty() ? nullptr : std::fopen(native.c_str(), "wb");
        if (!file) {
            if (native.empty() || errno == ENOENT || errno == ENOTDIR)
                return kEPathNotFound;
            return errno == EACCES || errno == EISDIR ? kEAccessDenied : kEFail;
        }
        bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        ok = std::fclose(file) == 0 && ok;
        return ok ? kSOk : kEFail;
    }

    XmlNode Root() override {
        return std::make_shared<SimXmlNode>(tree_, reinterpret_cast<xmlNodePtr>(tree_->doc));
    }

    int32_t GetDocumentElement(XmlNode* element) override {
        if (!element)
            return kEInvalidArg;
        *element = nullptr;
        xmlNodePtr root = xmlDocGetRootElement(tree_->doc);
        if (!root)
            return kSFalse;
        *element = std::make_shared<SimXmlNode>(tree_, root);
        return kSOk;
    }

    int32_t CreateElement(const std::wstring& name, XmlNode* element) override {
        if (!element)
            return kEInvalidArg;
        *element = nullptr;
        std::string utf8 = ToUtf8(name);
        if (xmlValidateQName(Utf8(utf8), 0) != 0)
            return kEFail;
        xmlNodePtr node = xmlNewDocNode(tree_->doc, nullptr, Utf8(utf8), nullptr);
        if (!node)
            return Platform::kEOutOfMemory;
        tree_->detached.insert(node);
        *element = std::make_shared<SimXmlNode>(tree_, node);
        return kSOk;
    }

private:
    static bool Declared(const std::string& bytes) {
        size_t at = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
        if (bytes.compare(at, 5, "<?xml") == 0)
            return true;
        // UTF-16 with a byte order mark.
        static const char le[] = "\xFF\xFE<\0?\0x\0m\0l\0";
        static const char be[] = "\xFE\xFF\0<\0?\0x\0m\0l";
        return bytes.compare(0, sizeof le - 1, le, sizeof le - 1) == 0 ||
               bytes.compare(0, sizeof be - 1, be, sizeof be - 1) == 0;
    }

    int32_t Parse(const std::string& bytes, const std::string& url, const char* encoding,
                  bool declaration, bool* loaded) {
        InitialiseLibrary();
        xmlParserCtxtPtr parser = xmlNewParserCtxt();
        if (!parser)
            return Platform::kEOutOfMemory;
        ParseState state;
        parser->_private = &state;
        parser->sax->internalSubset = &OnDoctype;
        int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
        if (encoding)
            options |= XML_PARSE_IGNORE_ENC;
        xmlDocPtr doc = xmlCtxtReadMemory(parser, bytes.data(), static_cast<int>(bytes.size()),
                                          url.empty() ? nullptr : url.c_str(), encoding, options);
        bool wellFormed = doc && parser->wellFormed && !state.doctype;
        XmlParseError error;
        if (!wellFormed) {
            xmlErrorPtr last = xmlCtxtGetLastError(parser);
            error.errorCode = kEFail;
            error.reason = last && last->message
                               ? Wide(BAD_CAST last->message)
                               : std::wstring(L"The document is not well-formed.");
            while (!error.reason.empty() &&
                   (error.reason.back() == L'\n' || error.reason.back() == L' '))
                error.reason.pop_back();
            error.line = last ? last->line : 0;
            error.linePosition = last ? last->int2 : 0;
        }
        xmlFreeParserCtxt(parser);
        if (state.doctype) {
            xmlFreeDoc(doc);
            return Refuse(Platform::kEXmlDtdProhibited,
                          L"A document type declaration is not allowed.");
        }
        if (!wellFormed) {
            xmlFreeDoc(doc);
            return Refuse(error.errorCode, error.reason, error.line, error.linePosition);
        }
        std::shared_ptr<Tree> tree;
        try {
            tree = std::make_shared<Tree>(doc);
        } catch (const std::bad_alloc&) {
            xmlFreeDoc(doc);
            return Platform::kEOutOfMemory;
        }
        tree->declaration = declaration;
        tree->preserveWhiteSpace = preserve_;
        if (!preserve_)
            tree->DropWhiteSpace();
        tree_ = std::move(tree);
        error_ = XmlParseError();
        *loaded = true;
        return kSOk;
    }

    // A failed load: an empty document and the reason.
    int32_t Refuse(int32_t code, const std::wstring& reason, int32_t line = 0,
                   int32_t position = 0) {
        if (auto empty = Tree::Empty(preserve_))
            tree_ = std::move(empty);
        error_.errorCode = code;
        error_.reason = reason;
        error_.line = line;
        error_.linePosition = position;
        return kSFalse;
    }

    std::shared_ptr<Tree> tree_;
    XmlParseError error_;
    bool preserve_ = false;
};

class SimXml final : public Platform::IXml {
public:
    int32_t CreateDocument(std::unique_ptr<IXmlDocument>* document) override {
        if (!document)
            return kEInvalidArg;
        document->reset();
        if (!Detail::ComInitialized())
            return Platform::kCoENotInitialized;
        InitialiseLibrary();
        try {
            auto tree = Tree::Empty(false);
            if (!tree)
                return Platform::kEOutOfMemory;
            *document = std::make_unique<SimXmlDocument>(std::move(tree));
        } catch (const std::bad_alloc&) {
            return Platform::kEOutOfMemory;
        }
        return kSOk;
    }
};

}  // namespace
}  // namespace Orv::Sim

namespace Orv::Platform {

IXml& Xml() {
    static IXml* xml = new Sim::SimXml;
    return *xml;
}

}  // namespace Orv::Platform
