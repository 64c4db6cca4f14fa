// Code-page conversions on the Windows code-page API. Multi-byte pages are read character by
// character (up to the page's longest sequence: two bytes in GBK, four in GB18030 and UTF-8),
// so that one bad byte costs only itself.
#include <windows.h>

#include <algorithm>
#include <cctype>

#include "common/platform/codepage.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// The Windows code page of an iconv name; 0 when there is none.
UINT PageNumber(const std::string& name) {
    std::string upper(name);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    UINT page = 0;
    if (upper == "GBK" || upper == "GB2312" || upper == "CP936") {
        page = 936;
    } else if (upper == "GB18030") {
        page = 54936;
    } else if (upper == "UTF-8" || upper == "UTF8") {
        page = CP_UTF8;
    } else if (upper == "BIG5") {
        page = 950;
    } else if (upper == "SHIFT_JIS" || upper == "SJIS") {
        page = 932;
    } else if (upper == "LATIN1" || upper == "ISO-8859-1") {
        page = 28591;
    } else if (upper.size() > 2 && upper.starts_with("CP") &&
               std::all_of(upper.begin() + 2, upper.end(),
                           [](unsigned char c) { return std::isdigit(c); })) {
        page = static_cast<UINT>(std::stoul(upper.substr(2)));
    }
    return page != 0 && ::IsValidCodePage(page) ? page : 0;
}

std::string Utf16ToUtf8(const wchar_t* text, int length) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(size, 0)), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}

}  // namespace

bool CodePageKnown(const std::string& name) {
    return PageNumber(name) != 0;
}

struct TCodePageConverter::State {
    UINT page = 0;
    std::size_t maxLength = 1;  // bytes of the page's longest character
};

TCodePageConverter::TCodePageConverter(const std::string& name) : state_(new State) {
    state_->page = PageNumber(name);
    CPINFO info{};
    if (state_->page != 0 && ::GetCPInfo(state_->page, &info))
        state_->maxLength = std::max<std::size_t>(info.MaxCharSize, 1);
}

TCodePageConverter::~TCodePageConverter() {
    delete state_;
}

bool TCodePageConverter::Ok() const {
    return state_->page != 0;
}

std::string TCodePageConverter::EncodeCharacter(std::string_view utf8Character) {
    if (!Ok()) return {};
    wchar_t wide[2];
    const int units = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Character.data(),
                                            static_cast<int>(utf8Character.size()), wide, 2);
    if (units <= 0) return {};
    char out[16];
    BOOL lossy = FALSE;
    // UTF-8 and a few other pages refuse the lossy flag; they express every character anyway.
    const bool flagged = state_->page != CP_UTF8 && state_->page != 54936;
    const int size =
        ::WideCharToMultiByte(state_->page, flagged ? WC_NO_BEST_FIT_CHARS : 0, wide, units, out,
                              sizeof out, nullptr, flagged ? &lossy : nullptr);
    if (size <= 0 || lossy) return {};
    return std::string(out, static_cast<std::size_t>(size));
}

std::string TCodePageConverter::Decode(std::string_view bytes, std::size_t* firstBad) {
    if (firstBad) *firstBad = std::string_view::npos;
    if (!Ok()) return {};
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::size_t i = 0; i < bytes.size();) {
        // The shortest sequence from here that is one whole character. Windows would replace
        // bad bytes itself, but not one replacement per byte: keep the rule of the POSIX side.
        wchar_t wide[2];
        int units = 0;
        std::size_t length = 0;
        while (units <= 0 && length < state_->maxLength && i + length < bytes.size()) {
            ++length;
            units = ::MultiByteToWideChar(state_->page, MB_ERR_INVALID_CHARS, bytes.data() + i,
                                          static_cast<int>(length), wide, 2);
        }
        if (units > 0) {
            out += Utf16ToUtf8(wide, units);
            i += length;
        } else {
            if (firstBad && *firstBad == std::string_view::npos) *firstBad = i;
            out += kReplacement;
            ++i;
        }
    }
    return out;
}
