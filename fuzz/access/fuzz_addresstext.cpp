// Arbitrary bytes through every address check and text conversion. The first byte picks the
// widths of the fixed-field round trip; the rest is the text.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/support/fuzzsupport.h"
#include "manager/access/addresstext.h"
#include "manager/access/localinterfaces.h"

namespace {

using fuzzsupport::Check;

// A field with a guard area behind it that must stay untouched.
void FixedRoundTrip(std::string_view text, std::size_t width) {
    constexpr std::uint8_t kGuard = 0xA5;
    std::vector<std::uint8_t> field(width + 8, kGuard);
    StrToFixed(text, field.data(), width);
    for (std::size_t i = width; i < field.size(); ++i)
        Check(field[i] == kGuard);
    if (width == 0) return;
    std::string back = FixedToStr(field.data(), width);
    Check(back.size() <= 3 * width);
    // The raw text as a field, too: no zero byte inside the width.
    FixedToStr(reinterpret_cast<const std::uint8_t*>(text.data()), std::min(width, text.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t width = data[0] % 64;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const bool valid = IsValidIP(text);
    IsValidIPStrict(text);
    const bool lenient = IsValidIPLenient(text);
    // Lenient accepts everything the plain check accepts.
    Check(!valid || lenient);

    TIpBytes ip = TextToIpField(text);
    if (!valid) Check(ip == TIpBytes{});
    // The dotted text of a valid address reads back to the same bytes.
    if (valid) {
        std::string dotted = IpToText(ip.data());
        Check(IsValidIPStrict(dotted));
        Check(dotted == "0.0.0.0" || TextToIpField(dotted) == ip);
    }

    TMacBytes mac = TextToMac(text);
    Check(TextToMac(MacToText(mac.data())) == mac);

    HexToBytes(text);
    IsLocalSubnet(text);
    BytesToDotted(data, std::min<std::size_t>(size, 16));

    FixedRoundTrip(text, width);
    if (text.size() >= 32) IsSipModel(reinterpret_cast<const std::uint8_t*>(text.data()));
    return 0;
}
