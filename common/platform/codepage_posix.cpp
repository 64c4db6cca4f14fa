// Code-page conversions on iconv (glibc).
#include <iconv.h>

#include <cerrno>

#include "common/platform/codepage.h"

namespace {
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
}  // namespace

bool CodePageKnown(const std::string& name) {
    iconv_t probe = iconv_open(name.c_str(), "UTF-8");
    if (probe == kNone) return false;
    iconv_close(probe);
    return true;
}

// iconv descriptors keep shift state, so a converter is never shared between threads.
struct TCodePageConverter::State {
    iconv_t toPage = kNone;
    iconv_t fromPage = kNone;
};

TCodePageConverter::TCodePageConverter(const std::string& name) : state_(new State) {
    state_->toPage = iconv_open(name.c_str(), "UTF-8");
    state_->fromPage = iconv_open("UTF-8", name.c_str());
}

TCodePageConverter::~TCodePageConverter() {
    if (state_->toPage != kNone) iconv_close(state_->toPage);
    if (state_->fromPage != kNone) iconv_close(state_->fromPage);
    delete state_;
}

bool TCodePageConverter::Ok() const {
    return state_->toPage != kNone && state_->fromPage != kNone;
}

std::string TCodePageConverter::EncodeCharacter(std::string_view utf8Character) {
    if (state_->toPage == kNone) return {};
    char out[16];
    char* in = const_cast<char*>(utf8Character.data());
    std::size_t inLeft = utf8Character.size();
    char* o = out;
    std::size_t outLeft = sizeof out;
    iconv(state_->toPage, nullptr, nullptr, nullptr, nullptr);
    if (iconv(state_->toPage, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1) ||
        inLeft != 0) {
        return {};
    }
    return std::string(out, o);
}

std::string TCodePageConverter::Decode(std::string_view bytes, std::size_t* firstBad) {
    if (firstBad) *firstBad = std::string_view::npos;
    iconv_t cd = state_->fromPage;
    std::string out;
    out.reserve(bytes.size() * 2);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buffer[256];
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        char* o = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        out.append(buffer, o);
        if (r != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (a sequence cut at the end): replace one byte and go on.
        if (firstBad && *firstBad == std::string_view::npos) *firstBad = bytes.size() - inLeft;
        out += kReplacement;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}
