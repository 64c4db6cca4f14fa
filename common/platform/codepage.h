// The operating system's conversions between UTF-8 and an 8-bit code page (iconv on Linux, the
// Windows code-page API there). Names are those of iconv ("GBK", "CP1252", "UTF-8"); Windows
// knows "GBK" as code page 936 and "CPnnnn" by its number.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

bool CodePageKnown(const std::string& name);

// One converter for one code page, used by one thread at a time.
class TCodePageConverter {
  public:
    explicit TCodePageConverter(const std::string& name);
    ~TCodePageConverter();
    TCodePageConverter(const TCodePageConverter&) = delete;
    TCodePageConverter& operator=(const TCodePageConverter&) = delete;

    bool Ok() const;
    // One well-formed UTF-8 character in the code page; empty when the page cannot express it.
    std::string EncodeCharacter(std::string_view utf8Character);
    // Code-page bytes as UTF-8; a byte that starts no valid sequence becomes U+FFFD. *firstBad
    // (when given) is the offset of the first such byte, or npos when every byte decoded.
    std::string Decode(std::string_view bytes, std::size_t* firstBad = nullptr);

  private:
    struct State;
    State* state_;
};
