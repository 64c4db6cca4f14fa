// Arbitrary datagrams from arbitrary sources against the library's reply check, for each kind of
// request, addressed to one terminal or to any: whatever it accepts is exactly the reply asked
// for, from where it was asked.
//
// Input: byte 0 picks the request (kind 1 to 6 and whether it names a MAC), bytes 1 to 4 the
// source address, bytes 5 and 6 the source port, the rest is the datagram.
#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/support/fuzzsupport.h"
#include "kvsetup/kvproto.h"
#include "kvsetup/replycheck.h"

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 7) return 0;
    kvproto::Header request;
    request.kind = static_cast<std::uint8_t>(1 + data[0] % 6);
    request.requestId = 0x5A17C0DE;
    if (data[0] & 0x80) request.mac = {2, 0x4B, 0x56, 0, 0, 1};
    const std::vector<std::uint32_t> sources = {0x7F000101, 0x7F000102};  // 127.0.1.1 and .2
    const kvsetup::ReplyCheck check(request, sources);

    const std::uint32_t address = std::uint32_t{data[1]} << 24 | std::uint32_t{data[2]} << 16 |
                                  std::uint32_t{data[3]} << 8 | data[4];
    const std::uint16_t port = static_cast<std::uint16_t>(data[5] << 8 | data[6]);
    const std::span<const std::uint8_t> datagram(data + 7, size - 7);
    const auto reply = check.Accept(address, port, datagram);
    if (!reply) return 0;

    Check(port == kvproto::kPort);
    Check(std::find(sources.begin(), sources.end(), address) != sources.end());
    const kvproto::Header& h = reply->header;
    Check(h.kind == (request.kind | kvproto::kReplyBit) && h.requestId == request.requestId);
    Check(kvproto::IsZeroMac(request.mac) || h.mac == request.mac);
    const auto kind = static_cast<kvproto::Kind>(request.kind);
    Check(reply->payload.size() == kvproto::ReplyPayloadSize(kind, h.result));
    Check(reply->payload.data() >= datagram.data() &&
          reply->payload.data() + reply->payload.size() == datagram.data() + datagram.size());
    Check(datagram.size() == kvproto::kHeaderSize + reply->payload.size());
    if (kind == kvproto::Kind::kProbe && h.result == kvproto::result::kOk)
        Check(std::equal(h.mac.begin(), h.mac.end(), reply->payload.begin() + 52));
    return 0;
}
