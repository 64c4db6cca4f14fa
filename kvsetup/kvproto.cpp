#include "kvsetup/kvproto.h"

#include <algorithm>

namespace kvproto {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic{'K', 'V', 'S', 'P'};

void PutLe(std::uint8_t* p, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t GetLe(const std::uint8_t* p, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

}  // namespace

std::vector<std::uint8_t> Encode(const Header& header, std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> out(kHeaderSize + payload.size(), 0);
    std::copy(kMagic.begin(), kMagic.end(), out.begin());
    out[4] = kVersion;
    out[5] = header.kind;
    PutLe(&out[6], static_cast<std::uint32_t>(payload.size()), 2);
    PutLe(&out[8], header.requestId, 4);
    std::copy(header.mac.begin(), header.mac.end(), out.begin() + 12);
    PutLe(&out[20], static_cast<std::uint32_t>(header.result), 4);
    std::copy(payload.begin(), payload.end(), out.begin() + kHeaderSize);
    return out;
}

std::optional<Message> Decode(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHeaderSize) return std::nullopt;
    if (!std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) return std::nullopt;
    if (bytes[4] != kVersion) return std::nullopt;
    const std::size_t payloadSize = GetLe(&bytes[6], 2);
    if (payloadSize != bytes.size() - kHeaderSize) return std::nullopt;
    Message m;
    m.header.kind = bytes[5];
    m.header.requestId = GetLe(&bytes[8], 4);
    std::copy(bytes.begin() + 12, bytes.begin() + 18, m.header.mac.begin());
    m.header.result = static_cast<std::int32_t>(GetLe(&bytes[20], 4));
    m.payload = bytes.subspan(kHeaderSize);
    return m;
}

std::size_t RequestPayloadSize(Kind kind) {
    switch (kind) {
        case Kind::kLogin:
        case Kind::kLogout:
        case Kind::kReset:
            return kCredentialsSize;
        case Kind::kWrite:
            return kBlockSize;
        case Kind::kProbe:
        case Kind::kRead:
            break;
    }
    return 0;
}

std::size_t ReplyPayloadSize(Kind kind, std::int32_t result) {
    if (result != result::kOk) return 0;
    if (kind == Kind::kProbe) return kRecordSize;
    if (kind == Kind::kRead) return kBlockSize;
    return 0;
}

bool IsZeroMac(const Mac& mac) {
    return std::all_of(mac.begin(), mac.end(), [](std::uint8_t b) { return b == 0; });
}

}  // namespace kvproto
