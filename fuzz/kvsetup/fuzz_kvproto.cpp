// Arbitrary datagrams through the device-access message decoder, and arbitrary target lists
// through the KVSETUP_TARGETS parser, which for short lists must give what the rule in its
// plainest form gives.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string_view>
#include <vector>

#include "kvsetup/kvproto.h"
#include "kvsetup/targets.h"

namespace {

// Every address of every item in order, without repeats and without the unusable ones; nullopt
// when the items hold more than a few thousand addresses (the parser's bounds are not modelled).
std::optional<std::vector<std::uint32_t>> PlainTargets(std::string_view text) {
    std::vector<std::uint32_t> targets;
    std::set<std::uint32_t> seen;
    std::uint64_t examined = 0;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        // ParseDotted allows the blanks around an address itself.
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const std::size_t dash = item.find('-');
        std::uint32_t first = 0, last = 0;
        const bool parsed = dash == std::string_view::npos
                                ? kvsetup::ParseDotted(item, &first) && (last = first, true)
                                : kvsetup::ParseDotted(item.substr(0, dash), &first) &&
                                      kvsetup::ParseDotted(item.substr(dash + 1), &last) &&
                                      first <= last;
        if (!parsed) continue;
        examined += std::uint64_t{last} - first + 1;
        if (examined > 4096) return std::nullopt;
        for (std::uint64_t a = first; a <= last; ++a) {
            const bool usable = a != 0 && a != 0xFFFFFFFF && (a >> 28) != 0xE;
            if (usable && seen.insert(std::uint32_t(a)).second) targets.push_back(std::uint32_t(a));
        }
    }
    return targets;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    if (auto message = kvproto::Decode(bytes)) {
        // The payload must lie inside the datagram, and re-encoding gives the datagram back.
        const std::uint8_t* end = data + size;
        if (message->payload.data() < data ||
            message->payload.data() + message->payload.size() > end) {
            __builtin_trap();
        }
        auto encoded = kvproto::Encode(message->header, message->payload);
        if (encoded.size() != size) __builtin_trap();
    }

    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto targets = kvsetup::ParseTargets(text);
    if (targets.size() > kvsetup::kMaxTargets) __builtin_trap();
    if (const auto plain = PlainTargets(text); plain && *plain != targets) __builtin_trap();
    std::uint32_t address = 0;
    kvsetup::ParseDotted(text, &address);
    kvsetup::IsPermitted(address, targets);
    return 0;
}
