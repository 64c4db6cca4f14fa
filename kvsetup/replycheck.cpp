#include "kvsetup/replycheck.h"

#include <algorithm>

namespace kvsetup {

namespace {
constexpr std::size_t kRecordMacOffset = 52;
}

ReplyCheck::ReplyCheck(const kvproto::Header& request, const std::vector<std::uint32_t>& sources)
    : request_(request), sources_(sources.begin(), sources.end()) {}

std::optional<kvproto::Message> ReplyCheck::Accept(std::uint32_t address, std::uint16_t port,
                                                   std::span<const std::uint8_t> bytes) const {
    if (port != kvproto::kPort || !sources_.count(address)) return std::nullopt;
    const auto m = kvproto::Decode(bytes);
    if (!m) return std::nullopt;
    const kvproto::Header& h = m->header;
    const auto kind = static_cast<kvproto::Kind>(request_.kind);
    if (h.kind != (request_.kind | kvproto::kReplyBit) || h.requestId != request_.requestId ||
        (!kvproto::IsZeroMac(request_.mac) && h.mac != request_.mac) ||
        m->payload.size() != kvproto::ReplyPayloadSize(kind, h.result))
        return std::nullopt;
    if (kind == kvproto::Kind::kProbe && !m->payload.empty() &&
        !std::equal(h.mac.begin(), h.mac.end(), m->payload.begin() + kRecordMacOffset))
        return std::nullopt;
    return m;
}

}  // namespace kvsetup
