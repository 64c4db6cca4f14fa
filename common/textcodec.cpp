#include "common/textcodec.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "common/platform/codepage.h"

namespace {

std::mutex g_pageMutex;
std::string g_page = "GBK";

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

bool IsAscii(std::string_view s) {
    for (unsigned char c : s) {
        if (c >= 0x80) return false;
    }
    return true;
}

// One converter per thread, reopened when the code page changes: a converter keeps state, so
// it must not be shared between threads.
TCodePageConverter& Converter() {
    thread_local std::unique_ptr<TCodePageConverter> converter;
    thread_local std::string page;
    std::string wanted = DeviceCodePage();
    if (!converter || wanted != page) {
        converter = std::make_unique<TCodePageConverter>(wanted);
        page = std::move(wanted);
    }
    return *converter;
}

// Length of the UTF-8 sequence starting at s[i], or 0 when it is malformed.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t len;
    char32_t cp;
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) {
        len = 2;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        unsigned char cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    // Refuse overlong forms, surrogates and values beyond U+10FFFF.
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

}  // namespace

bool SetDeviceCodePage(const std::string& name) {
    if (!CodePageKnown(name)) return false;
    std::lock_guard lock(g_pageMutex);
    g_page = name;
    return true;
}

std::string DeviceCodePage() {
    std::lock_guard lock(g_pageMutex);
    return g_page;
}

std::string ToDeviceBytes(std::string_view utf8) {
    return ToDeviceBytesLimited(utf8, std::string::npos);
}

std::string ToDeviceBytesLimited(std::string_view utf8, std::size_t maxBytes) {
    if (IsAscii(utf8)) return std::string(utf8.substr(0, maxBytes));
    TCodePageConverter& converter = Converter();
    std::string out;
    out.reserve(std::min(utf8.size(), maxBytes == std::string::npos ? utf8.size() : maxBytes));
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t len = Utf8SequenceLength(utf8, i);
        std::string encoded;
        if (len == 1) {
            encoded.assign(1, utf8[i]);
        } else if (len > 1) {
            encoded = converter.EncodeCharacter(utf8.substr(i, len));
        }
        if (encoded.empty()) encoded.push_back('?');
        if (len == 0) len = 1;  // skip one byte of a malformed sequence
        if (maxBytes != std::string::npos && out.size() + encoded.size() > maxBytes) break;
        out += encoded;
        i += len;
    }
    return out;
}

bool FitsDeviceCodePage(std::string_view utf8) {
    return FromDeviceBytes(ToDeviceBytes(utf8)) == utf8;
}

std::string FromDeviceBytes(std::string_view bytes) {
    if (IsAscii(bytes)) return std::string(bytes);
    TCodePageConverter& converter = Converter();
    if (!converter.Ok()) return SanitizeUtf8(bytes);
    return converter.Decode(bytes);
}

std::string SanitizeUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t len = Utf8SequenceLength(bytes, i);
        if (len == 0) {
            out += kReplacement;
            ++i;
        } else {
            out.append(bytes.substr(i, len));
            i += len;
        }
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::size_t FirstInvalidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = Utf8SequenceLength(bytes, i);
        if (len == 0) return i;
        i += len;
    }
    return std::string_view::npos;
}

bool DecodeCodePage(std::string_view bytes, const std::string& page, std::string& utf8,
                    std::size_t* badOffset) {
    TCodePageConverter converter(page);
    std::size_t bad = 0;
    utf8 = converter.Ok() ? converter.Decode(bytes, &bad) : std::string();
    if (converter.Ok() && bad == std::string_view::npos) return true;
    if (badOffset) *badOffset = bad;
    // What decoded before the first bad byte.
    if (converter.Ok()) utf8 = converter.Decode(bytes.substr(0, bad));
    return false;
}

std::string_view Utf8Prefix(std::string_view utf8, std::size_t maxBytes) {
    if (utf8.size() <= maxBytes) return utf8;
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80)
        --cut;  // utf8[cut] continues the character before it
    return utf8.substr(0, cut);
}
