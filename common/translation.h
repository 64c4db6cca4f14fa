// The translation call: a text by its language key, or the built-in default text.
//
// Keys are slash paths from the root "Pelmora", e.g. "Pelmora/Messagedlg/FrmMain/keyWord4"; the
// current language name is appended ("/English") and the value read from the language document.
// The translation state (language index, language name, form name) lives in the document object.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TMyXmlobj;

namespace lang {
constexpr int kChineseSimplified = 0;
constexpr int kEnglish = 1;
constexpr int kCount = 6;
}  // namespace lang

// "Chinese-Simplified", "English", "Chinese-Traditional", "Korea", "Russia", "Japan";
// "English" for any index outside 0..5.
std::string LanguageName(int index);

// Sets the document's language index and name; an index outside 0..5 selects English.
void SetLanguage(TMyXmlobj& doc, int index);

// The value at key + "/" + language name; the default text when it is empty, when no language
// file is loaded, or when reading fails in any way.
std::string Translate(const TMyXmlobj& doc, std::string_view key, std::string_view defaultText);

// The program-wide document that Translate(key, default) reads; the main window installs it when
// it is created and removes it (nullptr) when it is destroyed, pelmora-cli for its run. Translating
// only reads the document, so workers may translate; it is installed and its language changed only
// while none runs.
void SetTranslationDocument(TMyXmlobj* doc);
TMyXmlobj* TranslationDocument();

// Translate through the program-wide document; the default text while none is installed.
std::string Translate(std::string_view key, std::string_view defaultText);

// The key of a window's message n: "Pelmora/Messagedlg/" + window short name + "/keyWord" + n.
std::string MessageKey(std::string_view window, int keyWord);

// One entry of the language menu: the caption (the element's text) and the language index.
struct TLanguageEntry {
    std::string caption;
    int index;
};

// The entries offered by "Pelmora/Language": one per child element whose name (trimmed, any
// letter case) is a known language, first occurrence only, in document order.
std::vector<TLanguageEntry> LanguageMenuEntries(const TMyXmlobj& doc);
