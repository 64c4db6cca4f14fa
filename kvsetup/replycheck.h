// Which datagram counts as the reply to one request of the library.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <unordered_set>
#include <vector>

#include "kvsetup/kvproto.h"

namespace kvsetup {

class ReplyCheck {
  public:
    // request: the header as sent; sources: the addresses (host order) a reply may come from.
    ReplyCheck(const kvproto::Header& request, const std::vector<std::uint32_t>& sources);

    // The reply, when the datagram from address:port is well-formed, comes from port 6070 of one
    // of the sources, has the request's kind + 0x80 and request id, carries the addressed MAC
    // (when the request named one) and exactly the payload size of its kind and result, and, for
    // a search record, the record's MAC equals the header's. None otherwise.
    std::optional<kvproto::Message> Accept(std::uint32_t address, std::uint16_t port,
                                           std::span<const std::uint8_t> bytes) const;

  private:
    kvproto::Header request_;
    std::unordered_set<std::uint32_t> sources_;
};

}  // namespace kvsetup
