#include "common/translation.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "common/textutil.h"
#include "common/xmlobj.h"

namespace {

constexpr std::array<const char*, lang::kCount> kLanguageNames = {
    "Chinese-Simplified", "English", "Chinese-Traditional", "Korea", "Russia", "Japan"};

TMyXmlobj* g_document = nullptr;

}  // namespace

std::string LanguageName(int index) {
    if (index < 0 || index >= lang::kCount) return kLanguageNames[lang::kEnglish];
    return kLanguageNames[static_cast<std::size_t>(index)];
}

void SetLanguage(TMyXmlobj& doc, int index) {
    if (index < 0 || index >= lang::kCount) index = lang::kEnglish;
    doc.SetLanguageIndex(static_cast<std::uint32_t>(index));
    doc.SetLanguageName(LanguageName(index));
}

std::string Translate(const TMyXmlobj& doc, std::string_view key, std::string_view defaultText) {
    if (!doc.IsLoaded()) return std::string(defaultText);
    try {
        std::string path(key);
        path += '/';
        path += doc.LanguageName();
        std::string value = doc.ReadValue(path, std::string());
        if (value.empty()) return std::string(defaultText);
        return value;
    } catch (...) {
        return std::string(defaultText);
    }
}

void SetTranslationDocument(TMyXmlobj* doc) {
    g_document = doc;
}
TMyXmlobj* TranslationDocument() {
    return g_document;
}

std::string Translate(std::string_view key, std::string_view defaultText) {
    if (g_document == nullptr) return std::string(defaultText);
    return Translate(*g_document, key, defaultText);
}

std::vector<TLanguageEntry> LanguageMenuEntries(const TMyXmlobj& doc) {
    std::vector<TLanguageEntry> entries;
    const TXmlElement list = doc.FindElement("Pelmora/Language");
    std::array<bool, lang::kCount> used{};
    for (std::size_t i = 0; i < list.ElementChildCount(); ++i) {
        const TXmlElement child = list.ElementChild(i);
        const std::string name = LowerAscii(std::string(TrimBlanks(child.Name())));
        for (int index = 0; index < lang::kCount; ++index) {
            if (used[index] || name != LowerAscii(kLanguageNames[index])) continue;
            used[index] = true;
            entries.push_back({std::string(TrimBlanks(child.Text())), index});
            break;
        }
    }
    return entries;
}

std::string MessageKey(std::string_view window, int keyWord) {
    return "Pelmora/Messagedlg/" + std::string(window) + "/keyWord" + std::to_string(keyWord);
}
