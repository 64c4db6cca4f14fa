#include "cli/cliglobal.h"

#include <algorithm>
#include <filesystem>

#include "common/textutil.h"
#include "common/translation.h"
#include "common/xmlobj.h"

namespace {

// The codes people type for the languages, by language index.
constexpr const char* kLanguageCodes[lang::kCount][2] = {
    {"zh_cn", "zh"}, {"en", "en_us"}, {"zh_tw", "zh_hk"},
    {"ko", "ko_kr"}, {"ru", "ru_ru"}, {"ja", "ja_jp"},
};

bool NamesLanguage(const std::string& wanted, const TLanguageEntry& entry) {
    std::string code = LowerAscii(wanted);
    std::replace(code.begin(), code.end(), '-', '_');
    return LowerAscii(LanguageName(entry.index)) == LowerAscii(wanted) || entry.caption == wanted ||
           code == kLanguageCodes[entry.index][0] || code == kLanguageCodes[entry.index][1];
}

}  // namespace

TCliLanguage::TCliLanguage() : doc_(std::make_unique<TMyXmlobj>()) {}

TCliLanguage::~TCliLanguage() {
    if (TranslationDocument() == doc_.get()) SetTranslationDocument(nullptr);
}

std::string TCliLanguage::Install(const std::string& wanted, const std::string& languageFile) {
    // A damaged language file leaves the built-in texts, unless a language was asked for.
    if (!doc_->Load(languageFile))
        return wanted.empty() ? std::string()
                              : "the language file " + languageFile + " cannot be read";
    std::vector<TLanguageEntry> offered = LanguageMenuEntries(*doc_);
    // Without a language file the built-in texts are there, and English is asked for by default.
    if (offered.empty())
        offered = {{LanguageName(lang::kChineseSimplified), lang::kChineseSimplified},
                   {LanguageName(lang::kEnglish), lang::kEnglish}};
    int index = lang::kEnglish;
    if (!wanted.empty()) {
        const auto it = std::find_if(offered.begin(), offered.end(), [&](const TLanguageEntry& e) {
            return NamesLanguage(wanted, e);
        });
        if (it == offered.end()) {
            std::string names;
            for (const TLanguageEntry& entry : offered)
                names += (names.empty() ? "" : ", ") + LanguageName(entry.index);
            return "unknown language \"" + wanted + "\" (the language file offers " + names + ")";
        }
        index = it->index;
    }
    SetLanguage(*doc_, index);
    SetTranslationDocument(doc_.get());
    return {};
}

bool TakeLanguageOption(std::vector<std::string>& args, std::string* lang, std::string* error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--lang") {
            if (i + 1 == args.size()) {
                *error = "--lang needs a language";
                return false;
            }
            *lang = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                       args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            --i;
        } else if (args[i].starts_with("--lang=")) {
            *lang = args[i].substr(7);
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            --i;
        }
    }
    return true;
}

std::string HomeOption(const std::vector<std::string>& args) {
    std::string home;
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "--home") home = args[i + 1];
    return home;
}

std::string CheckHomeFolder(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] != "--home") continue;
        std::error_code error;
        if (!std::filesystem::is_directory(args[i + 1], error))
            return "--home " + args[i + 1] + ": no such folder";
    }
    return {};
}
