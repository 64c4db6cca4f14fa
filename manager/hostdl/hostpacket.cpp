#include "manager/hostdl/hostpacket.h"

#include <algorithm>
#include <cstring>

#include "common/textutil.h"

namespace {

constexpr THostTableCodes kTables[] = {
    {EHostTable::Device, "BKWR", "BKER", 64}, {EHostTable::Zone, "ZNWR", "ZNER", 64},
    {EHostTable::Group, "GPWR", "GPER", 64},  {EHostTable::GroupDevice, "GDWR", "GDER", 32},
    {EHostTable::ZoneDevice, "ZDWR", "", 32},
};

void Put16(std::span<std::uint8_t> b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

std::uint16_t Get16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

void PutText(std::span<std::uint8_t> b, std::size_t at, std::string_view text) {
    std::copy(text.begin(), text.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

const THostTableCodes* ByWriteCode(std::string_view code) {
    for (const auto& t : kTables)
        if (t.writeCode == code) return &t;
    return nullptr;
}

const THostTableCodes* ByEraseCode(std::string_view code) {
    for (const auto& t : kTables)
        if (!t.eraseCode.empty() && t.eraseCode == code) return &t;
    return nullptr;
}

// Steps 1 to 3 of every request: zeros, the header fields, then the checksum over length bytes.
void PutHeader(std::span<std::uint8_t> b, std::string_view code, std::size_t length) {
    b[hostfield::kMagic] = kHostMagic;
    b[hostfield::kVersion] = kHostVersion;
    Put16(b, hostfield::kLength, static_cast<std::uint16_t>(length));
    Put16(b, hostfield::kOption, kHostOption);
    b[hostfield::kSenderNo] = 1;
    PutText(b, hostfield::kSenderName, "HOST");
    PutText(b, hostfield::kCode, code);
    PutText(b, hostfield::kSenderCode, "HOST");
}

}  // namespace

const THostTableCodes& TableCodes(EHostTable table) {
    for (const auto& t : kTables)
        if (t.table == table) return t;
    return kTables[0];
}

std::span<const THostTableCodes> AllTableCodes() {
    return kTables;
}

std::uint8_t HostChecksum(std::span<const std::uint8_t> datagram) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < datagram.size(); ++i)
        if (i != hostfield::kChecksum) sum += datagram[i];
    return static_cast<std::uint8_t>(256 - (sum & 0xFF));
}

std::size_t BuildEraseRequest(std::string_view code, std::span<std::uint8_t> buffer) {
    code = TrimBlanks(code);
    if (!ByEraseCode(code) || buffer.size() < kHostHeaderSize) return 0;
    std::fill(buffer.begin(), buffer.end(), 0);
    PutHeader(buffer, code, kHostHeaderSize);
    buffer[hostfield::kChecksum] = HostChecksum(buffer.first(kHostHeaderSize));
    return kHostHeaderSize;
}

std::size_t BuildWriteRequest(std::string_view code, std::uint16_t startIndex,
                              std::span<const THostEntry> entries, std::span<std::uint8_t> buffer) {
    code = TrimBlanks(code);
    const THostTableCodes* table = ByWriteCode(code);
    if (!table || entries.empty() || entries.size() > kHostMaxBatch) return 0;
    const std::size_t length = kHostWriteHeaderSize + entries.size() * table->entrySize;
    if (buffer.size() < length) return 0;
    for (const auto& e : entries)
        if (e.size() != table->entrySize) return 0;
    std::fill(buffer.begin(), buffer.end(), 0);
    PutHeader(buffer, code, length);
    Put16(buffer, hostfield::kStartIndex, startIndex);
    Put16(buffer, hostfield::kEntryCount, static_cast<std::uint16_t>(entries.size()));
    auto out = buffer.begin() + static_cast<std::ptrdiff_t>(hostfield::kEntries);
    for (const auto& e : entries)
        out = std::copy(e.begin(), e.end(), out);
    buffer[hostfield::kChecksum] = HostChecksum(buffer.first(length));
    return length;
}

EHostReply ClassifyHostReply(std::span<const std::uint8_t> received) {
    if (received.size() != kHostReplySize || received[hostfield::kMagic] != kHostMagic ||
        received[hostfield::kVersion] != kHostVersion ||
        Get16(received, hostfield::kLength) != received.size() ||
        received[hostfield::kChecksum] != HostChecksum(received))
        return EHostReply::Invalid;
    const bool done = received[hostfield::kResult] | received[hostfield::kResult + 1] |
                      received[hostfield::kResult + 2] | received[hostfield::kResult + 3];
    return done ? EHostReply::Done : EHostReply::Refused;
}

bool IsValidHostReply(std::span<const std::uint8_t> received) {
    return ClassifyHostReply(received) == EHostReply::Done;
}

std::optional<THostRequest> ParseHostRequest(std::span<const std::uint8_t> datagram) {
    if (datagram.size() < kHostHeaderSize || datagram[hostfield::kMagic] != kHostMagic ||
        datagram[hostfield::kVersion] != kHostVersion ||
        Get16(datagram, hostfield::kLength) != datagram.size() ||
        datagram[hostfield::kChecksum] != HostChecksum(datagram))
        return std::nullopt;
    const std::string_view code(reinterpret_cast<const char*>(&datagram[hostfield::kCode]), 4);
    THostRequest request;
    if ((request.table = ByEraseCode(code))) {
        if (datagram.size() != kHostHeaderSize) return std::nullopt;
        return request;
    }
    request.table = ByWriteCode(code);
    if (!request.table || datagram.size() < kHostWriteHeaderSize) return std::nullopt;
    request.write = true;
    request.startIndex = Get16(datagram, hostfield::kStartIndex);
    request.count = Get16(datagram, hostfield::kEntryCount);
    if (request.count < 1 || request.count > kHostMaxBatch ||
        datagram.size() != kHostWriteHeaderSize + request.count * request.table->entrySize)
        return std::nullopt;
    request.entries = datagram.subspan(hostfield::kEntries);
    return request;
}

std::array<std::uint8_t, kHostReplySize> BuildHostReply(std::span<const std::uint8_t> request,
                                                        std::uint32_t result) {
    std::array<std::uint8_t, kHostReplySize> reply{};
    std::copy_n(request.begin(), std::min(request.size(), kHostHeaderSize), reply.begin());
    reply[hostfield::kMagic] = kHostMagic;
    reply[hostfield::kVersion] = kHostVersion;
    Put16(reply, hostfield::kLength, static_cast<std::uint16_t>(kHostReplySize));
    for (int i = 0; i < 4; ++i)
        reply[hostfield::kResult + i] = static_cast<std::uint8_t>(result >> (8 * i));
    reply[hostfield::kChecksum] = HostChecksum(reply);
    return reply;
}
