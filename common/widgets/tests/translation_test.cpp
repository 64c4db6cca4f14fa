#include "common/translation.h"

#include <gtest/gtest.h>

#include "common/xmlobj.h"

namespace {

const char* kDocument = R"(<?xml version="1.0" encoding="UTF-8"?>
<Pelmora>
  <Language>
    <Chinese-Simplified>简体中文</Chinese-Simplified>
    <english> English </english>
    <Klingon>tlhIngan</Klingon>
    <ENGLISH>Second English</ENGLISH>
    <Japan>日本語</Japan>
  </Language>
  <Messagedlg>
    <FrmMain>
      <keyWord2><English>Only Books rows can be deleted</English></keyWord2>
      <keyWord3><Chinese-Simplified>离线</Chinese-Simplified></keyWord3>
      <keyWord4><English></English></keyWord4>
    </FrmMain>
  </Messagedlg>
</Pelmora>)";

TEST(Translation, LanguageTableAndOutOfRangeIndexes) {
    const std::pair<int, const char*> table[] = {{0, "Chinese-Simplified"},
                                                 {1, "English"},
                                                 {2, "Chinese-Traditional"},
                                                 {3, "Korea"},
                                                 {4, "Russia"},
                                                 {5, "Japan"},
                                                 {6, "English"},
                                                 {-1, "English"},
                                                 {7, "English"}};
    for (const auto& [index, name] : table) {
        EXPECT_EQ(LanguageName(index), name) << index;
        TMyXmlobj doc;
        SetLanguage(doc, index);
        EXPECT_EQ(doc.LanguageName(), name) << index;
        EXPECT_EQ(doc.LanguageIndex(),
                  index >= 0 && index <= 5 ? static_cast<unsigned>(index) : 1u);
    }
}

TEST(Translation, TextOrDefault) {
    TMyXmlobj doc;
    EXPECT_EQ(Translate(doc, "Pelmora/Messagedlg/FrmMain/keyWord2", "默认"), "默认")
        << "nothing loaded";
    ASSERT_TRUE(doc.LoadFromBytes(kDocument));
    SetLanguage(doc, lang::kEnglish);
    struct Case {
        const char* key;
        const char* expected;
    } cases[] = {
        {"Pelmora/Messagedlg/FrmMain/keyWord2", "Only Books rows can be deleted"},
        {"pelmora/messagedlg/frmmain/KEYWORD2", "Only Books rows can be deleted"},
        {"Pelmora/Messagedlg/FrmMain/keyWord3", "默认"},  // key without the current language
        {"Pelmora/Messagedlg/FrmMain/keyWord4", "默认"},  // empty translation
        {"Pelmora/Messagedlg/FrmMain/keyWord9", "默认"},  // no such key
        {"Other/Messagedlg/FrmMain/keyWord2", "默认"},    // another root
    };
    for (const Case& c : cases)
        EXPECT_EQ(Translate(doc, c.key, "默认"), c.expected) << c.key;

    SetLanguage(doc, lang::kChineseSimplified);
    EXPECT_EQ(Translate(doc, "Pelmora/Messagedlg/FrmMain/keyWord3", "默认"), "离线");
    EXPECT_EQ(Translate(doc, "Pelmora/Messagedlg/FrmMain/keyWord2", "默认"), "默认");
}

TEST(Translation, ProgramWideDocument) {
    TMyXmlobj doc;
    ASSERT_TRUE(doc.LoadFromBytes(kDocument));
    SetLanguage(doc, 9);  // out of range: English
    EXPECT_EQ(Translate("Pelmora/Messagedlg/FrmMain/keyWord2", "x"), "x");
    SetTranslationDocument(&doc);
    EXPECT_EQ(Translate("Pelmora/Messagedlg/FrmMain/keyWord2", "x"),
              "Only Books rows can be deleted");
    SetTranslationDocument(nullptr);
    EXPECT_EQ(Translate("Pelmora/Messagedlg/FrmMain/keyWord2", "x"), "x");
}

TEST(Translation, LanguageMenuEntries) {
    TMyXmlobj doc;
    ASSERT_TRUE(doc.LoadFromBytes(kDocument));
    const std::vector<TLanguageEntry> entries = LanguageMenuEntries(doc);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].caption, "简体中文");
    EXPECT_EQ(entries[0].index, 0);
    EXPECT_EQ(entries[1].caption, "English");  // lower-case name, caption trimmed
    EXPECT_EQ(entries[1].index, 1);
    EXPECT_EQ(entries[2].caption, "日本語");  // the second English and Klingon are skipped
    EXPECT_EQ(entries[2].index, 5);

    for (const char* other : {"<Pelmora><TFrmMain/></Pelmora>", "<Pelmora><Language/></Pelmora>",
                              "<Pelmora><Language>text only</Language></Pelmora>"}) {
        TMyXmlobj without;
        ASSERT_TRUE(without.LoadFromBytes(other));
        EXPECT_TRUE(LanguageMenuEntries(without).empty()) << other;
    }
    EXPECT_TRUE(LanguageMenuEntries(TMyXmlobj()).empty());
}

}  // namespace
