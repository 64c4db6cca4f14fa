#include "common/xmlobj.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kLanguageDoc =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!-- language file -->\n"
    "<pelmora>\n"
    "  <Language><English>English</English><Chinese-Simplified>简体中文</Chinese-Simplified>"
    "</Language>\n"
    "  <Messagedlg><FrmMain><keyWord4 English=\"attr\"><English>Search done</English></keyWord4>"
    "<keyWord5><English></English></keyWord5></FrmMain></Messagedlg>\n"
    "  <Twin><Other>x</Other></Twin>\n"
    "  <Twin><Leaf>second</Leaf></Twin>\n"
    "  <Attr Leaf=\"attribute\"><Leaf2>y</Leaf2></Attr>\n"
    "  <a><b><c><d><e><f>six</f><g>seven</g></e></d></c></b></a>\n"
    "  <base><devicemodel><1><name>534950353230</name></1><007>x</007><2>two</2></devicemodel>"
    "</base>\n"
    "  <Mixed>one<![CDATA[<two>]]>&amp;three<!-- c --></Mixed>\n"
    "</pelmora>\n";

TMyXmlobj Loaded(std::string_view doc) {
    TMyXmlobj xml;
    EXPECT_TRUE(xml.LoadFromBytes(doc));
    return xml;
}

std::string Read(const TMyXmlobj& xml, std::string_view path) {
    return xml.ReadValue(path, "<default>");
}

TEST(XmlPath, ReadValueFollowsThePathRules) {
    TMyXmlobj xml;
    ASSERT_TRUE(xml.LoadFromBytes(kLanguageDoc));
    struct Case {
        const char* path;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"Pelmora/Language/English", "English"},
        {"PELMORA/language/ENGLISH", "English"},                  // case-insensitive both ways
        {"Pelmora/Language/Chinese-Simplified", "简体中文"},      // UTF-8 out
        {" \t\r\nPelmora/Language/English\x01\x1f ", "English"},  // trimmed below code 33
        {"Pelmora/Messagedlg/FrmMain/keyWord4/English", "Search done"},
        {"Pelmora/Messagedlg/FrmMain/keyWord5/English", ""},  // exists, no text: empty
        {"Pelmora/Messagedlg/FrmMain/keyWord6/English", "<default>"},
        {"Pelmora", "<default>"},   // the root alone finds nothing
        {"Pelmora/", "<default>"},  // so does an empty second component
        {"Pelmora//Language", "<default>"},
        {"Pelmora/Language//English", ""},  // empty component ends the path: Language itself
        {"Pelmora/Language/English//ignored", "English"},
        {"Other/Language/English", "<default>"},  // root name differs
        {"", "<default>"},
        {"Pelmora/Twin/Leaf", "second"},  // depth-first: first sibling holding the rest wins
        {"Pelmora/Twin/Other", "x"},
        {"Pelmora/Attr/Leaf", "<default>"},  // attributes are not elements
        {"Pelmora/Messagedlg/FrmMain/keyWord4/English/extra", "<default>"},
        {"Pelmora/a/b/c/d/e", ""},
        {"Pelmora/a/b/c/d/e/f", ""},  // seventh component ignored: addresses e
        {"Pelmora/a/b/c/d/e/g", ""},
        {"Pelmora/base/devicemodel/1/name", "534950353230"},  // digits-only element names
        {"Pelmora/base/devicemodel/2", "two"},
        {"Pelmora/base/devicemodel/7", "<default>"},  // 007 is not 7
        {"Pelmora/base/devicemodel/007", "x"},
        {"Pelmora/Mixed", "one<two>&three"},  // text and CDATA joined, entities decoded
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Read(xml, c.path), c.expected) << "path: " << c.path;
    }
}

TEST(XmlPath, FindElementAndElementOperations) {
    TMyXmlobj xml;
    ASSERT_TRUE(xml.LoadFromBytes(kLanguageDoc));
    EXPECT_FALSE(xml.FindElement("Pelmora"));
    EXPECT_FALSE(xml.FindElement("Pelmora/Nothing"));

    TXmlElement language = xml.FindElement("pelmora/language");
    ASSERT_TRUE(language);
    EXPECT_EQ(language.Name(), "Language");
    EXPECT_EQ(language.ElementChildCount(), 2u);
    EXPECT_EQ(language.ElementChild(1).Name(), "Chinese-Simplified");
    EXPECT_EQ(language.ElementChild(1).Text(), "简体中文");
    EXPECT_FALSE(language.ElementChild(2));

    // Child nodes in document order, elements or not.
    TXmlElement mixed = xml.FindElement("Pelmora/Mixed");
    ASSERT_EQ(mixed.ChildNodeCount(), 4u);  // text, CDATA, text, comment
    EXPECT_FALSE(mixed.ChildNode(0).IsElement());
    EXPECT_EQ(mixed.ChildNode(0).Text(), "one");
    EXPECT_FALSE(mixed.ChildNode(1).IsElement());
    EXPECT_FALSE(mixed.ChildNode(3).IsElement());
    EXPECT_FALSE(mixed.ChildNode(4));
    EXPECT_EQ(mixed.ElementChildCount(), 0u);

    // The line breaks and indentation between the root's elements are no child nodes.
    EXPECT_EQ(xml.Root().ChildNodeCount(), 8u);
    EXPECT_EQ(xml.Root().ElementChildCount(), 8u);

    TXmlElement models = xml.FindElement("Pelmora/base/devicemodel");
    ASSERT_EQ(models.ElementChildCount(), 3u);
    EXPECT_EQ(models.ElementChild(0).Name(), "1");
    EXPECT_EQ(models.ElementChild(1).Name(), "007");
    EXPECT_TRUE(models.ChildNode(0).IsElement());

    TXmlElement none;
    EXPECT_EQ(none.Name(), "");
    EXPECT_EQ(none.Text(), "");
    EXPECT_EQ(none.ChildNodeCount(), 0u);
    EXPECT_FALSE(none.ElementChild(0));
}

TEST(XmlPath, EmptyRootAndNoDocumentAnswerNothing) {
    for (const char* doc : {"<Pelmora/>", "<Pelmora></Pelmora>"}) {
        TMyXmlobj xml;
        ASSERT_TRUE(xml.LoadFromBytes(doc)) << doc;
        EXPECT_EQ(Read(xml, "Pelmora/Language"), "<default>") << doc;
        EXPECT_EQ(Read(xml, "Pelmora"), "<default>") << doc;
    }
    TMyXmlobj nothing;
    EXPECT_FALSE(nothing.IsLoaded());
    EXPECT_EQ(Read(nothing, "Pelmora/Language"), "<default>");
    EXPECT_FALSE(nothing.FindElement("Pelmora/Language"));
}

TEST(XmlObject, StartsWithTheDefaultTranslationState) {
    TMyXmlobj xml;
    EXPECT_EQ(xml.LanguageIndex(), 0u);
    EXPECT_EQ(xml.LanguageName(), "Chinese-Simplified");
    EXPECT_EQ(xml.FormName(), "noform");
    EXPECT_EQ(xml.FileName(), "");
    xml.SetLanguageIndex(2);
    xml.SetLanguageName("English");
    xml.SetFormName("TFrmMain");
    EXPECT_EQ(xml.LanguageIndex(), 2u);
    EXPECT_EQ(xml.LanguageName(), "English");
    EXPECT_EQ(xml.FormName(), "TFrmMain");
}

class XmlFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("xmlobj_test_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::filesystem::path dir_;
};

TEST_F(XmlFileTest, LoadRemembersThePathAndMissingFileChangesNothing) {
    TMyXmlobj xml;
    const std::string good = Write("good.xml", "<Pelmora><Language>x</Language></Pelmora>");
    EXPECT_TRUE(xml.Load(good));
    EXPECT_EQ(xml.FileName(), good);
    EXPECT_EQ(Read(xml, "Pelmora/Language"), "x");

    EXPECT_TRUE(xml.Load((dir_ / "missing.xml").string()));
    EXPECT_EQ(xml.FileName(), good);
    EXPECT_EQ(Read(xml, "Pelmora/Language"), "x");
}

std::string Nested(int levels) {
    std::string doc;
    for (int i = 0; i < levels; ++i)
        doc += "<a>";
    for (int i = 0; i < levels; ++i)
        doc += "</a>";
    return doc;
}

// Every hostile input ends as "not loaded" and keeps the previous document answering.
TEST_F(XmlFileTest, HostileFilesAreRefusedAndKeepTheOldDocument) {
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary.push_back(static_cast<char>((i * 7919) & 0xff));
    std::string huge = "<Pelmora><Language>";
    huge.append(20u * 1024u * 1024u, 'x');
    huge += "</Language></Pelmora>";
    // Closing tags hidden from a naive scan inside a DOCTYPE, comments, CDATA and attributes.
    std::string tricky;
    for (int i = 0; i < 100000; ++i) {
        tricky += "<a x='/>' y=\"</a>\"><!-- </a> --><![CDATA[</a>]]><!DOCTYPE d [</a>]>";
    }

    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"empty", ""},
        {"blank", "  \n"},
        {"comment only", "<!-- nothing -->"},
        {"truncated", std::string(kLanguageDoc).substr(0, 200)},
        {"mismatched", "<Pelmora><a></b></Pelmora>"},
        {"binary", binary},
        {"20 MB", huge},
        {"100000 levels", Nested(100000)},
        {"257 levels", Nested(TMyXmlobj::kMaxDepth + 1)},
        {"unclosed 100000", std::string(300000, '<')},
        {"tricky nesting", tricky},
        {"bad entity", "<Pelmora><a>&#x110000;</a></Pelmora>"},
        {"text before root", "x<Pelmora/>"},
    };
    for (const Case& c : cases) {
        TMyXmlobj xml;
        ASSERT_TRUE(xml.LoadFromBytes("<Pelmora><Language>old</Language></Pelmora>"));
        const std::string path = Write("bad.xml", c.bytes);
        EXPECT_FALSE(xml.Load(path)) << c.name;
        EXPECT_EQ(Read(xml, "Pelmora/Language"), "old") << c.name;
        EXPECT_EQ(xml.FileName(), "") << c.name;

        TMyXmlobj fresh;
        EXPECT_FALSE(fresh.LoadFromBytes(c.bytes)) << c.name;
        EXPECT_FALSE(fresh.IsLoaded()) << c.name;
        EXPECT_EQ(Read(fresh, "Pelmora/Language"), "<default>") << c.name;
    }
}

TEST(XmlDepth, NestingBoundIsExactForPlainDocuments) {
    EXPECT_TRUE(Loaded(Nested(TMyXmlobj::kMaxDepth)).IsLoaded());
    // Flat documents of many empty elements are not deep.
    std::string flat = "<r>";
    for (int i = 0; i < 10000; ++i)
        flat += "<e a='1'/><f></f>";
    flat += "</r>";
    EXPECT_TRUE(Loaded(flat).IsLoaded());
    EXPECT_FALSE(XmlNestingExceeds(Nested(10), 10));
    // Closing tags inside attribute values, comments, CDATA and a DOCTYPE do not count.
    std::string tricky;
    for (int i = 0; i < 11; ++i)
        tricky += "<a x='/>' y=\"</a>\"><!-- </a> --><![CDATA[</a>]]>";
    for (int i = 0; i < 11; ++i)
        tricky += "<!DOCTYPE d [</a>]></a>";
    EXPECT_TRUE(Loaded(tricky).IsLoaded());  // well-formed for the parser
    EXPECT_TRUE(XmlNestingExceeds(tricky, 10));
    EXPECT_FALSE(XmlNestingExceeds(tricky, 11));
    EXPECT_TRUE(XmlNestingExceeds(Nested(11), 10));
}

TEST(XmlText, InvalidUtf8ComesOutReplaced) {
    TMyXmlobj xml = Loaded(
        "<r><k>a\xff"
        "b</k></r>");
    EXPECT_EQ(Read(xml, "r/k"),
              "a\xEF\xBF\xBD"
              "b");
}

}  // namespace
