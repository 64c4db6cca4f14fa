// Arbitrary bytes as a hand-off file and as an update header: parsing never crashes, and a
// hand-off file written from the parsed rows parses into the same rows.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "common/devlistfile.h"
#include "fuzz/support/fuzzsupport.h"
#include "updater/updatefile.h"

namespace {
using fuzzsupport::Check;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<TDevListRow> rows = ParseDevList(bytes);
    Check(rows.size() <= size);
    // Texts without ";", line ends and undecodable bytes (U+FFFD, which the code page cannot
    // express) survive a round trip through the file.
    bool plain = true;
    for (const TDevListRow& row : rows)
        for (const std::string* f :
             {&row.mac, &row.ip, &row.name, &row.version, &row.netif, &row.model})
            plain = plain && f->find_first_of(";\r\n") == std::string::npos &&
                    f->find("\xEF\xBF\xBD") == std::string::npos;
    if (plain) Check(ParseDevList(FormatDevList(rows)) == rows);

    std::array<std::uint8_t, kHeaderSize> header{};
    std::memcpy(header.data(), data, std::min(size, header.size()));
    THeaderInfo info = HeaderInfoOf(header);
    Check(info.version.size() <= 3 * 32 && info.description.size() <= 3 * 1024);
    return 0;
}
