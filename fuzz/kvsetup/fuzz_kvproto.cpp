// Arbitrary datagrams through the device-access message decoder, and arbitrary target lists
// through the KVSETUP_TARGETS parser.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "kvsetup/kvproto.h"
#include "kvsetup/targets.h"

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
    std::uint32_t address = 0;
    kvsetup::ParseDotted(text, &address);
    kvsetup::IsPermitted(address, targets);
    return 0;
}
