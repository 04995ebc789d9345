// What every backend of the XML and COM ports must do: the DOM document
// behaviour that the configuration readers rely on.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/com.h"
#include "platform/xml.h"
#include "tests/ports/port_test_support.h"

namespace Orv::Platform {
namespace {

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// A folder of its own under the temporary folder, removed at scope end.
class TempFolder {
public:
    TempFolder() {
        // Random: the same test may run at once in another test program.
        path_ = std::filesystem::temp_directory_path() /
                ("orv-xml-" + std::to_string(std::random_device{}()) + "-" +
                 std::to_string(std::random_device{}()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    // A path inside, joined with a backslash as configuration paths are.
    std::wstring File(const std::wstring& name) const { return path_.wstring() + L"\\" + name; }
    std::filesystem::path Native(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

class XmlConformance : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Failed(Com().InitializeCom()));
        comInitialised_ = true;
        doc_ = NewDocument();
        ASSERT_TRUE(doc_);
    }
    void TearDown() override {
        doc_.reset();
        if (comInitialised_)
            Com().UninitializeCom();
    }

    // A document set up as the configuration readers set it up.
    static std::unique_ptr<IXmlDocument> NewDocument() {
        std::unique_ptr<IXmlDocument> doc;
        int32_t hr = Xml().CreateDocument(&doc);
        EXPECT_EQ(hr, kSOk);
        if (!doc)
            return doc;
        EXPECT_EQ(doc->SetAsync(false), kSOk);
        EXPECT_EQ(doc->SetValidateOnParse(false), kSOk);
        EXPECT_EQ(doc->SetResolveExternals(false), kSOk);
        return doc;
    }

    void LoadText(const std::wstring& text) {
        bool loaded = false;
        ASSERT_EQ(doc_->LoadXml(text, &loaded), kSOk) << Narrow(doc_->GetParseError().reason);
        ASSERT_TRUE(loaded);
    }

    XmlNode Single(const std::wstring& xpath) {
        XmlNode node;
        EXPECT_EQ(doc_->SelectSingleNode(xpath, &node), kSOk) << Narrow(xpath);
        return node;
    }

    std::wstring Text(const XmlNode& node) {
        std::wstring text = L"junk";
        EXPECT_EQ(node->GetText(&text), kSOk);
        return text;
    }

    static std::vector<std::wstring> Names(const XmlNodeList& list) {
        std::vector<std::wstring> names;
        for (size_t i = 0; i < list.Length(); ++i)
            names.push_back(list.Item(i)->NodeName());
        return names;
    }

    std::unique_ptr<IXmlDocument> doc_;
    bool comInitialised_ = false;
};

const wchar_t kProgramming[] =
    L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    L"<Profiles>\n"
    L"  <Wap>\n"
    L"    <WapProgramming Id=\"ABC\">\n"
    L"      <Lense><Id>EngineFire</Id><Colour>Red</Colour><Assignment>5</Assignment></Lense>\n"
    L"      <!-- the gear -->\n"
    L"      <Lense><Id>GearUnsafe</Id><Colour>Amber</Colour><Assignment> 7</Assignment></Lense>\n"
    L"    </WapProgramming>\n"
    L"    <WapProgramming Id=\"XYZ\">\n"
    L"      <Lense><Id>BeaconLight</Id></Lense>\n"
    L"    </WapProgramming>\n"
    L"    <WapProgramming Id=\"\"><Lense><Id>NoSerial</Id></Lense></WapProgramming>\n"
    L"  </Wap>\n"
    L"</Profiles>\n";

TEST_F(XmlConformance, SelectsNodeListsAndSingleNodesWithAttributePredicates) {
    LoadText(kProgramming);

    XmlNodeList lenses;
    ASSERT_EQ(doc_->SelectNodes(L"//Wap/WapProgramming[@Id='ABC']/Lense", &lenses), kSOk);
    ASSERT_EQ(lenses.Length(), 2u);
    EXPECT_EQ(lenses.Item(2), nullptr);
    XmlNodeList children;
    ASSERT_EQ(lenses.Item(1)->GetChildNodes(&children), kSOk);
    EXPECT_EQ(Names(children), (std::vector<std::wstring>{L"Id", L"Colour", L"Assignment"}));
    EXPECT_EQ(Text(children.Item(0)), L"GearUnsafe");
    EXPECT_EQ(Text(children.Item(2)), L"7");

    // Relative to a selected node, and the empty serial.
    XmlNodeList ids;
    ASSERT_EQ(lenses.Item(0)->SelectNodes(L"Id", &ids), kSOk);
    ASSERT_EQ(ids.Length(), 1u);
    EXPECT_EQ(Text(ids.Item(0)), L"EngineFire");
    XmlNode empty = Single(L"//Wap/WapProgramming[@Id='']/Lense/Id");
    ASSERT_TRUE(empty);
    EXPECT_EQ(Text(empty), L"NoSerial");

    // No match: an empty list, S_FALSE and null.
    ASSERT_EQ(doc_->SelectNodes(L"//Wap/WapProgramming[@Id='abc']/Lense", &lenses), kSOk);
    EXPECT_EQ(lenses.Length(), 0u);
    XmlNode none = doc_->Root();
    EXPECT_EQ(doc_->SelectSingleNode(L"//Gdp", &none), kSFalse);
    EXPECT_EQ(none, nullptr);

    // Every child element, and attributes as nodes.
    XmlNodeList sections;
    ASSERT_EQ(doc_->SelectNodes(L"//Profiles/Wap/*", &sections), kSOk);
    EXPECT_EQ(sections.Length(), 3u);
    XmlNodeList attributes;
    ASSERT_EQ(doc_->SelectNodes(L"//WapProgramming/@Id", &attributes), kSOk);
    ASSERT_EQ(attributes.Length(), 3u);
    EXPECT_EQ(attributes.Item(1)->NodeType(), XmlNodeType::Attribute);
    EXPECT_EQ(attributes.Item(1)->NodeName(), L"Id");
    EXPECT_EQ(Text(attributes.Item(1)), L"XYZ");
}

TEST_F(XmlConformance, BadExpressionsFail) {
    LoadText(kProgramming);
    for (const wchar_t* xpath : {L"//Wap[", L"//Wap/WapProgramming[@Id='ABC]", L"count(//Lense)",
                                 L"string(//Id)", L"", L"1 + 1"}) {
        XmlNodeList list;
        EXPECT_TRUE(Failed(doc_->SelectNodes(xpath, &list))) << Narrow(xpath);
        EXPECT_EQ(list.Length(), 0u);
        XmlNode node;
        EXPECT_TRUE(Failed(doc_->SelectSingleNode(xpath, &node))) << Narrow(xpath);
        EXPECT_EQ(node, nullptr);
    }
}

TEST_F(XmlConformance, XPathLiteralsSelectAnyValue) {
    const std::wstring values[] = {L"ABC",  L"",   L"O'Neil",   L"say \"hi\"", L"it's \"x\"",
                                   L"'\"'", L"''", L"a'b'c\"d", L"\"'"};
    std::wstring xml = L"<List>";
    for (size_t i = 0; i < std::size(values); ++i) {
        std::wstring escaped;
        for (wchar_t c : values[i])
            escaped += c == L'"' ? std::wstring(L"&quot;") : std::wstring(1, c);
        xml += L"<Gdp Serial=\"" + escaped + L"\" Name=\"g" + std::to_wstring(i) + L"\"/>";
    }
    LoadText(xml + L"</List>");
    for (size_t i = 0; i < std::size(values); ++i) {
        std::wstring xpath = L"//List/Gdp[@Serial=" + XPathLiteral(values[i]) + L"]";
        XmlNodeList list;
        ASSERT_EQ(doc_->SelectNodes(xpath, &list), kSOk) << Narrow(xpath);
        ASSERT_EQ(list.Length(), 1u) << Narrow(xpath);
        std::wstring name;
        EXPECT_EQ(list.Item(0)->GetAttribute(L"Name", &name), kSOk);
        EXPECT_EQ(name, L"g" + std::to_wstring(i)) << Narrow(xpath);
    }
    EXPECT_EQ(XPathLiteral(L"a'b\"c"), L"concat('a', \"'\", 'b\"c')");
}

TEST_F(XmlConformance, ChildNodesKeepCommentsAndDropWhiteSpaceOnlyText) {
    LoadText(
        L"<Root>\n  <!-- note -->\n  <A/>\n  text <![CDATA[ <raw> ]]>\n  <?pi data?>\n"
        L"  <![CDATA[ ]]>\n</Root>");
    XmlNode root;
    ASSERT_EQ(doc_->GetDocumentElement(&root), kSOk);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->NodeType(), XmlNodeType::Element);
    XmlNodeList children;
    ASSERT_EQ(root->GetChildNodes(&children), kSOk);
    EXPECT_EQ(Names(children),
              (std::vector<std::wstring>{L"#comment", L"A", L"#text", L"#cdata-section", L"pi",
                                         L"#cdata-section"}));
    const XmlNodeType types[] = {XmlNodeType::Comment,
                                 XmlNodeType::Element,
                                 XmlNodeType::Text,
                                 XmlNodeType::CDataSection,
                                 XmlNodeType::ProcessingInstruction,
                                 XmlNodeType::CDataSection};
    for (size_t i = 0; i < children.Length() && i < std::size(types); ++i)
        EXPECT_EQ(children.Item(i)->NodeType(), types[i]) << i;
    EXPECT_EQ(doc_->Root()->NodeType(), XmlNodeType::Document);
    EXPECT_EQ(doc_->Root()->NodeName(), L"#document");

    // Preserved white space keeps every text node.
    auto preserving = NewDocument();
    ASSERT_EQ(preserving->SetPreserveWhiteSpace(true), kSOk);
    bool loaded = false;
    ASSERT_EQ(preserving->LoadXml(L"<R>\n <!--c-->\n <A/>\n</R>", &loaded), kSOk);
    XmlNode preservedRoot;
    ASSERT_EQ(preserving->GetDocumentElement(&preservedRoot), kSOk);
    ASSERT_EQ(preservedRoot->GetChildNodes(&children), kSOk);
    EXPECT_EQ(Names(children),
              (std::vector<std::wstring>{L"#text", L"#comment", L"#text", L"A", L"#text"}));
    ASSERT_EQ(preserving->LoadXml(L"<R>\n <A> x </A>\n</R>", &loaded), kSOk);
    ASSERT_EQ(preserving->GetDocumentElement(&preservedRoot), kSOk);
    std::wstring text;
    EXPECT_EQ(preservedRoot->GetText(&text), kSOk);
    EXPECT_EQ(text, L"\n  x \n");
}

TEST_F(XmlConformance, TextOfNodes) {
    struct Case {
        const wchar_t* xml;
        const wchar_t* xpath;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"<a>Red</a>", L"/a", L"Red"},
        {L"<a>  Red  </a>", L"/a", L"Red"},
        {L"<a>\n\t 7a \r\n</a>", L"/a", L"7a"},
        {L"<a>one  two</a>", L"/a", L"one  two"},
        {L"<a/>", L"/a", L""},
        {L"<a>   </a>", L"/a", L""},
        {L"<a>x<!-- c -->y</a>", L"/a", L"xy"},
        {L"<a><b>x</b><c>y</c></a>", L"/a", L"xy"},
        {L"<a>\n  <b>x</b>\n  <c>y</c>\n</a>", L"/a", L"x y"},
        {L"<a> x <b> y </b> z </a>", L"/a", L"x  y  z"},
        {L"<a>x<b> y</b></a>", L"/a", L"x y"},
        {L"<a>x  <b></b>  y</a>", L"/a", L"x    y"},
        // Dropped white space between pieces: one blank.
        {L"<a>x<b> </b>y</a>", L"/a", L"x y"},
        {L"<a>x<c>  </c><d>  </d>y</a>", L"/a", L"x y"},
        {L"<a><b>x</b>\n<c/>\n<d>y</d></a>", L"/a", L"x y"},
        {L"<a>x<!--c-->\n<b>y</b></a>", L"/a", L"x y"},
        {L"<a>x <c> </c>y</a>", L"/a", L"x  y"},
        {L"<a><b> </b>x<b/>\n</a>", L"/a", L"x"},
        {L"<a>x <!--c--> y</a>", L"/a", L"x  y"},
        {L"<a>x\n<!--c-->\ny</a>", L"/a", L"x\n\ny"},
        {L"<a>x <?p d?> y</a>", L"/a", L"x  y"},
        {L"<a> <![CDATA[ c ]]> </a>", L"/a", L" c "},
        {L"<a>x<![CDATA[  ]]>y</a>", L"/a", L"x  y"},
        {L"<a>\u00a0x\u00a0</a>", L"/a", L"\u00a0x\u00a0"},
        {L"<a xml:space='preserve'> x <b> y </b> </a>", L"/a", L" x  y  "},
        {L"<a>x<b>y</b>z</a>", L"/", L"xyz"},
        {L"<a> t </a>", L"/a/text()", L"t"},
        {L"<a><?p  some data ?></a>", L"/a/processing-instruction()", L"some data "},
        {L"<a>x <b>y</b></a>", L"/a", L"x y"},
        {L"<a><![CDATA[ raw ]]></a>", L"/a", L" raw "},
        {L"<a>1 &lt; 2 &amp; &#x41;</a>", L"/a", L"1 < 2 & A"},
        {L"<a><!-- only --></a>", L"/a/comment()", L" only "},
        {L"<a k=' v '/>", L"/a/@k", L" v "},
        {L"<a>caf\u00e9 \u6771</a>", L"/a", L"caf\u00e9 \u6771"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.xml));
        LoadText(c.xml);
        XmlNode node = Single(c.xpath);
        ASSERT_TRUE(node);
        EXPECT_EQ(Narrow(Text(node)), Narrow(c.text));
        EXPECT_EQ(Text(node), c.text);
    }
}

TEST_F(XmlConformance, AttributesPresentAndAbsent) {
    LoadText(
        L"<GaugeList><Gauge File='a.xml' Empty='' Tab='x&#9;y'><B Id='3'/></Gauge></GaugeList>");
    XmlNode gauge = Single(L"//GaugeList/Gauge");
    ASSERT_TRUE(gauge);
    std::wstring value = L"junk";
    EXPECT_EQ(gauge->GetAttribute(L"File", &value), kSOk);
    EXPECT_EQ(value, L"a.xml");
    EXPECT_EQ(gauge->GetAttribute(L"Empty", &value), kSOk);
    EXPECT_EQ(value, L"");
    EXPECT_EQ(gauge->GetAttribute(L"Tab", &value), kSOk);
    EXPECT_EQ(value, L"x\ty");
    value = L"junk";
    EXPECT_EQ(gauge->GetAttribute(L"file", &value), kSFalse);
    EXPECT_EQ(value, L"");
    EXPECT_EQ(gauge->GetAttribute(L"Missing", &value), kSFalse);

    // Not an element.
    XmlNodeList children;
    LoadText(L"<a>text</a>");
    ASSERT_EQ(Single(L"/a")->GetChildNodes(&children), kSOk);
    ASSERT_EQ(children.Length(), 1u);
    EXPECT_TRUE(Failed(children.Item(0)->GetAttribute(L"x", &value)));
    EXPECT_TRUE(Failed(doc_->Root()->GetAttribute(L"x", &value)));
}

TEST_F(XmlConformance, NotWellFormedInputFailsAndLeavesAnEmptyDocument) {
    const wchar_t* inputs[] = {
        L"",
        L"just text",
        L"<a>",
        L"<a></b>",
        L"<a/><b/>",
        L"<a x='1' x='2'/>",
        L"<a>&undefined;</a>",
        L"<a>\u0001</a>",
        L"<!DOCTYPE a [<!ENTITY e 'boom'>]><a>&e;</a>",
        L"<!DOCTYPE a SYSTEM 'http://localhost:1/a.dtd'><a/>",
        L"<?xml version='1.0'?><a><b></a>",
    };
    for (const wchar_t* input : inputs) {
        SCOPED_TRACE(Narrow(input));
        LoadText(L"<Previous/>");
        bool loaded = true;
        EXPECT_EQ(doc_->LoadXml(input, &loaded), kSFalse);
        EXPECT_FALSE(loaded);
        XmlParseError error = doc_->GetParseError();
        EXPECT_TRUE(Failed(error.errorCode)) << std::hex << error.errorCode;
        EXPECT_FALSE(error.reason.empty());
        XmlNode root;
        EXPECT_EQ(doc_->GetDocumentElement(&root), kSFalse);
        XmlNodeList list;
        EXPECT_EQ(doc_->SelectNodes(L"//*", &list), kSOk);
        EXPECT_EQ(list.Length(), 0u);
    }

    // The line of the fault, for the trace, where the parser tells it.
    bool loaded = true;
    EXPECT_EQ(doc_->LoadXml(L"<a>\n<b>\n</c>\n</a>", &loaded), kSFalse);
    int32_t line = doc_->GetParseError().line;
    EXPECT_TRUE(line == 3 || line == 0) << line;
    // A good load clears the error.
    LoadText(L"<a/>");
    EXPECT_EQ(doc_->GetParseError().errorCode, 0);
}

TEST_F(XmlConformance, LoadsFilesAndFailsForMissingOnes) {
    TempFolder folder;
    {
        std::ofstream out(folder.Native("WapProgramming.xml"), std::ios::binary);
        out << "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
               "<Wap><WapProgramming Id=\"S1\"><Lense><Id>Caf\xC3\xA9</Id></Lense>"
               "</WapProgramming></Wap>\r\n";
        std::ofstream latin(folder.Native("latin.xml"), std::ios::binary);
        latin << "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>caf\xE9</a>";
        std::ofstream bad(folder.Native("bad.xml"), std::ios::binary);
        bad << "<Wap><WapProgramming></Wap>";
    }
    bool loaded = false;
    ASSERT_EQ(doc_->Load(folder.File(L"WapProgramming.xml"), &loaded), kSOk);
    EXPECT_TRUE(loaded);
    XmlNode id = Single(L"//Wap/WapProgramming[@Id='S1']/Lense/Id");
    ASSERT_TRUE(id);
    EXPECT_EQ(Text(id), L"Caf\u00e9");

    ASSERT_EQ(doc_->Load(folder.File(L"latin.xml"), &loaded), kSOk);
    EXPECT_EQ(Text(Single(L"/a")), L"caf\u00e9");

    EXPECT_EQ(doc_->Load(folder.File(L"bad.xml"), &loaded), kSFalse);
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(Failed(doc_->GetParseError().errorCode));

    // Missing files and folders, and what is no file, fail as loads do.
    struct Missing {
        std::wstring path;
        int32_t errorCode;
    };
    const Missing missing[] = {
        {folder.File(L"Missing.xml"), static_cast<int32_t>(0x80070002u)},
        {folder.File(L"NoFolder\\Missing.xml"), static_cast<int32_t>(0x80070003u)},
        {std::wstring(), static_cast<int32_t>(0x80070003u)},
        {L"http://127.0.0.1:9/WapProgramming.xml", static_cast<int32_t>(0x80070003u)},
    };
    for (const Missing& m : missing) {
        SCOPED_TRACE(Narrow(m.path));
        loaded = true;
        EXPECT_EQ(doc_->Load(m.path, &loaded), kSFalse);
        EXPECT_FALSE(loaded);
        XmlParseError error = doc_->GetParseError();
        EXPECT_EQ(error.errorCode, m.errorCode) << std::hex << error.errorCode;
        EXPECT_FALSE(error.reason.empty());
    }
    // A folder is no document.
    std::wstring self = folder.File(L"");
    self.pop_back();
    EXPECT_EQ(doc_->Load(self, &loaded), kSFalse);
    EXPECT_TRUE(Failed(doc_->GetParseError().errorCode));
}

TEST_F(XmlConformance, CreatesAppendsSavesAndReadsBack) {
    TempFolder folder;
    const std::wstring path = folder.File(L"XValduraGdp.xml");
    bool loaded = true;
    EXPECT_NE(doc_->Load(path, &loaded), kSOk);
    LoadText(L"<GdpList> </GdpList>");
    ASSERT_EQ(doc_->Save(path), kSOk);
    ASSERT_EQ(doc_->Load(path, &loaded), kSOk);

    XmlNode list;
    ASSERT_EQ(doc_->GetDocumentElement(&list), kSOk);
    for (const wchar_t* serial : {L"S1", L"O'Neil & \"Co\" <2>"}) {
        XmlNode gdp;
        ASSERT_EQ(doc_->CreateElement(L"Gdp", &gdp), kSOk);
        ASSERT_TRUE(gdp);
        EXPECT_EQ(gdp->NodeName(), L"Gdp");
        ASSERT_EQ(gdp->SetAttribute(L"Serial", serial), kSOk);
        ASSERT_EQ(gdp->SetAttribute(L"Name", L"Altimeter"), kSOk);
        ASSERT_EQ(list->AppendChild(gdp), kSOk);
    }
    XmlNode note;
    ASSERT_EQ(doc_->CreateElement(L"Note", &note), kSOk);
    ASSERT_EQ(note->PutText(L" caf\u00e9 & more "), kSOk);
    ASSERT_EQ(list->AppendChild(note), kSOk);
    ASSERT_EQ(doc_->Save(path), kSOk);

    auto again = NewDocument();
    ASSERT_EQ(again->Load(path, &loaded), kSOk);
    XmlNodeList entries;
    ASSERT_EQ(again->SelectNodes(L"//GdpList/*", &entries), kSOk);
    EXPECT_EQ(Names(entries), (std::vector<std::wstring>{L"Gdp", L"Gdp", L"Note"}));
    XmlNode second;
    ASSERT_EQ(again->SelectSingleNode(
                  L"//GdpList/Gdp[@Serial=" + XPathLiteral(L"O'Neil & \"Co\" <2>") + L"]", &second),
              kSOk);
    std::wstring name;
    EXPECT_EQ(second->GetAttribute(L"Name", &name), kSOk);
    EXPECT_EQ(name, L"Altimeter");
    XmlNode readNote;
    ASSERT_EQ(again->SelectSingleNode(L"//Note", &readNote), kSOk);
    std::wstring text;
    EXPECT_EQ(readNote->GetText(&text), kSOk);
    EXPECT_EQ(text, L"caf\u00e9 & more");

    // Changing an attribute in place, and text replacing children.
    ASSERT_EQ(second->SetAttribute(L"Name", L"Compass"), kSOk);
    EXPECT_EQ(second->GetAttribute(L"Name", &name), kSOk);
    EXPECT_EQ(name, L"Compass");
    XmlNode root;
    ASSERT_EQ(again->GetDocumentElement(&root), kSOk);
    ASSERT_EQ(root->PutText(L"gone"), kSOk);
    XmlNodeList children;
    ASSERT_EQ(root->GetChildNodes(&children), kSOk);
    EXPECT_EQ(Names(children), std::vector<std::wstring>{L"#text"});
    // The detached node is still safe to use.
    EXPECT_EQ(second->GetAttribute(L"Name", &name), kSOk);

    // A file in a folder that does not exist cannot be saved.
    EXPECT_TRUE(Failed(doc_->Save(folder.File(L"NoFolder\\XValduraGdp.xml"))));
}

TEST_F(XmlConformance, EditsRefuseWhatAWellFormedDocumentCannotHold) {
    LoadText(L"<a><b>text</b></a>");
    XmlNode a = Single(L"/a");
    XmlNode b = Single(L"/a/b");
    XmlNode text = Single(L"/a/b/text()");
    XmlNode c;
    ASSERT_EQ(doc_->CreateElement(L"c", &c), kSOk);
    EXPECT_TRUE(Failed(b->AppendChild(a)));             // an ancestor
    EXPECT_TRUE(Failed(b->AppendChild(b)));             // itself
    EXPECT_TRUE(Failed(text->AppendChild(c)));          // under text
    EXPECT_TRUE(Failed(doc_->Root()->AppendChild(c)));  // a second document element
    EXPECT_TRUE(Failed(a->AppendChild(nullptr)));
    for (const wchar_t* name : {L"", L"1bad", L"a b", L"a<b", L"-a"}) {
        XmlNode bad;
        EXPECT_TRUE(Failed(doc_->CreateElement(name, &bad))) << Narrow(name);
        EXPECT_EQ(bad, nullptr);
        EXPECT_TRUE(Failed(b->SetAttribute(name, L"v"))) << Narrow(name);
    }
    auto other = NewDocument();
    XmlNode foreign;
    ASSERT_EQ(other->CreateElement(L"f", &foreign), kSOk);
    EXPECT_TRUE(Failed(a->AppendChild(foreign)));

    // Appending a node that has a parent moves it.
    ASSERT_EQ(a->AppendChild(c), kSOk);
    ASSERT_EQ(c->AppendChild(b), kSOk);
    XmlNodeList all;
    ASSERT_EQ(doc_->SelectNodes(L"//*", &all), kSOk);
    EXPECT_EQ(Names(all), (std::vector<std::wstring>{L"a", L"c", L"b"}));
    EXPECT_EQ(Text(a), L"text");
}

TEST_F(XmlConformance, NodesOutliveTheirDocument) {
    LoadText(kProgramming);
    XmlNode lense = Single(L"//WapProgramming[@Id='XYZ']/Lense");
    ASSERT_TRUE(lense);
    LoadText(L"<Other/>");
    EXPECT_EQ(Text(lense), L"BeaconLight");
    doc_.reset();
    XmlNodeList children;
    ASSERT_EQ(lense->GetChildNodes(&children), kSOk);
    EXPECT_EQ(Names(children), std::vector<std::wstring>{L"Id"});
}

TEST_F(XmlConformance, HugeAndDeepInputIsRefusedWithoutHarm) {
    bool loaded = true;
    std::wstring huge = L"<a>" + std::wstring(kMaxXmlDocumentSize, L'x') + L"</a>";
    EXPECT_EQ(doc_->LoadXml(huge, &loaded), kSFalse);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(doc_->GetParseError().errorCode, kEXmlTooLarge);

    TempFolder folder;
    {
        std::ofstream out(folder.Native("huge.xml"), std::ios::binary);
        std::string text = "<a>" + std::string(kMaxXmlDocumentSize, 'x') + "</a>";
        out << text;
    }
    EXPECT_EQ(doc_->Load(folder.File(L"huge.xml"), &loaded), kSFalse);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(doc_->GetParseError().errorCode, kEXmlTooLarge);

    // Nesting far beyond any configuration file.
    std::wstring deep;
    for (int i = 0; i < 20000; ++i)
        deep += L"<d>";
    for (int i = 0; i < 20000; ++i)
        deep += L"</d>";
    EXPECT_EQ(doc_->LoadXml(deep, &loaded), kSFalse);
    EXPECT_FALSE(loaded);

    // Many attributes and siblings are fine.
    std::wstring wide = L"<a>";
    for (int i = 0; i < 20000; ++i)
        wide += L"<b i='" + std::to_wstring(i) + L"'/>";
    LoadText(wide + L"</a>");
    XmlNodeList list;
    ASSERT_EQ(doc_->SelectNodes(L"/a/b[@i > 19990]", &list), kSOk);
    EXPECT_EQ(list.Length(), 9u);
}

TEST(XmlComConformance, DocumentsNeedComOnTheCallingThread) {
    PortTest::PortThread thread([] {
        std::unique_ptr<IXmlDocument> doc;
        int32_t without = Xml().CreateDocument(&doc);
        if (without != kCoENotInitialized || doc)
            return 1u;
        if (Failed(Com().InitializeCom()))
            return 2u;
        int32_t again = Com().InitializeCom();
        int32_t with = Xml().CreateDocument(&doc);
        bool ok = with == kSOk && doc != nullptr;
        doc.reset();
        Com().UninitializeCom();
        if (again == kSFalse)
            Com().UninitializeCom();
        return again == kSFalse && ok ? 0u : 3u;
    });
    ASSERT_TRUE(thread.handle());
    ASSERT_EQ(thread.Join(), kWaitObject0);
    EXPECT_EQ(thread.ExitCode(), 0u);
}

}  // namespace
}  // namespace Orv::Platform
