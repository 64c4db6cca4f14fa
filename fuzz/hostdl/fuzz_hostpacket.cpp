// Arbitrary datagrams through the host reply check (the manager's side) and the request parser
// (the simulated terminal's side).
#include <cstddef>
#include <cstdint>
#include <span>

#include "manager/hostdl/hostpacket.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    const EHostReply reply = ClassifyHostReply(bytes);
    if (reply != EHostReply::Invalid && size != kHostReplySize) __builtin_trap();
    if (auto request = ParseHostRequest(bytes)) {
        // The entries lie inside the datagram and fill it exactly.
        if (request->write &&
            (request->entries.data() + request->entries.size() != data + size ||
             request->entries.size() != request->count * request->table->entrySize))
            __builtin_trap();
        const auto answer = BuildHostReply(bytes, 1);
        if (ClassifyHostReply(answer) != EHostReply::Done) __builtin_trap();
    }
    return 0;
}
