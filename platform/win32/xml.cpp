// The XML and COM ports on MSXML 6 through COM (the DOMDocument60 class).
#include "platform/xml.h"

#include <atomic>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "platform/com.h"
#include "platform/types.h"
#include "platform/win32/win32.h"

#include <msxml2.h>
#include <objbase.h>
#include <oleauto.h>

namespace Orv::Platform {

static_assert(kSFalse == S_FALSE && kEOutOfMemory == E_OUTOFMEMORY &&
              kENoInterface == E_NOINTERFACE && kCoENotInitialized == CO_E_NOTINITIALIZED);

namespace {

// The class and interface ids of MSXML 6 (the headers of the tool chain
// lack some of them).
constexpr GUID kClsidDomDocument60 = {
    0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
constexpr GUID kIidDomDocument = {
    0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
constexpr GUID kIidDomElement = {
    0x2933bf86, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
constexpr GUID kIidDomDocument2 = {
    0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

// An owned COM interface pointer.
template <typename T>
class Ref {
public:
    Ref() = default;
    explicit Ref(T* p) : p_(p) {}  // takes over a reference
    Ref(const Ref& other) : p_(other.p_) {
        if (p_)
            p_->AddRef();
    }
    Ref& operator=(Ref other) {
        std::swap(p_, other.p_);
        return *this;
    }
    ~Ref() {
        if (p_)
            p_->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** out() {
        *this = Ref();
        return &p_;
    }

private:
    T* p_ = nullptr;
};

// An owned BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring& text)
        : b_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { ::SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return b_; }
    BSTR* out() {
        ::SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    std::wstring str() const { return b_ ? std::wstring(b_, ::SysStringLen(b_)) : std::wstring(); }

private:
    BSTR b_ = nullptr;
};

// A VARIANT holding a string, freed at scope end.
class StringVariant {
public:
    explicit StringVariant(const std::wstring& text) {
        ::VariantInit(&v_);
        v_.vt = VT_BSTR;
        v_.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    ~StringVariant() { ::VariantClear(&v_); }
    StringVariant(const StringVariant&) = delete;
    StringVariant& operator=(const StringVariant&) = delete;
    bool ok() const { return v_.bstrVal != nullptr; }
    const VARIANT& get() const { return v_; }

private:
    VARIANT v_;
};

VARIANT BoolVariant(bool value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

// Whether text is an XML name (checked for ASCII; other characters are
// taken as name characters): not every DOM refuses a bad name itself, and a
// document saved with one would not load again.
bool IsXmlName(const std::wstring& text) {
    if (text.empty())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        bool start = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_' ||
                     c == L':' || c >= 0xC0;
        bool more = (c >= L'0' && c <= L'9') || c == L'-' || c == L'.' || c == 0xB7;
        if (!start && (i == 0 || !more))
            return false;
    }
    return true;
}

// Stands for one loaded tree of a document: nodes carry the tree they were
// found in, so that a node of another document or of a tree that a reload
// replaced is never appended (the DOM objects give no reliable identity of
// their document).
using Tree = std::shared_ptr<const int>;

class Win32XmlNode final : public IXmlNode {
public:
    Win32XmlNode(Ref<IXMLDOMNode> node, Tree tree)
        : node_(std::move(node)), tree_(std::move(tree)) {}

    IXMLDOMNode* raw() const { return node_.get(); }

    XmlNodeType NodeType() override {
        DOMNodeType type = NODE_INVALID;
        if (FAILED(node_->get_nodeType(&type)))
            return XmlNodeType::Invalid;
        return static_cast<XmlNodeType>(type);
    }

    std::wstring NodeName() override {
        Bstr name;
        if (FAILED(node_->get_nodeName(name.out())))
            return std::wstring();
        return name.str();
    }

    int32_t GetText(std::wstring* text) override {
        if (!text)
            return E_INVALIDARG;
        text->clear();
        Bstr value;
        HRESULT hr = node_->get_text(value.out());
        if (SUCCEEDED(hr))
            *text = value.str();
        return hr;
    }

    int32_t PutText(const std::wstring& text) override {
        Bstr value(text);
        if (!value.get() && !text.empty())
            return E_OUTOFMEMORY;
        return node_->put_text(value.get());
    }

    int32_t GetChildNodes(XmlNodeList* list) override {
        if (!list)
            return E_INVALIDARG;
        *list = XmlNodeList();
        // An attribute's value is its text; its text node is not handed out.
        DOMNodeType type = NODE_INVALID;
        if (SUCCEEDED(node_->get_nodeType(&type)) && type == NODE_ATTRIBUTE)
            return S_OK;
        Ref<IXMLDOMNodeList> children;
        HRESULT hr = node_->get_childNodes(children.out());
        if (FAILED(hr) || !children)
            return FAILED(hr) ? hr : E_FAIL;
        return Collect(children.get(), tree_, list);
    }

    int32_t GetAttribute(const std::wstring& name, std::wstring* value) override {
        if (!value)
            return E_INVALIDARG;
        value->clear();
        Ref<IXMLDOMElement> element;
        HRESULT hr = node_->QueryInterface(kIidDomElement, reinterpret_cast<void**>(element.out()));
        if (FAILED(hr))
            return hr;
        Bstr attribute(name);
        VARIANT v;
        ::VariantInit(&v);
        hr = element->getAttribute(attribute.get(), &v);
        if (hr == S_OK && v.vt == VT_BSTR && v.bstrVal)
            value->assign(v.bstrVal, ::SysStringLen(v.bstrVal));
        else if (hr == S_OK && v.vt != VT_BSTR)
            hr = S_FALSE;
        ::VariantClear(&v);
        return hr;
    }

    int32_t SetAttribute(const std::wstring& name, const std::wstring& value) override {
        Ref<IXMLDOMElement> element;
        HRESULT hr = node_->QueryInterface(kIidDomElement, reinterpret_cast<void**>(element.out()));
        if (FAILED(hr))
            return hr;
        if (!IsXmlName(name))
            return E_FAIL;
        Bstr attribute(name);
        StringVariant v(value);
        if (!attribute.get() || !v.ok())
            return E_OUTOFMEMORY;
        return element->setAttribute(attribute.get(), v.get());
    }

    int32_t AppendChild(const XmlNode& child) override {
        auto* other = dynamic_cast<Win32XmlNode*>(child.get());
        if (!other || other->tree_ != tree_)
            return E_INVALIDARG;
        // What the tree cannot hold is refused here: not every DOM refuses
        // it itself, and a cycle would hang every later walk of the tree.
        DOMNodeType parentType = NODE_INVALID;
        DOMNodeType childType = NODE_INVALID;
        if (FAILED(node_->get_nodeType(&parentType)) ||
            FAILED(other->node_->get_nodeType(&childType)))
            return E_FAIL;
        switch (childType) {
            case NODE_ELEMENT:
            case NODE_TEXT:
            case NODE_CDATA_SECTION:
            case NODE_COMMENT:
            case NODE_PROCESSING_INSTRUCTION:
                break;
            default:
                return E_INVALIDARG;
        }
        if (parentType == NODE_DOCUMENT) {
            if (childType == NODE_TEXT || childType == NODE_CDATA_SECTION)
                return E_INVALIDARG;
            Ref<IXMLDOMDocument> document;
            Ref<IXMLDOMElement> root;
            if (childType == NODE_ELEMENT &&
                SUCCEEDED(node_->QueryInterface(kIidDomDocument,
                                                reinterpret_cast<void**>(document.out()))) &&
                SUCCEEDED(document->get_documentElement(root.out())) && root &&
                !Within(root.get(), other->node_.get()))
                return E_INVALIDARG;
        } else if (parentType != NODE_ELEMENT) {
            return E_INVALIDARG;
        }
        if (childType == NODE_ELEMENT && Within(node_.get(), other->node_.get()))
            return E_INVALIDARG;
        Ref<IXMLDOMNode> appended;
        return node_->appendChild(other->node_.get(), appended.out());
    }

    int32_t SelectNodes(const std::wstring& xpath, XmlNodeList* list) override {
        if (!list)
            return E_INVALIDARG;
        *list = XmlNodeList();
        Bstr query(xpath);
        Ref<IXMLDOMNodeList> selected;
        HRESULT hr = node_->selectNodes(query.get(), selected.out());
        if (FAILED(hr))
            return hr;
        if (!selected)
            return E_FAIL;
        return Collect(selected.get(), tree_, list);
    }

    int32_t SelectSingleNode(const std::wstring& xpath, XmlNode* node) override {
        if (!node)
            return E_INVALIDARG;
        *node = nullptr;
        Bstr query(xpath);
        Ref<IXMLDOMNode> selected;
        HRESULT hr = node_->selectSingleNode(query.get(), selected.out());
        if (FAILED(hr))
            return hr;
        if (!selected)
            return S_FALSE;
        *node = std::make_shared<Win32XmlNode>(selected, tree_);
        return S_OK;
    }

    static int32_t Collect(IXMLDOMNodeList* nodes, const Tree& tree, XmlNodeList* list) {
        long length = 0;
        HRESULT hr = nodes->get_length(&length);
        if (FAILED(hr))
            return hr;
        std::vector<XmlNode> items;
        items.reserve(static_cast<size_t>(length > 0 ? length : 0));
        for (long i = 0; i < length; ++i) {
            Ref<IXMLDOMNode> item;
            hr = nodes->get_item(i, item.out());
            if (FAILED(hr))
                return hr;
            if (item)
                items.push_back(std::make_shared<Win32XmlNode>(item, tree));
        }
        *list = XmlNodeList(std::move(items));
        return S_OK;
    }

private:
    // Whether node is element or lies inside it.  The DOM objects give no
    // reliable identity, so the element is marked for a moment and looked
    // for among node's ancestors.
    static bool Within(IXMLDOMNode* node, IXMLDOMNode* element) {
        Ref<IXMLDOMElement> marked;
        if (FAILED(element->QueryInterface(kIidDomElement, reinterpret_cast<void**>(marked.out()))))
            return false;
        static std::atomic<unsigned> counter{0};
        const std::wstring value = std::to_wstring(++counter);
        Bstr name(L"orv-append-check");
        StringVariant mark(value);
        if (!name.get() || !mark.ok() || FAILED(marked->setAttribute(name.get(), mark.get())))
            return true;
        Bstr query(L"ancestor-or-self::*[@orv-append-check='" + value + L"']");
        Ref<IXMLDOMNode> found;
        HRESULT hr = node->selectSingleNode(query.get(), found.out());
        marked->removeAttribute(name.get());
        return FAILED(hr) || found;
    }

    Ref<IXMLDOMNode> node_;
    Tree tree_;
};

class Win32XmlDocument final : public IXmlDocument {
public:
    explicit Win32XmlDocument(Ref<IXMLDOMDocument2> document) : document_(std::move(document)) {}

    static HRESULT Create(Ref<IXMLDOMDocument2>* document) {
        HRESULT hr =
            ::CoCreateInstance(kClsidDomDocument60, nullptr, CLSCTX_INPROC_SERVER, kIidDomDocument2,
                               reinterpret_cast<void**>(document->out()));
        if (FAILED(hr))
            return hr;
        if (!*document)
            return E_FAIL;
        Bstr language(L"SelectionLanguage");
        StringVariant xpath(L"XPath");
        hr = (*document)->setProperty(language.get(), xpath.get());
        if (FAILED(hr))
            return hr;
        // Defences of MSXML 6 itself where it has them; the port checks size
        // and document type on its own as well.
        Bstr prohibitDtd(L"ProhibitDTD");
        (*document)->setProperty(prohibitDtd.get(), BoolVariant(true));
        Bstr maxSize(L"MaxXMLSize");
        VARIANT kilobytes;
        ::VariantInit(&kilobytes);
        kilobytes.vt = VT_I4;
        kilobytes.lVal = static_cast<LONG>(kMaxXmlDocumentSize / 1024u);
        (*document)->setProperty(maxSize.get(), kilobytes);
        (*document)->put_async(VARIANT_FALSE);
        (*document)->put_validateOnParse(VARIANT_FALSE);
        (*document)->put_resolveExternals(VARIANT_FALSE);
        (*document)->put_preserveWhiteSpace(VARIANT_FALSE);
        return S_OK;
    }

    int32_t SetAsync(bool async) override {
        if (async)
            return E_INVALIDARG;
        return document_->put_async(VARIANT_FALSE);
    }
    int32_t SetValidateOnParse(bool validate) override {
        validate_ = validate;
        return document_->put_validateOnParse(validate ? VARIANT_TRUE : VARIANT_FALSE);
    }
    int32_t SetResolveExternals(bool resolve) override {
        resolve_ = resolve;
        return document_->put_resolveExternals(resolve ? VARIANT_TRUE : VARIANT_FALSE);
    }
    int32_t SetPreserveWhiteSpace(bool preserve) override {
        preserve_ = preserve;
        return document_->put_preserveWhiteSpace(preserve ? VARIANT_TRUE : VARIANT_FALSE);
    }

    int32_t Load(const std::wstring& path, bool* loaded) override {
        if (!loaded)
            return E_INVALIDARG;
        *loaded = false;
        ownError_ = XmlParseError();
        tree_ = std::make_shared<const int>(0);
        // A missing file and its size are the port's own checks, so that
        // every backend reports them alike.
        WIN32_FILE_ATTRIBUTE_DATA attributes;
        // Only existing files: never a URL, which the DOM would fetch.
        if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes)) {
            DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND)
                return Refuse(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND),
                              L"The file or its folder does not exist.");
            if (error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
                error == ERROR_BAD_PATHNAME || error == ERROR_DIRECTORY)
                return Refuse(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND),
                              L"The file or its folder does not exist.");
            return Refuse(error ? HRESULT_FROM_WIN32(error) : E_FAIL, L"The file cannot be read.");
        } else if (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            return Refuse(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), L"The path names a folder.");
        } else if (attributes.nFileSizeHigh != 0 || attributes.nFileSizeLow > kMaxXmlDocumentSize) {
            return Refuse(kEXmlTooLarge, L"The document is too large.");
        }
        StringVariant source(path);
        if (!source.ok())
            return E_OUTOFMEMORY;
        VARIANT_BOOL success = VARIANT_FALSE;
        HRESULT hr = document_->load(source.get(), &success);
        return Loaded(hr, success, loaded);
    }

    int32_t LoadXml(const std::wstring& text, bool* loaded) override {
        if (!loaded)
            return E_INVALIDARG;
        *loaded = false;
        ownError_ = XmlParseError();
        tree_ = std::make_shared<const int>(0);
        if (text.size() > kMaxXmlDocumentSize)
            return Refuse(kEXmlTooLarge, L"The document is too large.");
        Bstr source(text);
        if (!source.get() && !text.empty())
            return E_OUTOFMEMORY;
        VARIANT_BOOL success = VARIANT_FALSE;
        HRESULT hr = document_->loadXML(source.get(), &success);
        return Loaded(hr, success, loaded);
    }

    XmlParseError GetParseError() override {
        if (ownError_.errorCode != 0)
            return ownError_;
        XmlParseError error;
        Ref<IXMLDOMParseError> parseError;
        if (FAILED(document_->get_parseError(parseError.out())) || !parseError)
            return error;
        long code = 0, line = 0, position = 0;
        parseError->get_errorCode(&code);
        parseError->get_line(&line);
        parseError->get_linepos(&position);
        Bstr reason;
        parseError->get_reason(reason.out());
        error.errorCode = static_cast<int32_t>(code);
        error.line = static_cast<int32_t>(line);
        error.linePosition = static_cast<int32_t>(position);
        error.reason = reason.str();
        while (!error.reason.empty() &&
               (error.reason.back() == L'\n' || error.reason.back() == L'\r' ||
                error.reason.back() == L' '))
            error.reason.pop_back();
        return error;
    }

    int32_t Save(const std::wstring& path) override {
        StringVariant destination(path);
        if (!destination.ok())
            return E_OUTOFMEMORY;
        return document_->save(destination.get());
    }

    XmlNode Root() override {
        document_->AddRef();
        return std::make_shared<Win32XmlNode>(
            Ref<IXMLDOMNode>(static_cast<IXMLDOMNode*>(document_.get())), tree_);
    }

    int32_t GetDocumentElement(XmlNode* element) override {
        if (!element)
            return E_INVALIDARG;
        *element = nullptr;
        Ref<IXMLDOMElement> root;
        HRESULT hr = document_->get_documentElement(root.out());
        if (FAILED(hr))
            return hr;
        if (!root)
            return S_FALSE;
        root->AddRef();
        *element = std::make_shared<Win32XmlNode>(
            Ref<IXMLDOMNode>(static_cast<IXMLDOMNode*>(root.get())), tree_);
        return S_OK;
    }

    int32_t CreateElement(const std::wstring& name, XmlNode* element) override {
        if (!element)
            return E_INVALIDARG;
        *element = nullptr;
        if (!IsXmlName(name))
            return E_FAIL;
        Bstr tag(name);
        Ref<IXMLDOMElement> created;
        HRESULT hr = document_->createElement(tag.get(), created.out());
        if (FAILED(hr))
            return hr;
        if (!created)
            return E_FAIL;
        created->AddRef();
        *element = std::make_shared<Win32XmlNode>(
            Ref<IXMLDOMNode>(static_cast<IXMLDOMNode*>(created.get())), tree_);
        return S_OK;
    }

private:
    HRESULT Loaded(HRESULT hr, VARIANT_BOOL success, bool* loaded) {
        if (FAILED(hr) || success != VARIANT_TRUE)
            return FAILED(hr) ? hr : S_FALSE;
        // A document type declaration is refused (MSXML 6 refuses it itself
        // while ProhibitDTD is set; not every implementation does).
        Ref<IXMLDOMDocumentType> doctype;
        if (SUCCEEDED(document_->get_doctype(doctype.out())) && doctype) {
            return Refuse(kEXmlDtdProhibited, L"A document type declaration is not allowed.");
        }
        *loaded = true;
        return S_OK;
    }

    // Fails a load the port refuses: an empty document (a fresh one, with
    // this one's settings) and the port's own parse error.
    HRESULT Refuse(int32_t code, const wchar_t* reason) {
        Ref<IXMLDOMDocument2> fresh;
        HRESULT hr = Create(&fresh);
        if (SUCCEEDED(hr)) {
            fresh->put_validateOnParse(validate_ ? VARIANT_TRUE : VARIANT_FALSE);
            fresh->put_resolveExternals(resolve_ ? VARIANT_TRUE : VARIANT_FALSE);
            fresh->put_preserveWhiteSpace(preserve_ ? VARIANT_TRUE : VARIANT_FALSE);
            document_ = fresh;
        }
        ownError_.errorCode = code;
        ownError_.reason = reason;
        ownError_.line = 0;
        ownError_.linePosition = 0;
        return S_FALSE;
    }

    Ref<IXMLDOMDocument2> document_;
    Tree tree_ = std::make_shared<const int>(0);
    XmlParseError ownError_;
    bool validate_ = false;
    bool resolve_ = false;
    bool preserve_ = false;
};

class Win32Xml final : public IXml {
public:
    int32_t CreateDocument(std::unique_ptr<IXmlDocument>* document) override {
        if (!document)
            return E_INVALIDARG;
        document->reset();
        Ref<IXMLDOMDocument2> created;
        HRESULT hr = Win32XmlDocument::Create(&created);
        if (FAILED(hr))
            return hr;
        try {
            *document = std::make_unique<Win32XmlDocument>(std::move(created));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }
};

class Win32Com final : public ICom {
public:
    int32_t InitializeCom() override { return ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void UninitializeCom() override { ::CoUninitialize(); }
};

}  // namespace

IXml& Xml() {
    static Win32Xml instance;
    return instance;
}

ICom& Com() {
    static Win32Com instance;
    return instance;
}

}  // namespace Orv::Platform
