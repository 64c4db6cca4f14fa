// Test support: the shipped language file as the program-wide translation document, in one
// language, for the scope of a test. It is removed again however the test ends, so no later test
// translates through a destroyed document.
#pragma once

#include "common/translation.h"
#include "common/xmlobj.h"

class TShippedLanguage : public TMyXmlobj {
  public:
    explicit TShippedLanguage(int language = lang::kEnglish) {
        loaded_ = Load(PELMORA_SOURCE_DIR "/data/files/lang/Pelmora.xml") && IsLoaded();
        SetLanguage(*this, language);
        SetTranslationDocument(this);
    }
    ~TShippedLanguage() { SetTranslationDocument(nullptr); }

    bool Loaded() const { return loaded_; }

  private:
    bool loaded_ = false;
};
