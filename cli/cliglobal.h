// The options every pelmora-cli command takes before its own: --lang picks the language of the
// messages, and --home must name a folder that exists.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

class TMyXmlobj;

// The translation document of one run: installed for the texts the commands share with the
// window, removed when the run ends.
class TCliLanguage {
  public:
    TCliLanguage();
    ~TCliLanguage();
    TCliLanguage(const TCliLanguage&) = delete;
    TCliLanguage& operator=(const TCliLanguage&) = delete;

    // Loads the language file and selects the language: English when wanted is empty, else a
    // language the file offers, by its name ("Chinese-Simplified"), its caption or its code
    // ("zh_CN"), in any letter case. Empty on success, else the message. Without a readable file
    // the texts are the built-in ones.
    std::string Install(const std::string& wanted, const std::string& languageFile);

  private:
    std::unique_ptr<TMyXmlobj> doc_;
};

// args without --lang and its value; *lang gets the value. False with *error for a --lang without
// a value.
bool TakeLanguageOption(std::vector<std::string>& args, std::string* lang, std::string* error);

// The folder of the last --home; empty when none is given.
std::string HomeOption(const std::vector<std::string>& args);
// Empty when every --home names an existing folder, else the message.
std::string CheckHomeFolder(const std::vector<std::string>& args);
